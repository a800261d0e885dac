#pragma once

#include "core/DialUp.h"

#include <QDBusConnection>
#include <QStringList>

namespace zarvo {

// The dial-up guard over the network manager service on the system bus: the dial-up kinds are
// mobile modems (gsm, cdma), PPPoE and Bluetooth dial-up networking. Its calls wait for their
// answers (briefly: a service that does not answer counts as having no connections), since the
// network action must not start before its snapshot is taken, so they are made on the network
// actions' worker threads, never on the user-interface thread. The bus connection may be used
// from any thread; the caller makes one call at a time.
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
