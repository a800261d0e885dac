#include "platform/ClockDriver.h"

#include "core/AlarmSource.h"
#include "platform/WallClockTimer.h"

namespace zarvo {

ClockDriver::ClockDriver(AlarmSource& alarm, int tickMs, QObject* parent)
    : QObject(parent), m_alarm(alarm), m_wall(new WallClockTimer(this))
{
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(tickMs);
    connect(&m_tick, &QTimer::timeout, this, &ClockDriver::onTick);
    connectWall();
}

ClockDriver::ClockDriver(AlarmSource& alarm, ClockDriver& ticksOf, QObject* parent)
    : QObject(parent), m_alarm(alarm), m_ownTick(false), m_wall(new WallClockTimer(this))
{
    connect(&ticksOf.m_tick, &QTimer::timeout, this, &ClockDriver::onTick);
    connectWall();
}

void ClockDriver::connectWall()
{
    connect(m_wall, &WallClockTimer::fired, this, [this] {
        m_spent = m_armed;
        m_armed = QDateTime();
        m_alarm.Check();
        rearm();
    });
    connect(m_wall, &WallClockTimer::timeChanged, this, [this] {
        // The moment may now lie elsewhere relative to the clock: a moment that went off
        // before the jump may be due again.
        m_spent = QDateTime();
        m_alarm.Check();
        rearm();
    });
    connect(&m_alarm, &AlarmSource::armingChanged, this, &ClockDriver::rearm);
}

void ClockDriver::onTick()
{
    m_alarm.Tick();
    rearm();
}

void ClockDriver::start()
{
    if (m_ownTick) m_tick.start();
    rearm();
}

void ClockDriver::rearm()
{
    QDateTime next = m_alarm.nextAlarmMoment();
    // Should the alarm still name the moment the timer has just gone off for, arming it again
    // would go off at once, over and over; the tick covers that moment instead.
    if (next.isValid() && m_spent.isValid() && next == m_spent) next = QDateTime();
    if (next == m_armed) return;
    m_armed = next;
    m_wall->armAt(next);
}

} // namespace zarvo
