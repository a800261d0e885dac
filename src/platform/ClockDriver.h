#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace zarvo {

class AlarmSource;
class WallClockTimer;

// Drives an alarm (a clock control's, or the event timer): its 450 ms tick, a check at once when
// the system time changes, and a check precisely at the alarm's own moment.
class ClockDriver : public QObject
{
    Q_OBJECT
public:
    explicit ClockDriver(AlarmSource& alarm, int tickMs = 450, QObject* parent = nullptr);
    // Ticks with `ticksOf`: two clock controls share one timer, so the program wakes once per
    // tick for both instead of twice.
    ClockDriver(AlarmSource& alarm, ClockDriver& ticksOf, QObject* parent = nullptr);
    void start();

private:
    void connectWall();
    void onTick();
    void rearm();
    AlarmSource& m_alarm;
    QTimer m_tick;
    bool m_ownTick = true;
    WallClockTimer* m_wall;
    // The moment the wall-clock timer waits for (invalid: only watching for time changes).
    QDateTime m_armed;
    // The moment the timer last went off for; never armed again (see rearm()).
    QDateTime m_spent;
};

} // namespace zarvo
