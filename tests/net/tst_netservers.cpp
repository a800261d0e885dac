// The network actions against real servers on 127.0.0.1, started by
// tests/integration/net_servers.sh: a POP3 server with a mailbox of 3, an SMTP server that stores
// what it accepts, an RFC 868 time service, and the time-and-date and network manager services
// mocked on a private bus.
#include "NetRig.h"
#include "SmtpScript.h"
#include "net/NMTime.h"
#include "platform/DialUpGuard.h"
#include "platform/TimeDated.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <atomic>

using namespace zarvo;

namespace {

QString env(const char* name)
{
    return qEnvironmentVariable(name);
}

// The newest stored message, or "" when none came.
QByteArray newestMail(const QString& maildir)
{
    QDir dir(maildir + QStringLiteral("/new"));
    const QStringList files = dir.entryList(QDir::Files, QDir::Time);
    if (files.isEmpty()) return {};
    QFile f(dir.filePath(files.first()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestNetServers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void mailbox_data();
    void mailbox();
    void mail_data();
    void mail();
    void timeOfDay();
    void clockSetKeepsTheLocalDate();
    void dialUpHungUpFromTheWorker();
};

void TestNetServers::initTestCase()
{
    if (env("POP3_PORT").isEmpty() || env("SMTP_MAILDIR").isEmpty() || env("TIME_PORT").isEmpty())
        QSKIP("run through tests/integration/net_servers.sh, which starts the servers");
}

void TestNetServers::mailbox_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("three messages") << env("POP3_PASS")
                                    << QStringList{QStringLiteral("Mail - 09:00:00 New messages:3")};
    QTest::newRow("wrong password") << QStringLiteral("wrong") << QStringList{};
}

void TestNetServers::mailbox()
{
    QFETCH(QString, password);
    QFETCH(QStringList, lines);
    const QDate day = QDate::currentDate();
    NetRig rig(QDateTime(day, QTime(8, 59)));
    rig.settings.User = env("POP3_USER");
    rig.settings.Pas = password;
    rig.settings.Server = QStringLiteral("127.0.0.1");
    rig.settings.Port = env("POP3_PORT").toInt();
    rig.settings.Timeout = 1;
    rig.add(QStringLiteral("Mail"), day, QTime(9, 0), EvCheckMailbox, 1);
    rig.scheduler.SelectNextEvent();
    rig.runTo(QDateTime(day, QTime(9, 1)));
    QCOMPARE(rig.dateOf(QStringLiteral("Mail")), day.addDays(1));
    QTRY_COMPARE(rig.results, 1);
    QCOMPARE(rig.lines, lines);
    QTRY_COMPARE(rig.dialUp.calls(), kOneBracket);
}

void TestNetServers::mail_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QByteArray>("stored");
    // The date is the moment the event fired, by the test's clock, three hours east of UTC.
    const QByteArray tail = "X-Mailer: Zarvo! 4.01\r\nMime-Version: 1.0\r\n"
                            "Content-Type: text/plain;                        charset=us-ascii\r\n"
                            "Date: Thu, 10 Dec 2026 12:00:00 +0300\r\nMessage-ID: <ID@example.org>\r\n"
                            "\r\n\r\n.dots first\r\n"; // unstuffed by the server
    QTest::newRow("plain")
        << "you@example.org"
        << "Reminder"
        << "X-Rig-Helo: alice\r\nX-Rig-Auth: \r\nX-Rig-Mail-From: me@example.org\r\n"
           "X-Rig-Rcpt-To: you@example.org\r\nFrom: <me@example.org>\r\nTo: you@example.org\r\n"
           "Subject: Reminder\r\n" +
               tail;
    QTest::newRow("display name, no subject")
        << "Your Name <you@example.org>"
        << ""
        << "X-Rig-Helo: alice\r\nX-Rig-Auth: \r\nX-Rig-Mail-From: me@example.org\r\n"
           "X-Rig-Rcpt-To: you@example.org\r\nFrom: <me@example.org>\r\nTo: Your Name <you@example.org>\r\n" +
               tail;
}

void TestNetServers::mail()
{
    QFETCH(QString, address);
    QFETCH(QString, subject);
    QFETCH(QByteArray, stored);
    FakeDialUp dialUp;
    FakeTimeSetter setter;
    FakeClock clock;
    NetworkActions net(dialUp, setter, clock);
    Settings s;
    s.User = QStringLiteral("alice");
    s.SMTPServer = QStringLiteral("127.0.0.1");
    s.SMTPPort = env("SMTP_PORT").toInt();
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.Timeout = 1;
    NextEventCache e;
    e.NextMailAddress = address;
    e.NextMailSubject = subject;
    e.NextMailBody = QStringLiteral(".dots first");
    const QByteArray before = newestMail(env("SMTP_MAILDIR"));
    bool sent = false;
    net.sendMail(s, e, [&](const MailResult& r) { sent = r.sent; });
    QTRY_VERIFY(sent);
    QVERIFY(newestMail(env("SMTP_MAILDIR")) != before);
    static const QRegularExpression id(QStringLiteral("Message-ID: <[0-9a-z.]+@"));
    QCOMPARE(QString::fromUtf8(newestMail(env("SMTP_MAILDIR")))
                 .replace(id, QStringLiteral("Message-ID: <ID@"))
                 .toUtf8(),
             stored);
    QTRY_COMPARE(dialUp.calls(), kOneBracket);
}

void TestNetServers::timeOfDay()
{
    TNMTime time;
    time.Host = QStringLiteral("127.0.0.1");
    time.Port = env("TIME_PORT").toInt();
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const QTime got = QTime::fromString(time.TimeStr(), QStringLiteral("HH:mm:ss"));
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
    QVERIFY(got.isValid());
    const QDateTime asToday(before.date(), got, Qt::UTC);
    QVERIFY2((asToday >= before && asToday <= after) || before.date() != after.date(),
             qPrintable(got.toString()));
}

void TestNetServers::clockSetKeepsTheLocalDate()
{
    if (env("TIME_RIG").isEmpty() || env("DBUS_SYSTEM_BUS_ADDRESS").isEmpty()) QSKIP("no time-and-date mock");
    QCOMPARE(qgetenv("TZ"), QByteArray("Europe/Moscow"));
    // The server's clock runs from 22:00:05 UTC, which is 01:00:05 of the next day here.
    const QDate day(2026, 3, 10);
    QVERIFY(QProcess::execute(env("TIME_RIG"),
                              {QStringLiteral("offset"), QStringLiteral("@2026-03-09 22:00:05")}) == 0);
    QDBusConnection bus = QDBusConnection::systemBus();
    QVERIFY(bus.isConnected());
    const QString service = QStringLiteral("org.freedesktop.timedate1");
    const QString path = QStringLiteral("/org/freedesktop/timedate1");
    bus.call(QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Mock"),
                                            QStringLiteral("ClearCalls")));

