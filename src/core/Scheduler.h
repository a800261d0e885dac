#pragma once

#include "ClockAlarm.h"
#include "EvTable.h"
#include "EventActions.h"
#include "NextEvent.h"
#include "Settings.h"
#include "SoundPlayer.h"

#include <QDate>
#include <QObject>
#include <QString>

namespace zarvo {

// What the scheduler needs from the program around it.
class SchedulerHost
{
public:
    virtual ~SchedulerHost() = default;
    virtual void SaveParameters() = 0;
    virtual void SaveEvents() = 0;
    virtual void SaveWindowSettings() = 0;
    // Adds a line to the notifications window by its adding rule.
    virtual void AddNotification(const QString& line) = 0;
    // The same news for the desktop's notification service, when the user wants it there too.
    virtual void NotifyDesktop(const QString& summary, const QString& body) { (void)summary, (void)body; }
    // The Properties dialog's Events page, which follows rows the scheduler changes.
    virtual bool PropertiesOpen() const = 0;
    virtual void ShowCurrentEvent() = 0;
    virtual void NoEventsState() = 0;
};

// Next-event selection, firing, recurrence and start-up messages.
class Scheduler : public QObject
{
    Q_OBJECT
public:
    Scheduler(const IClock& clock, Settings& settings, EvTable& table, ClockAlarm& alarmClock,
              ISoundPlayer& sound, SchedulerHost& host, EventActions& actions, QObject* parent = nullptr);

    // Caches the earliest future event and arms the alarm clock for it.
    void SelectNextEvent();
    // The alarm clock went off; the owner connects it to the alarm clock's OnAlarm.
    void AlarmClockAlarm();
    // Moves the current row on by its recurrence, or deletes a finished one-off event.
    void ApplyRecurrence();
    void DeleteCurrentEvent();
    // Shows the start-up messages due now; run once at start-up.
    void RunStartupMessages();
    // The sound of a notification or a new-mail report.
    void PlayEventSound(const QString& eventSound);

    const NextEventCache& next() const { return m_next; }
    int NewMailCount = 0;

private:
    void finishFiring(const NextEventCache& fired);

    const IClock& m_clock;
    Settings& m_settings;
    EvTable& m_table;
    ClockAlarm& m_alarm;
    ISoundPlayer& m_sound;
    SchedulerHost& m_host;
    EventActions& m_actions;
    NextEventCache m_next;
};

// Adds n >= 0 calendar months; a day past the end of the month becomes its last day.
QDate AddMonths(const QDate& date, int n);

} // namespace zarvo
