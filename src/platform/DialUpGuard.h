#pragma once

#include "core/DialUp.h"

#include <QDBusConnection>
#include <QStringList>

namespace zarvo {

// The dial-up guard over the network manager service on the system bus: the dial-up kinds are
// mobile modems (gsm, cdma), PPPoE and Bluetooth dial-up networking. The listing waits for its
// answers, briefly, since the network action must not start before its snapshot is taken.
class DialUpGuard : public IDialUpGuard
{
public:
    // The system bus named by the environment (DBUS_SYSTEM_BUS_ADDRESS).
    DialUpGuard();
    explicit DialUpGuard(const QDBusConnection& systemBus);

    void DialUpSnapshot() override;
    void HangUpNewConnection() override;

    // The active dial-up connections, as object paths in the service's order; empty when the
    // listing fails.
    QStringList activeDialUpConnections() const;

private:
    bool isDialUp(const QString& activeConnection) const;

    QDBusConnection m_bus;
    QStringList m_before;
};

} // namespace zarvo
