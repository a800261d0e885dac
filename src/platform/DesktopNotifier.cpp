#include "platform/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

namespace zarvo {

namespace {

// Long enough for a busy desktop; the answer is only reported, nothing waits for it.
constexpr int kTimeoutMs = 10000;

// Without an address and without the user's bus socket, asking for the session bus would start
// a bus of its own (autolaunch) and wait for it: there is no desktop to notify then anyway.
bool sessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {}

void DesktopNotifier::notify(const QString& summary, const QString& body)
{
    if (!m_bus && sessionBusExists()) m_bus = QDBusConnection::sessionBus();
    if (!m_bus || !m_bus->isConnected()) {
        QMetaObject::invokeMethod(
            this, [this] { emit answered(0); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("category"), category()},
        {QStringLiteral("desktop-entry"), iconName()},
        // The program plays the event's own sound; the service's would play over it.
        {QStringLiteral("suppress-sound"), true},
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
    };
    // The body is the program's own text (a time of day and a message count), never markup;
    // the summary is plain text for every service.
    call << appName() << uint(0) << iconName() << summary << body << QStringList() << hints << int(-1);
    // Started by the bus when a service is installed but not running; an error reply at once
    // when there is none.
    call.setAutoStartService(true);
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        w->deleteLater();
        emit answered(reply.isValid() ? reply.value() : 0);
    });
}

} // namespace zarvo
