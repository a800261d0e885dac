#include "SessionEnd.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <array>
#include <unistd.h>

namespace zarvo {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kLoginManager = QStringLiteral("org.freedesktop.login1.Manager");

// Nothing waits for these answers; the time-out only bounds how long an unanswered call is kept.
constexpr int kTimeoutMs = 3000;

struct SessionManager
{
    const char* service;
    const char* path;
    const char* interface;
    const char* method;
};

// Each asked to log out without a confirmation dialog; the arguments follow in logoffArguments.
constexpr std::array<SessionManager, 3> kSessionManagers{{
    {"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Logout"},
    {"org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface", "logout"},
    {"org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", "Logout"},
}};

QVariantList logoffArguments(int candidate)
{
    switch (candidate) {
    case 0:
        return {QVariant::fromValue(1u)}; // mode 1: no confirmation
    case 1:
        return {0, 0, 0}; // no confirmation, log out only, default mode
    default:
        return {false, true}; // no dialog, let applications save
    }
}

// The session manager is not there (or not that one): try the next way. Any other error means
// one is there and refused or is still busy, and ending the session behind its back would throw
// away what its programs hold unsaved.
bool notThere(const QDBusError& error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
    case QDBusError::Disconnected:
        return true;
    default:
        // A name that only service activation could provide is not running.
        return error.name() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
    }
}

} // namespace

SessionEnd::SessionEnd(QObject* parent)
    : SessionEnd(QDBusConnection::systemBus(), QDBusConnection::sessionBus(), parent)
{
}

SessionEnd::SessionEnd(const QDBusConnection& systemBus, const QDBusConnection& sessionBus, QObject* parent)
    : QObject(parent), m_system(systemBus), m_session(sessionBus)
{
}

void SessionEnd::request(int shutdownType)
{
    switch (shutdownType) {
    case 0: // "Shutdown": logind's Halt would stop the system but leave the machine switched on
    case 2:
        callLogin(QStringLiteral("PowerOff"), {false});
        break;
    case 1:
        logoffThroughSessionManager(0);
        break;
    case 3:
        callLogin(QStringLiteral("Reboot"), {false});
        break;
    default:
        break;
    }
}

void SessionEnd::callLogin(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    // The answer is of no use: whatever happens next is the system's affair.
    m_system.asyncCall(call, kTimeoutMs);
}

template <typename Handler>
void SessionEnd::whenAnswered(QDBusConnection& bus, const QDBusMessage& call, Handler handler)
{
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, handler](QDBusPendingCallWatcher*) {
        watcher->deleteLater();
        handler(watcher->reply());
    });
}

void SessionEnd::logoffThroughSessionManager(int candidate)
{
    if (candidate >= int(kSessionManagers.size())) {
        terminateOwnSession();
        return;
    }
    const SessionManager& sm = kSessionManagers[std::size_t(candidate)];
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(sm.service), QString::fromLatin1(sm.path),
                                       QString::fromLatin1(sm.interface), QString::fromLatin1(sm.method));
    call.setArguments(logoffArguments(candidate));
    // Starting a session manager just to log out of a session that has none would be wrong.
    call.setAutoStartService(false);
    whenAnswered(m_session, call, [this, candidate](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage && notThere(QDBusError(reply)))
            logoffThroughSessionManager(candidate + 1);
    });
}

void SessionEnd::terminateOwnSession()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager, QStringLiteral("GetSessionByPID"));
    call.setArguments({QVariant::fromValue(quint32(::getpid()))});
    call.setAutoStartService(false);
    whenAnswered(m_system, call, [this](const QDBusMessage& reply) {
        const QDBusObjectPath session =
            reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                ? qvariant_cast<QDBusObjectPath>(reply.arguments().first())
                : QDBusObjectPath();
        if (session.path().isEmpty()) {
            terminateSessionFromEnvironment();
            return;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(
            kLogin, session.path(), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get.setArguments({QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Id")});
        whenAnswered(m_system, get, [this](const QDBusMessage& idReply) {
            const QString id =
                idReply.type() == QDBusMessage::ReplyMessage && !idReply.arguments().isEmpty()
                    ? qvariant_cast<QDBusVariant>(idReply.arguments().first()).variant().toString()
                    : QString();
            if (id.isEmpty())
                terminateSessionFromEnvironment();
            else
                terminateSession(id);
        });
    });
}

void SessionEnd::terminateSessionFromEnvironment()
{
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (!id.isEmpty()) terminateSession(id);
}

void SessionEnd::terminateSession(const QString& sessionId)
{
    callLogin(QStringLiteral("TerminateSession"), {sessionId});
}

} // namespace zarvo
