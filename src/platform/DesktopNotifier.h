#pragma once

#include "platform/XdgPaths.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace zarvo {

// Puts a line in front of the user through the desktop's notification service
// (org.freedesktop.Notifications). The call is sent and never waited for: with no service on
// the bus, or no bus at all, nothing happens.
class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    // Without a bus, the session bus is used, connected to on the first notification only (and
    // not at all where the session has none).
    explicit DesktopNotifier(QObject* parent = nullptr);
    explicit DesktopNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

    // The name the notifications carry, and the installed icon they show.
    static QString appName() { return QStringLiteral("Zarvo!"); }
    static QString iconName() { return applicationId(); }
    static QString category() { return QStringLiteral("x-zarvo.alarm"); }

    void notify(const QString& summary, const QString& body);

Q_SIGNALS:
    // The service's answer to one notify(): its id for the notification, or 0 when it failed
    // or none answered.
    void answered(uint id);

private:
    std::optional<QDBusConnection> m_bus;
};

} // namespace zarvo
