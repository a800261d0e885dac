#include "TrayHost.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace zarvo {

void askStatusNotifierWatcher(QObject* context, std::function<void(bool)> answer)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QTimer::singleShot(0, context, [answer] { answer(false); });
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    call.setArguments({QStringLiteral("org.kde.StatusNotifierWatcher")});
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, answer] {
        watcher->deleteLater();
        const QDBusPendingReply<bool> reply = *watcher;
        answer(reply.isValid() && reply.value());
    });
}

} // namespace zarvo
