#pragma once

#include "EvTable.h"
#include "EventActions.h"
#include "EventAlarm.h"
#include "NextEvent.h"
#include "Recurrence.h"
#include "Settings.h"
#include "SoundPlayer.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVector>

#include <optional>

namespace zarvo {

// What the scheduler needs from the program around it.
class SchedulerHost
{
public:
    virtual ~SchedulerHost() = default;
    // SaveParameters also stores the row count of the table as EvNum.
    virtual void SaveParameters() = 0;
    virtual void SaveEvents() = 0;
    virtual void SaveWindowSettings() = 0;
    // Adds a line to the notifications window by its adding rule.
    virtual void AddNotification(const QString& line) = 0;
    // The same news for the desktop's notification service, when the user wants it there too.
    virtual void NotifyDesktop(const QString& summary, const QString& body) { (void)summary, (void)body; }
    // Every occurrence up to `moment` has been dealt with (fired, or knowingly passed over): what
    // the next start counts missed reminders from.
    virtual void SaveHandledUpTo(const QDateTime& moment) { (void)moment; }
};

// Next-event selection, firing, recurrence and start-up messages.
//
// The scheduler arms the event timer for the real moment of the earliest event still to come,
// together with every other event due at that same moment (they fire in table order). Nothing
// is ever left behind: a recurring event whose moment has passed without firing (the program
// was not running, events were disabled, the machine slept) is moved on by its recurrence to its
// first moment still to come, without firing the occurrences it missed, and the table is saved.
// One-off events that passed stay where they are, spent.
class Scheduler : public QObject
{
    Q_OBJECT
public:
    Scheduler(const IClock& clock, Settings& settings, EvTable& table, EventAlarm& alarmClock,
              ISoundPlayer& sound, SchedulerHost& host, EventActions& actions, QObject* parent = nullptr);

    // Moves on what has passed, then caches the earliest event still to come and arms the event
    // timer for it.
    void SelectNextEvent();
    // The event timer went off; connected to its OnAlarm.
    void AlarmClockAlarm();
    // Moves the current row on by its recurrence, or deletes a finished one-off event.
    void ApplyRecurrence();
    void DeleteCurrentEvent();
    // At start-up, before the start-up messages: recurring events that passed while the program
    // was not running move on, and with ShowMissed the Notification occurrences missed since
    // `handledUpTo` are reported, one line per event. When `handledUpTo` is not known, only
    // recurring events (whose date is always their next occurrence) can be told to be missed.
    void MoveOnMissedEvents(const std::optional<QDateTime>& handledUpTo);
    // Shows the start-up messages due now; run once at start-up. Saves when it changed a row.
    void RunStartupMessages();
    // The sound of a notification or a new-mail report.
    void PlayEventSound(const QString& eventSound);

    // The first of the events armed (an empty cache when nothing is armed), and all of them.
    const NextEventCache& next() const;
    const QVector<NextEventCache>& due() const { return m_due; }
    int NewMailCount = 0;

    // The line of a Notification occurrence that was missed on `date`.
    static QString missedLine(const EventRecord& r, const QDate& date);

Q_SIGNALS:
    // A row the scheduler moved on or deleted (a firing, a start-up message, a catch-up): an
    // editor that undoes the user's changes keeps these.
    void eventMovedOn(zarvo::EvTable::RowId id, const QDate& date);
    void eventRemoved(zarvo::EvTable::RowId id);

private:
    // Selects among the events after `after`: "now" for a plain selection, the moment just fired
    // after a firing (so that an event due between that moment and now still fires).
    void select(const QDateTime& after);
    void onAlarmMissed(const QDateTime& moment);
    // Moves on every recurring event whose moment lies at or before `upTo` (start-up messages:
    // whose day lies before it). With `report`, also reports the Notification occurrences missed
    // after *report->from. True when a row changed.
    struct MissedReport
    {
        std::optional<QDateTime> from;
    };
    bool moveOnPassed(const QDateTime& upTo, const MissedReport* report);
    void fire(const NextEventCache& event);
    void finishFiring(const NextEventCache& fired);
    // The recurrence step on one row; false when the row is gone.
    void applyRecurrenceTo(EvTable::RowId id, bool saveDeletion = true);
    void moveRowTo(EvTable::RowId id, const QDate& date);
    void deleteEvent(EvTable::RowId id, bool save);
    NextEventCache cacheFor(int index) const;

    const IClock& m_clock;
    Settings& m_settings;
    EvTable& m_table;
    EventAlarm& m_alarm;
    ISoundPlayer& m_sound;
    SchedulerHost& m_host;
    EventActions& m_actions;
    QVector<NextEventCache> m_due;
    // The rows of the events being fired: their recurrence step is the firing's, not a catch-up's.
    QVector<EvTable::RowId> m_firing;
    // Everything up to here has been dealt with; what the armed events were selected after.
    QDateTime m_horizon;
};

} // namespace zarvo
