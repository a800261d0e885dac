#include "DialUpGuard.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace zarvo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");

// A service that does not answer soon counts as having no connections: the network action waits
// for the listing.
constexpr int kTimeoutMs = 1000;

QVariant property(const QDBusConnection& bus, const QString& path, const QString& interface,
                  const QString& name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, name});
    get.setAutoStartService(false);
    const QDBusMessage reply = bus.call(get, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
}

// The object paths in an "ao" value, however the bus handed it over.
QStringList objectPaths(const QVariant& value)
{
    QStringList paths;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = qvariant_cast<QDBusArgument>(value);
        if (arg.currentType() != QDBusArgument::ArrayType) return paths;
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusObjectPath p;
            arg >> p;
            paths << p.path();
        }
        arg.endArray();
    } else {
        for (const QDBusObjectPath& p : qvariant_cast<QList<QDBusObjectPath>>(value))
            paths << p.path();
    }
    return paths;
}

// settings["bluetooth"]["type"] from a connection's settings (a{sa{sv}}).
QString bluetoothType(const QDBusArgument& settings)
{
    QString type;
    if (settings.currentType() != QDBusArgument::MapType) return type;
    settings.beginMap();
    while (!settings.atEnd()) {
        settings.beginMapEntry();
        QString group;
        QVariantMap values;
        settings >> group >> values;
        settings.endMapEntry();
        if (group == QStringLiteral("bluetooth")) type = values.value(QStringLiteral("type")).toString();
    }
    settings.endMap();
    return type;
}

} // namespace

DialUpGuard::DialUpGuard() : DialUpGuard(QDBusConnection::systemBus()) {}

DialUpGuard::DialUpGuard(const QDBusConnection& systemBus) : m_bus(systemBus) {}

bool DialUpGuard::isDialUp(const QString& activeConnection) const
{
    const QString type = property(m_bus, activeConnection, kActive, QStringLiteral("Type")).toString();
    if (type == QStringLiteral("gsm") || type == QStringLiteral("cdma") || type == QStringLiteral("pppoe"))
        return true;
    if (type != QStringLiteral("bluetooth")) return false;
    // A Bluetooth link is dial-up only for the DUN profile; a personal-area network is a LAN.
    const QDBusObjectPath settings = qvariant_cast<QDBusObjectPath>(
        property(m_bus, activeConnection, kActive, QStringLiteral("Connection")));
    if (settings.path().isEmpty()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, settings.path(), QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection"),
        QStringLiteral("GetSettings"));
    call.setAutoStartService(false);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    const QVariant value = reply.arguments().first();
    if (!value.canConvert<QDBusArgument>()) return false;
    return bluetoothType(qvariant_cast<QDBusArgument>(value)) == QStringLiteral("dun");
}

QStringList DialUpGuard::activeDialUpConnections() const
{
    if (!m_bus.isConnected()) return {};
    QStringList dialUp;
    const QStringList active =
        objectPaths(property(m_bus, kManagerPath, kService, QStringLiteral("ActiveConnections")));
    for (const QString& path : active)
        if (isDialUp(path)) dialUp << path;
    return dialUp;
}

void DialUpGuard::DialUpSnapshot()
{
    m_before = activeDialUpConnections();
}

void DialUpGuard::HangUpNewConnection()
{
    const QStringList after = activeDialUpConnections();
    // Only a connection that was not there before the action is ours to end, whatever order the
    // service lists them in; of several new ones the last listed is taken, as one action dials
    // at most once.
    QString added;
    for (const QString& path : after)
        if (!m_before.contains(path)) added = path;
    m_before.clear();
    if (added.isEmpty()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kService,
                                                       QStringLiteral("DeactivateConnection"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(added))});
    call.setAutoStartService(false);
    // Waited for, so that a snapshot taken right after it no longer lists the connection.
    m_bus.call(call, QDBus::Block, kTimeoutMs);
}

} // namespace zarvo
