#include "DBusMockRig.h"
#include "platform/DesktopNotifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QtTest>

using zarvo::DesktopNotifier;

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The arguments of every Notify the mocked service received.
QList<QVariantList> notifyCalls(QDBusConnection& bus)
{
    const QDBusMessage reply =
        DBusMockRig::call(bus, kService, kPath, "org.freedesktop.DBus.Mock", "GetCalls");
    QList<QVariantList> out;
    if (reply.type() != QDBusMessage::ReplyMessage) return out;
    const QDBusArgument arg = qvariant_cast<QDBusArgument>(reply.arguments().first());
    arg.beginArray();
    while (!arg.atEnd()) {
        qulonglong time;
        QString method;
        QVariantList values;
        arg.beginStructure();
        arg >> time >> method >> values;
        arg.endStructure();
        if (method != QLatin1String("Notify")) continue;
        for (QVariant& v : values) {
            if (v.canConvert<QDBusVariant>()) v = qvariant_cast<QDBusVariant>(v).variant();
            if (v.canConvert<QDBusArgument>()) {
                const QDBusArgument inner = qvariant_cast<QDBusArgument>(v);
                v = inner.currentSignature() == QLatin1String("a{sv}")
                        ? QVariant(qdbus_cast<QVariantMap>(inner))
                        : QVariant(qdbus_cast<QStringList>(inner));
            }
        }
        out << values;
    }
    arg.endArray();
    return out;
}

} // namespace

class TestDesktopNotifier : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QString why = m_rig.start();
        if (!why.isEmpty()) QSKIP(qPrintable(why));
    }

    void cleanup()
    {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            m_daemon.waitForFinished(5000);
        }
    }

    // The line reaches the service with the program's name and icon, its own category, and the
    // hint that keeps the service from playing a sound over the program's.
    void notifies()
    {
        startDaemon();
        DesktopNotifier notifier(m_rig.session);
        QSignalSpy answered(&notifier, &DesktopNotifier::answered);
        notifier.notify(QStringLiteral("Tea <is> ready & hot"), QStringLiteral("16:05:00"));
        notifier.notify(QStringLiteral("Mail"), QStringLiteral("9:00:00 New messages:3"));
        QTRY_COMPARE(answered.size(), 2);
        QVERIFY(answered.at(0).at(0).toUInt() > 0);
        QVERIFY(answered.at(1).at(0).toUInt() != answered.at(0).at(0).toUInt()); // two notifications

        const QList<QVariantList> calls = notifyCalls(m_rig.session);
        QCOMPARE(calls.size(), 2);
        const QVariantList& c = calls.at(0);
        QCOMPARE(c.size(), 8);
        QCOMPARE(c.at(0).toString(), QStringLiteral("Zarvo!"));
        QCOMPARE(c.at(1).toUInt(), 0u); // a new notification, replacing none
        QCOMPARE(c.at(2).toString(), QStringLiteral("com.pelmark.Zarvo"));
        QCOMPARE(c.at(3).toString(), QStringLiteral("Tea <is> ready & hot"));
        QCOMPARE(c.at(4).toString(), QStringLiteral("16:05:00"));
        QCOMPARE(c.at(5).toStringList(), QStringList());
        const QVariantMap hints = c.at(6).toMap();
        QCOMPARE(hints.value(QStringLiteral("category")).toString(), QStringLiteral("x-zarvo.alarm"));
        QCOMPARE(hints.value(QStringLiteral("suppress-sound")).toBool(), true);
        QCOMPARE(hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("com.pelmark.Zarvo"));
        QCOMPARE(c.at(7).toInt(), -1); // the service's own time-out
        QCOMPARE(calls.at(1).at(4).toString(), QStringLiteral("9:00:00 New messages:3"));
    }

    // With no service on the bus, or no bus, the answer is "none" and nothing is left waiting.
    void noServiceNoHarm()
    {
        QVERIFY(!m_rig.session.interface()->isServiceRegistered(kService));
        DesktopNotifier notifier(m_rig.session);
        QSignalSpy answered(&notifier, &DesktopNotifier::answered);
        notifier.notify(QStringLiteral("Tea is ready"), QStringLiteral("16:05:00"));
        QTRY_COMPARE(answered.size(), 1);
        QCOMPARE(answered.at(0).at(0).toUInt(), 0u);

        DesktopNotifier nowhere(QDBusConnection(QStringLiteral("never connected")));
        QSignalSpy none(&nowhere, &DesktopNotifier::answered);
        nowhere.notify(QStringLiteral("Tea is ready"), QStringLiteral("16:05:00"));
        QTRY_COMPARE(none.size(), 1);
        QCOMPARE(none.at(0).at(0).toUInt(), 0u);
    }

private:
    void startDaemon()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_rig.address(QStringLiteral("session")));
        m_daemon.setProcessEnvironment(env);
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_daemon.start(QStringLiteral("/usr/bin/python3"),
                       {"-m", "dbusmock", "--session", "-t", "notification_daemon"});
        QVERIFY(m_daemon.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_rig.session.interface()->isServiceRegistered(kService), 20000);
    }

    DBusMockRig m_rig;
    QProcess m_daemon;
};

QTEST_GUILESS_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"
