#include "DBusMockRig.h"
#include "platform/DialUpGuard.h"
#include "platform/SessionEnd.h"
#include "platform/SystemActions.h"

#include <QDBusMetaType>
#include <QElapsedTimer>
#include <QtTest>

#include <climits>

// One method of a mocked object: name, in and out signatures, and its Python code.
struct MethodSpec
{
    QString name, in, out, code;
    friend QDBusArgument& operator<<(QDBusArgument& a, const MethodSpec& s)
    {
        a.beginStructure();
        a << s.name << s.in << s.out << s.code;
        a.endStructure();
        return a;
    }
    friend const QDBusArgument& operator>>(const QDBusArgument& a, MethodSpec& s)
    {
        a.beginStructure();
        a >> s.name >> s.in >> s.out >> s.code;
        a.endStructure();
        return a;
    }
};
Q_DECLARE_METATYPE(MethodSpec)

using zarvo::DialUpGuard;
using zarvo::SessionEnd;

namespace {
const QString kLogin = "org.freedesktop.login1";
const QString kLoginPath = "/org/freedesktop/login1";
const QString kNM = "org.freedesktop.NetworkManager";
const QString kNMPath = "/org/freedesktop/NetworkManager";
const QString kMock = "org.freedesktop.DBus.Mock";
} // namespace

