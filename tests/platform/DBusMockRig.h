#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// tools/rigs/dbusmock.sh started in a private folder: a private system bus with the login and
// network manager mocks and a private session bus. Tests reach only these two buses; the
// machine's own buses are never connected to.
class DBusMockRig
{
public:
    ~DBusMockRig()
    {
        if (m_started) rig({"stop"});
    }
    // Empty when the rig is up; else why not (no dbus-daemon or python3-dbusmock).
    QString start()
    {
        m_script = qEnvironmentVariable("ZARVO_TEST_DATA") + "/../tools/rigs/dbusmock.sh";
        if (!QFile::exists(m_script)) return "rig script not found: " + m_script;
        if (!rig({"start"})) return "the D-Bus mock rig did not start: " + m_output;
        m_started = true;
        // Anything the code under test or a child reads from the environment is private too.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address("system").toUtf8());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address("session").toUtf8());
        system = QDBusConnection::connectToBus(address("system"), "zarvo-test-system");
        session = QDBusConnection::connectToBus(address("session"), "zarvo-test-session");
        if (!system.isConnected() || !session.isConnected()) return "cannot connect to the private buses";
        // The login service on this bus must be the mock, or nothing may be asked of it.
        if (call(system, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.DBus.Mock",
                 "GetCalls")
                .type() != QDBusMessage::ReplyMessage)
            return "the login service on the private bus is not a mock";
        return {};
    }
    QString address(const QString& bus) const
    {
        return "unix:path=" + m_dir.path() + "/dbusmock/" + bus + "_bus_socket";
    }
    bool rig(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RIG_DIR", m_dir.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("bash", QStringList{m_script} + args);
        const bool ok =
            p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        m_output = QString::fromUtf8(p.readAll());
        return ok;
    }
    static QDBusMessage call(QDBusConnection& bus, const QString& service, const QString& path,
                             const QString& iface, const QString& method, const QVariantList& args = {})
    {
        QDBusMessage m = QDBusMessage::createMethodCall(service, path, iface, method);
        m.setArguments(args);
        return bus.call(m, QDBus::Block, 5000);
    }
    // The mock's calls since its last ClearCalls, as "Method arg,arg" lines; the mock's own
    // bookkeeping (property reads) left out.
    static QStringList calls(QDBusConnection& bus, const QString& service, const QString& path)
    {
        const QDBusMessage reply = call(bus, service, path, "org.freedesktop.DBus.Mock", "GetCalls");
        QStringList out;
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {"<GetCalls failed: " + reply.errorMessage() + ">"};
        const QDBusArgument arg = qvariant_cast<QDBusArgument>(reply.arguments().first());
        arg.beginArray();
        while (!arg.atEnd()) {
            qulonglong time;
            QString method;
            QVariantList values;
            arg.beginStructure();
            arg >> time >> method >> values;
            arg.endStructure();
            if (method == "Get" || method == "GetAll") continue;
            QStringList texts;
            for (QVariant v : values) {
                if (v.canConvert<QDBusVariant>()) v = qvariant_cast<QDBusVariant>(v).variant();
                if (v.canConvert<QDBusObjectPath>())
                    texts << qvariant_cast<QDBusObjectPath>(v).path();
                else
                    texts << v.toString();
            }
            out << (method + ' ' + texts.join(',')).trimmed();
        }
        arg.endArray();
        return out;
    }
    static void clearCalls(QDBusConnection& bus, const QString& service, const QString& path)
    {
        call(bus, service, path, "org.freedesktop.DBus.Mock", "ClearCalls");
    }

    QDBusConnection system{QString()};
    QDBusConnection session{QString()};

private:
    QTemporaryDir m_dir;
    QString m_script;
    QString m_output;
    bool m_started = false;
};
