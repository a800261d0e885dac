#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace zarvo {

class AlarmSource;
class WallClockTimer;

// Drives an alarm (a clock control's, or the event timer): its 450 ms tick, a check at once when the system
// time changes, and a check precisely at the alarm's own moment.
class ClockDriver : public QObject
{
    Q_OBJECT
public:
    explicit ClockDriver(AlarmSource& alarm, int tickMs = 450, QObject* parent = nullptr);
    void start();

private:
    void rearm();
    AlarmSource& m_alarm;
    QTimer m_tick;
    WallClockTimer* m_wall;
    // The moment the wall-clock timer waits for (invalid: only watching for time changes).
    QDateTime m_armed;
    // The moment the timer last went off for; never armed again (see rearm()).
    QDateTime m_spent;
};

} // namespace zarvo
