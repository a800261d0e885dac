#pragma once

#include "core/SystemTimeSetter.h"

#include <QDBusConnection>

namespace zarvo {

// Sets the clock through the system's time-and-date service on D-Bus (non-interactive, so no
// password prompt can appear in the middle of a firing). The call is not waited for.
class TimeDated : public ISystemTimeSetter
{
public:
    explicit TimeDated(const QDBusConnection& bus = QDBusConnection::systemBus());
    void setSystemTime(const QDateTime& instant) override;

private:
    QDBusConnection m_bus;
};

} // namespace zarvo
