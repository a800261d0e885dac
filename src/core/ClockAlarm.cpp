#include "ClockAlarm.h"

#include "LocalTime.h"

#include <stdexcept>

namespace zarvo {

ClockAlarm::ClockAlarm(const IClock& clock, QObject* parent) : AlarmSource(parent), m_clock(clock) {}

void ClockAlarm::setAlarmEnabled(bool on)
{
    if (m_enabled == on) return;
    m_enabled = on;
    Q_EMIT armingChanged();
}

void ClockAlarm::SetAlarmElement(int element, int value)
{
    int h = m_time.hour(), m = m_time.minute(), s = m_time.second();
    switch (element) {
    case 1:
        h = value;
        break;
    case 2:
        m = value;
        break;
    case 3:
        s = value;
        break;
    default:
        return;
    }
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        throw std::out_of_range("alarm time out of range");
    m_time = QTime(h, m, s);
    applyRuleW(m_clock.now());
    Q_EMIT armingChanged();
}

int ClockAlarm::GetAlarmElement(int element) const
{
    switch (element) {
    case 1:
        return m_time.hour();
    case 2:
        return m_time.minute();
    case 3:
        return m_time.second();
    default:
        return 0;
    }
}

void ClockAlarm::Tick()
{
    if (m_inAlarm) return;
    const QDateTime now = m_clock.now();
    Q_EMIT Ticked(now);
    check(now);
}

void ClockAlarm::Check()
{
    if (m_inAlarm) return;
    check(m_clock.now());
}

void ClockAlarm::check(const QDateTime& now)
{
    // Compared as real moments rather than clock readings, so that a time of day skipped or
    // repeated by a daylight-saving change still goes off exactly once.
    const QDateTime due = occurrence(now.date(), m_time);
    if (m_enabled && now >= due && now < endOfMinute(due)) {
        if (!m_waiting) return;
        setWaiting(false);
        m_inAlarm = true;
        try {
            Q_EMIT OnAlarm();
        } catch (...) {
            m_inAlarm = false;
            throw;
        }
        m_inAlarm = false;
        return;
    }
    applyRuleW(now, due);
}

void ClockAlarm::applyRuleW(const QDateTime& now)
{
    applyRuleW(now, occurrence(now.date(), m_time));
}

void ClockAlarm::applyRuleW(const QDateTime& now, const QDateTime& due)
{
    setWaiting(now < due || m_time == QTime(0, 0));
}

void ClockAlarm::setWaiting(bool w)
{
    if (m_waiting == w) return;
    m_waiting = w;
    Q_EMIT armingChanged();
}

QDateTime ClockAlarm::nextAlarmMoment() const
{
    if (!m_enabled) return {};
    const QDateTime now = m_clock.now();
    const QDateTime due = occurrence(now.date(), m_time);
    if (m_waiting && now < endOfMinute(due)) return now < due ? due : now;
    // Not again today: the first tick after midnight sets the waiting flag again.
    return occurrence(now.date().addDays(1), m_time);
}

} // namespace zarvo