class TestDBusActions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QString why = m_rig.start();
        if (!why.isEmpty()) QSKIP(qPrintable(why));
    }

    // Exactly the call of the table, never interactive; other values ask nothing.
    void endsTheMachine_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("0 shutdown") << 0 << QStringList{"PowerOff false"};
        QTest::newRow("2 power off") << 2 << QStringList{"PowerOff false"};
        QTest::newRow("3 reboot") << 3 << QStringList{"Reboot false"};
        QTest::newRow("-1") << -1 << QStringList{};
        QTest::newRow("4") << 4 << QStringList{};
        QTest::newRow("INT_MAX") << INT_MAX << QStringList{};
        QTest::newRow("INT_MIN") << INT_MIN << QStringList{};
    }
    void endsTheMachine()
    {
        QFETCH(int, type);
        QFETCH(QStringList, expected);
        DBusMockRig::clearCalls(m_rig.system, kLogin, kLoginPath);
        zarvo::SystemActions actions(m_rig.system, m_rig.session);
        actions.requestShutdown(type);
        // Calls on one connection arrive in order: this answer comes after the request's.
        QCOMPARE(DBusMockRig::calls(m_rig.system, kLogin, kLoginPath), expected);
    }

    // Log off: the session manager that answers, without confirmation; without one, the login
    // service ends our own session; one that refuses is not overruled.
    void logsOff_data()
    {
        QTest::addColumn<QString>("manager");
        QTest::addColumn<QString>("refusal"); // python raised by the manager's method, if any
        QTest::addColumn<QStringList>("managerCalls");
        QTest::addColumn<QStringList>("loginCalls");
        QTest::newRow("none") << "none"
                              << "" << QStringList{} << QStringList{getSession(), "TerminateSession zarvo1"};
        QTest::newRow("gnome") << "gnome"
                               << "" << QStringList{"Logout 1"} << QStringList{};
        QTest::newRow("kde") << "kde"
                             << "" << QStringList{"logout 0,0,0"} << QStringList{};
        QTest::newRow("xfce") << "xfce"
                              << "" << QStringList{"Logout false,true"} << QStringList{};
        QTest::newRow("refused")
            << "gnome"
            << "raise dbus.exceptions.DBusException('no', name='org.freedesktop.DBus.Error.AccessDenied')"
            << QStringList{"Logout 1"} << QStringList{};
    }
    void logsOff()
    {
        QFETCH(QString, manager);
        QFETCH(QString, refusal);
        QFETCH(QStringList, managerCalls);
        QFETCH(QStringList, loginCalls);
        QVERIFY(m_rig.rig({"session-manager", manager}));
        const QStringList where = sessionManager(manager);
        if (!refusal.isEmpty())
            DBusMockRig::call(m_rig.session, where[0], where[1], kMock, "AddMethod",
                              {where[2], where[3], where[4], "", refusal});
        DBusMockRig::clearCalls(m_rig.system, kLogin, kLoginPath);
        SessionEnd end(m_rig.system, m_rig.session);
        end.request(1);
        if (!loginCalls.isEmpty())
            QTRY_COMPARE(DBusMockRig::calls(m_rig.system, kLogin, kLoginPath), loginCalls);
        if (!managerCalls.isEmpty())
            QTRY_COMPARE(DBusMockRig::calls(m_rig.session, where[0], where[1]), managerCalls);
        QTest::qWait(300); // nothing more follows
        QCOMPARE(DBusMockRig::calls(m_rig.system, kLogin, kLoginPath), loginCalls);
        QVERIFY(m_rig.rig({"session-manager", "none"}));
    }

    // Where the login service cannot name our session, the session the desktop gave us is used.
    void logsOffTheEnvironmentsSession()
    {
        const QString raise = "raise dbus.exceptions.DBusException('no session', "
                              "name='org.freedesktop.login1.NoSessionForPID')";
        DBusMockRig::call(m_rig.system, kLogin, kLoginPath, kMock, "AddMethod",
                          {"org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o", raise});
        qputenv("XDG_SESSION_ID", "c7");
        DBusMockRig::clearCalls(m_rig.system, kLogin, kLoginPath);
        SessionEnd end(m_rig.system, m_rig.session);
        end.request(1);
        QTRY_COMPARE(DBusMockRig::calls(m_rig.system, kLogin, kLoginPath),
                     (QStringList{getSession(), "TerminateSession c7"}));
        qunsetenv("XDG_SESSION_ID");
        DBusMockRig::call(m_rig.system, kLogin, kLoginPath, kMock, "AddMethod",
                          {"org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o",
                           "ret = '/org/freedesktop/login1/session/zarvo1'"});
    }

    // Only the dial-up connection that came up during the action is hung up, whatever order
    // the service lists them in; other kinds and older connections are left alone.
    void hangsUpOnlyTheNewDialUpConnection_data()
    {
        QTest::addColumn<QStringList>("before"); // "name:type" of the active connections
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("expected");
        const QString ac = kNMPath + "/ActiveConnection/";
        QTest::newRow("new modem, old one kept") << QStringList{"eth:802-3-ethernet", "old:gsm"}
                                                 << QStringList{"eth:802-3-ethernet", "old:gsm", "new:gsm"}
                                                 << QStringList{"DeactivateConnection " + ac + "new"};
        QTest::newRow("new one listed first")
            << QStringList{"old:cdma"} << QStringList{"new:pppoe", "old:cdma"}
            << QStringList{"DeactivateConnection " + ac + "new"};
        QTest::newRow("none before, one after")
            << QStringList{} << QStringList{"new:pppoe"} << QStringList{"DeactivateConnection " + ac + "new"};
        QTest::newRow("the same one before and after")
            << QStringList{"old:gsm"} << QStringList{"old:gsm"} << QStringList{};
        QTest::newRow("other kinds") << QStringList{}
                                     << QStringList{"e:802-3-ethernet", "w:802-11-wireless", "v:vpn",
                                                    "pan:bluetooth"}
                                     << QStringList{};
        QTest::newRow("bluetooth dial-up")
            << QStringList{"pan:bluetooth"} << QStringList{"pan:bluetooth", "dun:bluetooth"}
            << QStringList{"DeactivateConnection " + ac + "dun"};
        QTest::newRow("gone during the action") << QStringList{"old:gsm"} << QStringList{} << QStringList{};
    }
    void hangsUpOnlyTheNewDialUpConnection()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QStringList, expected);
        DialUpGuard guard(m_rig.system);
        setActiveConnections(before);
        guard.DialUpSnapshot();
        setActiveConnections(after); // what the action brought up
        DBusMockRig::clearCalls(m_rig.system, kNM, kNMPath);
        guard.HangUpNewConnection();
        QStringList calls = DBusMockRig::calls(m_rig.system, kNM, kNMPath);
        calls.removeAll("GetDevices"); // the mock's own doing when it deactivates
        QCOMPARE(calls, expected);
    }

    // No bus at all: nothing happens, nothing waits, nothing breaks.
    void withoutAnyBus()
    {
        const QDBusConnection none =
            QDBusConnection::connectToBus("unix:path=/nonexistent/zarvo-bus", "zarvo-none");
        QVERIFY(!none.isConnected());
        QElapsedTimer timer;
        timer.start();
        zarvo::SystemActions actions(none, none);
        for (int type : {0, 1, 2, 3, 7})
            actions.requestShutdown(type);
        DialUpGuard guard(none);
        guard.DialUpSnapshot();
        QVERIFY(guard.activeDialUpConnections().isEmpty());
        guard.HangUpNewConnection();
        QTest::qWait(200); // the log-off chain runs to its end
        QVERIFY(timer.elapsed() < 2000);
    }

