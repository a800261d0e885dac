#include "Scheduler.h"

#include "LocalTime.h"

#include <algorithm>

namespace zarvo {

QDate AddMonths(const QDate& date, int n)
{
    int y = date.year() + n / 12;
    int m = date.month() + n % 12;
    if (m > 12) {
        ++y;
        m -= 12;
    } else if (m < 1) {
        --y;
        m += 12;
    }
    const int lastDay = QDate(y, m, 1).daysInMonth();
    return QDate(y, m, std::min(date.day(), lastDay));
}

Scheduler::Scheduler(const IClock& clock, Settings& settings, EvTable& table, ClockAlarm& alarmClock,
                     ISoundPlayer& sound, SchedulerHost& host, EventActions& actions, QObject* parent)
    : QObject(parent), m_clock(clock), m_settings(settings), m_table(table), m_alarm(alarmClock),
      m_sound(sound), m_host(host), m_actions(actions)
{
}

void Scheduler::SelectNextEvent()
{
    if (m_settings.Disable) return;
    const QDateTime now = m_clock.now();
    const QDate today = now.date();
    const QTime timeOfDay = now.time();
    const int count = m_table.RecordCount();
    if (count == 0) {
        m_alarm.setAlarmEnabled(false);
        return;
    }

    // On the days the clock is put forward or back, a reading later than now may still be a
    // moment that has passed (the repeated hour), so those are compared as moments.
    const bool clockChangesToday = hasOffsetChange(today);
    int chosen = -1;
    for (int i = 0; i < count; ++i) {
        const EventRecord& r = m_table.row(i);
        if (r.EvType == EvStartupMessage) continue;
        bool future = r.EvDate > today || (r.EvDate == today && r.EvTime > timeOfDay);
        if (future && clockChangesToday && r.EvDate == today) future = occurrence(today, r.EvTime) > now;
        if (!future) continue;
        if (chosen < 0) {
            chosen = i;
            continue;
        }
        const EventRecord& best = m_table.row(chosen);
        if (r.EvDate < best.EvDate || (r.EvDate == best.EvDate && r.EvTime < best.EvTime)) chosen = i;
    }
    if (chosen < 0) {
        m_alarm.setAlarmEnabled(false);
        return;
    }

    const EventRecord& r = m_table.row(chosen);
    m_next.NextDate = r.EvDate;
    m_next.NextName = r.EvName;
    m_next.NextTime = r.EvTime;
    m_next.NextText = r.EvName + QStringLiteral(" - ") + longTimeText(r.EvTime);
    m_next.NextType = r.EvType;
    m_next.NextShutType = r.EvShutType;
    m_next.NextSound = r.EvCS;
    m_next.NextRow = chosen + 1;
    m_next.NextRowId = m_table.rowId(chosen);
    switch (r.EvType) {
    case EvLaunchOpen:
        m_next.NextPath = r.EvPath;
        m_next.NextParam = r.EvParam;
        break;
    case EvOpenURL:
        m_next.NextPath = r.EvURL;
        break;
    case EvMailMessage:
        m_next.NextMailAddress = r.EvMMAddress;
        m_next.NextMailSubject = r.EvMMSubj;
        m_next.NextMailBody = r.EvName;
        break;
    default:
        break;
    }

    m_alarm.setAlarmEnabled(true);
    m_alarm.SetAlarmElement(1, r.EvTime.hour());
    m_alarm.SetAlarmElement(2, r.EvTime.minute());
    m_alarm.SetAlarmElement(3, r.EvTime.second());
}

void Scheduler::AlarmClockAlarm()
{
    if (m_settings.Disable) return;
    if (m_clock.now().date() != m_next.NextDate)
        return; // the alarm goes off every day at its time; only the event's day counts

    // A selection made while an action waits (a dialog closing) replaces the cache; the firing
    // finishes with the event it started with.
    const NextEventCache fired = m_next;
    try {
        switch (fired.NextType) {
        case EvNotification:
            if (m_settings.Sound) PlayEventSound(fired.NextSound);
            if (m_settings.Show) {
                m_host.AddNotification(fired.NextText);
                if (m_settings.DesktopNotify) m_host.NotifyDesktop(fired.NextName, longTimeText(fired.NextTime));
            }
            break;
        case EvLaunchOpen:
            if (!fired.NextPath.isEmpty()) m_actions.launch(fired.NextPath, fired.NextParam);
            break;
        case EvOpenURL:
            if (!fired.NextPath.isEmpty()) m_actions.openUrl(fired.NextPath);
            break;
        case EvShutdown:
            // The program may be ended at any moment after the request: save first.
            finishFiring(fired);
            m_actions.requestShutdown(fired.NextShutType);
            SelectNextEvent();
            return;
        case EvTimeSync:
            m_actions.synchronizeTime([](const TimeSyncResult&) {});
            break;
        case EvMailMessage:
            m_actions.sendMail(fired, [](const MailResult&) {});
            break;
        case EvCheckMailbox:
            NewMailCount = 0;
            m_actions.checkMailbox([this, fired](const MailboxResult& result) {
                NewMailCount = result.count;
                if (NewMailCount == 0) return;
                if (m_settings.Sound) PlayEventSound(fired.NextSound);
                if (!m_settings.Show) return;
                const QString news = QStringLiteral(" New messages:") + QString::number(NewMailCount);
                m_host.AddNotification(fired.NextText + news);
                if (m_settings.DesktopNotify)
                    m_host.NotifyDesktop(fired.NextName, longTimeText(fired.NextTime) + news);
            });
            break;
        default:
            break;
        }
    } catch (...) {
        // A failed action counts as done: the event still moves on.
    }
    finishFiring(fired);
    SelectNextEvent();
}

void Scheduler::finishFiring(const NextEventCache& fired)
{
    // The row may have moved or gone while the event ran (the Properties dialog edits live).
    if (m_table.LocateId(fired.NextRowId)) ApplyRecurrence();
    m_table.CheckBrowseMode();
    m_host.SaveParameters();
    m_host.SaveEvents();
    m_host.SaveWindowSettings();
}

void Scheduler::ApplyRecurrence()
{
    const EventRecord& r = m_table.current();
    if (r.EvRec == 0 && r.EvRecMonth == 0) {
        if (m_settings.DeleteEvents) DeleteCurrentEvent();
        return;
    }
    const QDate next = r.EvRec != 0 ? r.EvDate.addDays(r.EvRec) : AddMonths(r.EvDate, r.EvRecMonth);
    // A period so large that the date leaves the calendar leaves the event where it is rather
    // than storing a date no file could hold.
    if (!next.isValid() || next.year() < 1 || next.year() > 9999) return;
    m_table.setFieldValue(Field::EvDate, next);
}

void Scheduler::DeleteCurrentEvent()
{
    m_table.Delete();
    m_settings.EvNum = m_table.RecordCount();
    m_host.SaveEvents();
    if (m_host.PropertiesOpen()) {
        if (m_settings.EvNum == 0)
            m_host.NoEventsState();
        else
            m_host.ShowCurrentEvent();
    }
}

void Scheduler::RunStartupMessages()
{
    if (m_table.RecordCount() == 0) return;
    const QDateTime now = m_clock.now();
    const QDate today = now.date();
    const QTime timeOfDay = now.time();
    bool first = true;

    for (int i = 0; i < m_table.RecordCount();) {
        const EventRecord r = m_table.row(i);
        if (r.EvType != EvStartupMessage || r.EvDate != today) {
            ++i;
            continue;
        }
        const bool due = !r.EvInterval || (r.EvIntBTime <= timeOfDay && timeOfDay <= r.EvIntETime);
        const bool windowPassed = !due && r.EvIntETime < timeOfDay;
        if (due || windowPassed) {
            m_table.LocateId(m_table.rowId(i));
            if (due) {
                if (m_settings.Show) m_host.AddNotification(r.EvName);
                if (m_settings.Sound && first) m_sound.play(m_settings.SoundFile);
            }
            const int before = m_table.RecordCount();
            ApplyRecurrence();
            if (due) first = false;
            if (m_table.RecordCount() < before)
                continue; // deleted: the row that followed it now has this position
        }
        ++i;
    }
    m_table.CheckBrowseMode();
}

void Scheduler::PlayEventSound(const QString& eventSound)
{
    if (!m_settings.Sound) return;
    const QString named = eventSound.isEmpty() ? m_settings.SoundFile : eventSound;
    m_sound.play(named.isEmpty() ? desktopAlarmSound() : named);
}

} // namespace zarvo