    FakeDialUp dialUp;
    TimeDated timedated(bus);
    FakeClock clock(QDateTime(day, QTime(1, 0)));
    NetworkActions net(dialUp, timedated, clock);
    Settings s;
    s.SyncServer = QStringLiteral("127.0.0.1");
    s.SyncPort = env("TIME_PORT").toInt();
    s.SyncTimeout = 1;
    TimeSyncResult result;
    net.synchronizeTime(s, [&](const TimeSyncResult& r) { result = r; });
    QTRY_VERIFY(result.setTo.isValid());
    QProcess::execute(env("TIME_RIG"), {QStringLiteral("offset"), QStringLiteral("+0")});

    qint64 usec = 0;
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 QDBusMessage m = QDBusMessage::createMethodCall(
                                     service, path, QStringLiteral("org.freedesktop.DBus.Mock"),
                                     QStringLiteral("GetMethodCalls"));
                                 m << QStringLiteral("SetTime");
                                 const QDBusMessage r = bus.call(m);
                                 if (r.type() != QDBusMessage::ReplyMessage) return false;
                                 const QDBusArgument calls = r.arguments().value(0).value<QDBusArgument>();
                                 calls.beginArray();
                                 while (!calls.atEnd()) {
                                     quint64 stamp = 0;
                                     QVariantList args;
                                     calls.beginStructure();
                                     calls >> stamp >> args;
                                     calls.endStructure();
                                     if (args.size() == 3 && !args[1].toBool() && !args[2].toBool())
                                         usec = args[0].toLongLong();
                                 }
                                 calls.endArray();
                                 return usec != 0;
                             }()),
                             3000);
    const QDateTime set = QDateTime::fromMSecsSinceEpoch(usec / 1000).toLocalTime();
    QCOMPARE(set.date(), day);
    QVERIFY2(set.time() >= QTime(1, 0, 5) && set.time() <= QTime(1, 0, 15), qPrintable(set.toString()));
    QCOMPARE(usec % 1000000, 0);
}