private:
    static QString getSession()
    {
        return "GetSessionByPID " + QString::number(QCoreApplication::applicationPid());
    }
    static QStringList sessionManager(const QString& name)
    {
        if (name == "gnome")
            return {"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager",
                    "Logout", "u"};
        if (name == "kde")
            return {"org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface", "logout", "iii"};
        if (name == "xfce")
            return {"org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager",
                    "Logout", "bb"};
        return {"", "", "", "", ""};
    }

    // Publishes the active connections ("name:type") on the mocked network manager, in order.
    void setActiveConnections(const QStringList& connections)
    {
        QList<QDBusObjectPath> paths;
        for (const QString& c : connections) {
            const QString name = c.section(':', 0, 0), type = c.section(':', 1);
            const QString path = kNMPath + "/ActiveConnection/" + name;
            const QString settings = kNMPath + "/Settings/" + name;
            if (!m_published.contains(name)) {
                m_published << name;
                QVariantMap props{{"Type", type},
                                  {"Id", name},
                                  {"Connection", QVariant::fromValue(QDBusObjectPath(settings))}};
                addObject(path, "org.freedesktop.NetworkManager.Connection.Active", props, {});
                const QString btType = name == "dun" ? "dun" : "panu";
                addObject(settings, "org.freedesktop.NetworkManager.Settings.Connection", {},
                          {{"GetSettings", "", "a{sa{sv}}",
                            "ret = {'connection': {'id': '" + name + "'}, 'bluetooth': {'type': '" + btType +
                                "'}}"}});
            }
            paths << QDBusObjectPath(path);
        }
        const QDBusMessage r =
            DBusMockRig::call(m_rig.system, kNM, kNMPath, kMock, "SetProperty",
                              {kNMPath, kNM, "ActiveConnections",
                               QVariant::fromValue(QDBusVariant(QVariant::fromValue(paths)))});
        QVERIFY2(r.type() == QDBusMessage::ReplyMessage, qPrintable(r.errorMessage()));
    }
    void addObject(const QString& path, const QString& iface, const QVariantMap& props,
                   const QList<QStringList>& methods)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kNM, kNMPath, kMock, "AddObject");
        // a(ssss): the methods of the new object.
        QDBusArgument methodsArg;
        methodsArg.beginArray(qMetaTypeId<MethodSpec>());
        for (const QStringList& m : methods)
            methodsArg << MethodSpec{m[0], m[1], m[2], m[3]};
        methodsArg.endArray();
        call.setArguments({path, iface, props, QVariant::fromValue(methodsArg)});
        const QDBusMessage r = m_rig.system.call(call, QDBus::Block, 5000);
        QVERIFY2(r.type() == QDBusMessage::ReplyMessage, qPrintable(r.errorMessage()));
    }

private:
    DBusMockRig m_rig;
    QStringList m_published;
};

int main(int argc, char** argv)
{
    qDBusRegisterMetaType<MethodSpec>();
    QCoreApplication app(argc, argv);
    TestDBusActions test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_dbusactions.moc"
