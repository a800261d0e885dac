#include "Scheduler.h"

#include "LocalTime.h"

namespace zarvo {

Scheduler::Scheduler(const IClock& clock, Settings& settings, EvTable& table, EventAlarm& alarmClock,
                     ISoundPlayer& sound, SchedulerHost& host, EventActions& actions, QObject* parent)
    : QObject(parent), m_clock(clock), m_settings(settings), m_table(table), m_alarm(alarmClock),
      m_sound(sound), m_host(host), m_actions(actions)
{
    connect(&m_alarm, &EventAlarm::missed, this, &Scheduler::onAlarmMissed);
}

const NextEventCache& Scheduler::next() const
{
    static const NextEventCache none;
    return m_due.isEmpty() ? none : m_due.first();
}

QString Scheduler::missedLine(const EventRecord& r, const QDate& date)
{
    return r.EvName + QStringLiteral(" - ") + longTimeText(r.EvTime) + QStringLiteral(" (missed on ") +
           shortDateText(date) + QLatin1Char(')');
}

void Scheduler::SelectNextEvent()
{
    select(m_clock.now());
}

NextEventCache Scheduler::cacheFor(int index) const
{
    const EventRecord& r = m_table.row(index);
    NextEventCache c;
    c.NextDate = r.EvDate;
    c.NextName = r.EvName;
    c.NextTime = r.EvTime;
    c.NextText = r.EvName + QStringLiteral(" - ") + longTimeText(r.EvTime);
    c.NextType = r.EvType;
    c.NextShutType = r.EvShutType;
    c.NextSound = r.EvCS;
    c.NextRow = index + 1;
    c.NextRowId = m_table.rowId(index);
    switch (r.EvType) {
    case EvLaunchOpen:
        c.NextPath = r.EvPath;
        c.NextParam = r.EvParam;
        break;
    case EvOpenURL:
        c.NextPath = r.EvURL;
        break;
    case EvMailMessage:
        c.NextMailAddress = r.EvMMAddress;
        c.NextMailSubject = r.EvMMSubj;
        c.NextMailBody = r.EvName;
        break;
    default:
        break;
    }
    return c;
}

void Scheduler::select(const QDateTime& after)
{
    if (m_settings.Disable) return;
    m_horizon = after;
    if (moveOnPassed(after, nullptr)) m_host.SaveEvents();

    const LaterThan later(after);
    const int count = m_table.RecordCount();
    int chosen = -1;
    for (int i = 0; i < count; ++i) {
        const EventRecord& r = m_table.row(i);
        if (r.EvType == EvStartupMessage || !later(r.EvDate, r.EvTime)) continue;
        if (chosen < 0) {
            chosen = i;
            continue;
        }
        const EventRecord& best = m_table.row(chosen);
        if (r.EvDate < best.EvDate || (r.EvDate == best.EvDate && r.EvTime < best.EvTime)) chosen = i;
    }
    m_due.clear();
    if (chosen < 0) {
        m_alarm.disarm();
        return;
    }

    // Every event of that same moment fires with it, in table order. Readings that differ can
    // still be one moment: two times inside the hour skipped in spring both mean its end.
    const EventRecord& first = m_table.row(chosen);
    const QDateTime moment = occurrence(first.EvDate, first.EvTime);
    const bool jumpDay = hasOffsetChange(first.EvDate);
    for (int i = chosen; i < count; ++i) {
        const EventRecord& r = m_table.row(i);
        if (r.EvType == EvStartupMessage || r.EvDate != first.EvDate) continue;
        const bool same = r.EvTime == first.EvTime ||
                          (jumpDay && later(r.EvDate, r.EvTime) && occurrence(r.EvDate, r.EvTime) == moment);
        if (same) m_due.append(cacheFor(i));
    }
    m_alarm.armAt(moment);
}

bool Scheduler::moveOnPassed(const QDateTime& upTo, const MissedReport* report)
{
    const LaterThan later(upTo);
    const QDate today = upTo.date();
    const bool reportOneOffs = report && report->from.has_value();
    bool changed = false;
    for (int i = 0; i < m_table.RecordCount(); ++i) {
        const EventRecord r = m_table.row(i);
        if (!m_firing.isEmpty() && m_firing.contains(m_table.rowId(i))) continue;
        MovedOn moved;
        if (r.EvType == EvStartupMessage) {
            // A start-up message belongs to a day, and today's is still to be shown.
            if (!recurs(r) || r.EvDate >= today) continue;
            moved = moveOnTo(r, today, [&](const QDate& d) { return d >= today; });
        } else {
            if (later(r.EvDate, r.EvTime)) continue;
            if (recurs(r)) moved = moveOnTo(r, today, [&](const QDate& d) { return later(d, r.EvTime); });
            if (report && r.EvType == EvNotification) {
                // The latest occurrence that went by, if it went by after what was dealt with.
                const QDate missedOn = recurs(r) ? moved.lastPassed : r.EvDate;
                const bool known = recurs(r) || reportOneOffs;
                if (known && missedOn.isValid() &&
                    (!report->from || occurrence(missedOn, r.EvTime) > *report->from))
                    m_host.AddNotification(missedLine(r, missedOn));
            }
        }
        if (!moved.next.isValid()) continue;
        moveRowTo(m_table.rowId(i), moved.next);
        changed = true;
    }
    return changed;
}

void Scheduler::MoveOnMissedEvents(const std::optional<QDateTime>& handledUpTo)
{
    const QDateTime now = m_clock.now();
    const MissedReport report{handledUpTo};
    const bool tell = m_settings.ShowMissed && m_settings.Show && !m_settings.Disable;
    if (moveOnPassed(now, tell ? &report : nullptr)) m_host.SaveEvents();
}

void Scheduler::onAlarmMissed(const QDateTime& moment)
{
    // The armed moment went by unfired: everything since the last selection was missed, not
    // only the armed events. Deal with it all, then arm what comes next.
    if (m_settings.Disable) return;
    const MissedReport report{m_horizon.isValid() ? m_horizon : moment.addMSecs(-1)};
    const bool tell = m_settings.ShowMissed && m_settings.Show;
    if (moveOnPassed(m_clock.now(), tell ? &report : nullptr)) m_host.SaveEvents();
    const QDateTime now = m_clock.now();
    m_host.SaveHandledUpTo(now);
    select(now);
}

void Scheduler::AlarmClockAlarm()
{
    if (m_settings.Disable) return;
    // The firings may change the cache (a start-up, a dialog closing): each finishes with the
    // event it started with.
    const QVector<NextEventCache> due = m_due;
    const QDateTime firedMoment =
        due.isEmpty() ? m_clock.now() : occurrence(due.first().NextDate, due.first().NextTime);
    m_firing.clear();
    for (const NextEventCache& event : due)
        m_firing << event.NextRowId;
    for (const NextEventCache& event : due) {
        fire(event);
        m_firing.removeOne(event.NextRowId);
    }
    m_host.SaveHandledUpTo(firedMoment);
    select(firedMoment);
}

void Scheduler::fire(const NextEventCache& fired)
{
    try {
        switch (fired.NextType) {
        case EvNotification:
            PlayEventSound(fired.NextSound);
            if (m_settings.Show) {
                m_host.AddNotification(fired.NextText);
                if (m_settings.DesktopNotify)
                    m_host.NotifyDesktop(fired.NextName, longTimeText(fired.NextTime));
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
            return;
        case EvTimeSync:
            m_actions.synchronizeTime([](const TimeSyncResult&) {});
            break;
        case EvMailMessage:
            m_actions.sendMail(fired, [](const MailResult&) {});
            break;
        case EvCheckMailbox:
            NewMailCount = 0;
            // The result comes when the server has answered; the event has long moved on.
            m_actions.checkMailbox([this, fired](const MailboxResult& result) {
                NewMailCount = result.count;
                if (NewMailCount == 0) return;
                PlayEventSound(fired.NextSound);
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
        if (fired.NextType == EvShutdown) return;
    }
    finishFiring(fired);
}

void Scheduler::finishFiring(const NextEventCache& fired)
{
    // The row may have moved or gone while the event ran (the Properties dialog edits live).
    applyRecurrenceTo(fired.NextRowId);
    m_table.CheckBrowseMode();
    m_host.SaveParameters();
    m_host.SaveEvents();
    m_host.SaveWindowSettings();
}

void Scheduler::ApplyRecurrence()
{
    const EvTable::RowId id = m_table.currentId();
    if (id != 0) applyRecurrenceTo(id);
}

void Scheduler::applyRecurrenceTo(EvTable::RowId id, bool saveDeletion)
{
    const EventRecord* r = m_table.find(id);
    if (!r) return;
    if (!recurs(*r)) {
        if (m_settings.DeleteEvents) deleteEvent(id, saveDeletion);
        return;
    }
    // A period so large that the date leaves the calendar leaves the event where it is rather
    // than storing a date no file could hold.
    const QDate next = recurrenceStep(*r, r->EvDate);
    if (next.isValid()) moveRowTo(id, next);
}

void Scheduler::moveRowTo(EvTable::RowId id, const QDate& date)
{
    const EventRecord* r = m_table.find(id);
    if (!r) return;
    EventRecord moved = *r;
    moved.setValue(Field::EvDate, date);
    m_table.update(id, moved);
    Q_EMIT eventMovedOn(id, date);
}

void Scheduler::DeleteCurrentEvent()
{
    const EvTable::RowId id = m_table.currentId();
    if (id != 0) deleteEvent(id, true);
}

void Scheduler::deleteEvent(EvTable::RowId id, bool save)
{
    if (!m_table.remove(id)) return;
    Q_EMIT eventRemoved(id);
    if (save) m_host.SaveEvents();
}

void Scheduler::RunStartupMessages()
{
    if (m_table.RecordCount() == 0) return;
    const QDateTime now = m_clock.now();
    const QDate today = now.date();
    const QTime timeOfDay = now.time();
    bool first = true;
    bool changed = false;

    // Each row exactly once, also the one after a row that goes.
    const QVector<EvTable::RowId> ids = m_table.ids();
    for (const EvTable::RowId id : ids) {
        const EventRecord* found = m_table.find(id);
        if (!found) continue;
        const EventRecord r = *found;
        if (r.EvType != EvStartupMessage || r.EvDate != today) continue;
        const bool due = !r.EvInterval || (r.EvIntBTime <= timeOfDay && timeOfDay <= r.EvIntETime);
        const bool windowPassed = !due && r.EvIntETime < timeOfDay;
        if (!due && !windowPassed) continue; // its window is still to come today
        if (due) {
            if (m_settings.Show) m_host.AddNotification(r.EvName);
            if (m_settings.Sound && first) m_sound.play(m_settings.SoundFile);
            first = false;
        }
        applyRecurrenceTo(id, false);
        const EventRecord* after = m_table.find(id);
        if (!after || after->EvDate != r.EvDate) changed = true;
    }
    m_table.CheckBrowseMode();
    // A message shown is moved on or gone for good: a second start the same day must not show
    // it again.
    if (changed) m_host.SaveEvents();
}

void Scheduler::PlayEventSound(const QString& eventSound)
{
    if (!m_settings.Sound) return;
    const QString named = eventSound.isEmpty() ? m_settings.SoundFile : eventSound;
    m_sound.play(named.isEmpty() ? desktopAlarmSound() : named);
}

} // namespace zarvo
