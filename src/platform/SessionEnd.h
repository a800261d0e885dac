#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusMessage;

namespace zarvo {

// There are no process privileges to switch on here: the login service asks its own policy
// whether this user may end the session or the machine. Kept so the callers read the same on
// every system.
inline void EnablePrivilege(const QString& name)
{
    (void)name;
}

// Ends the machine or the session without asking the user: power off and reboot through
// the login service on the system bus; log off through the desktop's session manager on the
// session bus where one answers, else through the login service for our own session. Every call
// is sent without waiting for its answer, and failures are silent.
class SessionEnd : public QObject
{
    Q_OBJECT
public:
    // The buses named by the environment (DBUS_SYSTEM_BUS_ADDRESS, DBUS_SESSION_BUS_ADDRESS).
    explicit SessionEnd(QObject* parent = nullptr);
    SessionEnd(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
               QObject* parent = nullptr);

    // 0 shut down and 2 power off (both switch the machine off), 1 log off, 3 reboot; any other
    // value asks nothing.
    void request(int shutdownType);

private:
    void callLogin(const QString& method, const QVariantList& arguments);
    void logoffThroughSessionManager(int candidate);
    void terminateOwnSession();
    void terminateSession(const QString& sessionId);
    void terminateSessionFromEnvironment();
    template <typename Handler>
    void whenAnswered(QDBusConnection& bus, const QDBusMessage& call, Handler handler);

    QDBusConnection m_system;
    QDBusConnection m_session;
};

} // namespace zarvo
