#pragma once

#include "AlarmSource.h"
#include "Clock.h"

#include <QDateTime>
#include <QObject>
#include <QTime>

namespace zarvo {

// The alarm of the visible clock control, which drives the chimes: a time of day (hour, minute, second) that
// goes off at the first check inside its minute at or after its second, at most once per day for one arming.
// The program, not the alarm, compares dates. Checks come from the control's 450 ms tick, from
// a change of the system time and from a precise timer at the alarm's own moment (see
// nextAlarmMoment()).
//
// On days when the local clock jumps, the alarm works on real moments: a time of day inside
// the hour skipped in spring goes off at the first second after the gap, and a time of day in
// the hour repeated in autumn goes off only at its first occurrence.
class ClockAlarm : public AlarmSource
{
    Q_OBJECT
public:
    explicit ClockAlarm(const IClock& clock, QObject* parent = nullptr);

    bool AlarmEnabled() const { return m_enabled; }
    void setAlarmEnabled(bool on);

    // Element 1 sets the hour, 2 the minute, 3 the second; other numbers do nothing. Values
    // out of range throw std::out_of_range. The waiting flag is then re-evaluated (rule W).
    void SetAlarmElement(int element, int value);
    int GetAlarmElement(int element) const;
    QTime alarmTime() const { return m_time; }
    bool waiting() const { return m_waiting; }

    // One tick of the control: Ticked (repaint, the time offered to the window) and then the
    // alarm check. A clock does not tick while its own alarm handler runs.
    void Tick() override;
    // The alarm check alone.
    void Check() override;
    // The next moment at which Check() would raise OnAlarm, if nothing else changes before:
    // invalid when the alarm is off. Used to run a check precisely at the alarm's second.
    QDateTime nextAlarmMoment() const override;

Q_SIGNALS:
    void OnAlarm();
    void Ticked(const QDateTime& now);

private:
    void check(const QDateTime& now);
    void applyRuleW(const QDateTime& now);
    void applyRuleW(const QDateTime& now, const QDateTime& due);
    void setWaiting(bool w);

    const IClock& m_clock;
    QTime m_time = QTime(0, 0);
    bool m_enabled = false;
    bool m_waiting = true;
    bool m_inAlarm = false;
};

} // namespace zarvo