void TestNetServers::dialUpHungUpFromTheWorker()
{
    if (env("NM_CALLS").isEmpty() || env("DBUS_SYSTEM_BUS_ADDRESS").isEmpty())
        QSKIP("no network manager mock");
    // An SMTP server that holds its greeting back until the dial-up connection is up.
    std::atomic<bool> release{false};
    ScriptedServer smtp;
    SmtpScript().install(smtp);
    smtp.onAccept = [&release](QTcpSocket* s) {
        auto* poll = new QTimer(s);
        QObject::connect(poll, &QTimer::timeout, s, [s, poll, &release] {
            if (!release) return;
            poll->stop();
            s->write("220 rig ready\r\n");
        });
        poll->start(10);
    };
    DialUpGuard guard(QDBusConnection::systemBus());
    FakeTimeSetter setter;
    FakeClock clock;
    NetworkActions net(guard, setter, clock);
    Settings s;
    s.User = QStringLiteral("alice");
    s.SMTPServer = QStringLiteral("127.0.0.1");
    s.SMTPPort = smtp.port();
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.Timeout = 1;
    NextEventCache e;
    e.NextMailAddress = QStringLiteral("you@example.org");
    e.NextMailBody = QStringLiteral("x");
    bool sent = false;
    net.sendMail(s, e, [&](const MailResult& r) { sent = r.sent; });
    QTRY_COMPARE(smtp.accepted(), 1); // the snapshot is taken: no dial-up connection then

    // The mail brought a mobile connection up.
    const QString active = QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/zarvo");
    const QStringList mock{QStringLiteral("call"), QStringLiteral("--system"),
                           QStringLiteral("-d"),   QStringLiteral("org.freedesktop.NetworkManager"),
                           QStringLiteral("-o"),   QStringLiteral("/org/freedesktop/NetworkManager"),
                           QStringLiteral("-m")};
    QCOMPARE(QProcess::execute(
                 QStringLiteral("gdbus"),
                 mock + QStringList{QStringLiteral("org.freedesktop.DBus.Mock.AddObject"), active,
                                    QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"),
                                    QStringLiteral("{'Type': <'gsm'>, 'Id': <'zarvo'>}"),
                                    QStringLiteral("@a(ssss) []")}),
             0);
    QCOMPARE(
        QProcess::execute(QStringLiteral("gdbus"),
                          mock + QStringList{QStringLiteral("org.freedesktop.DBus.Mock.SetProperty"),
                                             QStringLiteral("/org/freedesktop/NetworkManager"),
                                             QStringLiteral("org.freedesktop.NetworkManager"),
                                             QStringLiteral("ActiveConnections"),
                                             QStringLiteral("<@ao ['") + active + QStringLiteral("']>")}),
        0);
    release = true;
    QTRY_VERIFY(sent);
    QTRY_VERIFY([&] {
        QFile log(env("NM_CALLS"));
        return log.open(QIODevice::ReadOnly) &&
               log.readAll().contains("DeactivateConnection \"" + active.toUtf8() + "\"");
    }());
}

QTEST_GUILESS_MAIN(TestNetServers)
#include "tst_netservers.moc"
