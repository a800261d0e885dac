#include "EventAlarm.h"

#include "LocalTime.h"

namespace zarvo {

EventAlarm::EventAlarm(const IClock& clock, QObject* parent) : AlarmSource(parent), m_clock(clock) {}

void EventAlarm::armAt(const QDateTime& moment)
{
    if (m_moment == moment) return;
    m_moment = moment;
    Q_EMIT armingChanged();
}

void EventAlarm::disarm()
{
    armAt(QDateTime());
}

void EventAlarm::Check()
{
    // The handler selects the next event and arms again; a check it causes must not re-enter.
    if (m_inAlarm || !m_moment.isValid()) return;
    const QDateTime now = m_clock.now();
    if (now < m_moment) return;
    const QDateTime moment = m_moment;
    disarm();
    m_inAlarm = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_inAlarm};
    if (now < endOfMinute(moment))
        Q_EMIT OnAlarm(moment);
    else
        Q_EMIT missed(moment);
}

} // namespace zarvo
