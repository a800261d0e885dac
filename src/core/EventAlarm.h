#pragma once

#include "AlarmSource.h"
#include "Clock.h"

namespace zarvo {

// The event timer: armed for one moment at a time. The first check at or after the moment makes
// it go off, once. When that first check comes only after the moment's minute has gone by (the
// machine slept, the process was stopped, the clock was set forward over it), the moment is
// reported as missed instead, so that the scheduler can deal with everything that passed and
// arm the next event at once: an alarm is never left waiting for a moment that is gone.
class EventAlarm : public AlarmSource
{
    Q_OBJECT
public:
    explicit EventAlarm(const IClock& clock, QObject* parent = nullptr);

    void armAt(const QDateTime& moment);
    void disarm();
    bool armed() const { return m_moment.isValid(); }
    QDateTime moment() const { return m_moment; }

    void Tick() override { Check(); }
    void Check() override;
    QDateTime nextAlarmMoment() const override { return m_moment; }

Q_SIGNALS:
    void OnAlarm(const QDateTime& moment);
    void missed(const QDateTime& moment);

private:
    const IClock& m_clock;
    QDateTime m_moment;
    bool m_inAlarm = false;
};

} // namespace zarvo
