#pragma once

#include <QDateTime>
#include <QObject>

namespace zarvo {

// An alarm that a clock driver checks: at every tick, at once when the system time is set, and
// precisely at nextAlarmMoment() (see platform/ClockDriver).
class AlarmSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // One tick of the control: whatever the tick shows, then the alarm check.
    virtual void Tick() = 0;
    // The alarm check alone.
    virtual void Check() = 0;
    // The next moment at which Check() would go off if nothing changed before; invalid when the
    // alarm is off.
    virtual QDateTime nextAlarmMoment() const = 0;

Q_SIGNALS:
    // What nextAlarmMoment() gives may have changed.
    void armingChanged();
};

} // namespace zarvo
