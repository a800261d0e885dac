#include "NetRig.h"
#include "Pop3Script.h"
#include "SmtpScript.h"

#include <QTest>

using namespace zarvo;

namespace {

const QDate kDay(2026, 3, 10);

quint32 countOf(const QDateTime& t)
{
    return quint32(t.toSecsSinceEpoch() + 2208988800LL);
}

QByteArray bigEndian(quint32 v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

} // namespace

class TestNetworkActions : public QObject
{
    Q_OBJECT
private slots:
    void mailboxFiring_data();
    void mailboxFiring();
    void mailEachTimeItsOwn();
    void syncKeepsTheLocalDate_data();
    void syncKeepsTheLocalDate();
    void syncFailureLeavesTheClock();
    void minutes();
};

void TestNetworkActions::mailboxFiring_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("pass");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("three messages") << QByteArray("+OK ready\r\n") << QByteArray("+OK\r\n") << false
                                    << QStringList{QStringLiteral("Mail - 09:00:00 New messages:3")};
    QTest::newRow("wrong password") << QByteArray("+OK ready\r\n") << QByteArray("-ERR no\r\n") << false
                                    << QStringList{};
    QTest::newRow("closes in mid-line") << QByteArray("+OK rea") << QByteArray() << false << QStringList{};
    QTest::newRow("refused port") << QByteArray() << QByteArray() << true << QStringList{};
}

void TestNetworkActions::mailboxFiring()
{
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, pass);
    QFETCH(bool, refused);
    QFETCH(QStringList, lines);
    ScriptedServer server;
    Pop3Script script;
    script.greeting = greeting;
    script.pass = pass;
    script.install(server);
    if (!greeting.endsWith('\n'))
        server.onAccept = [greeting](QTcpSocket* s) {
            s->write(greeting);
            s->disconnectFromHost();
        };

    NetRig rig(QDateTime(kDay, QTime(8, 59)));
    rig.settings.User = QStringLiteral("alice");
    rig.settings.Pas = QStringLiteral("secret");
    rig.settings.Server = QStringLiteral("127.0.0.1");
    rig.settings.Port = refused ? refusedPort() : server.port();
    rig.settings.Timeout = 1;
    rig.settings.SoundFile = QStringLiteral("default.wav");
    rig.add(QStringLiteral("Mail"), kDay, QTime(9, 0), EvCheckMailbox, 1);
    rig.scheduler.SelectNextEvent();
    QElapsedTimer t;
    t.start();
    rig.runTo(QDateTime(kDay, QTime(9, 1)));
    QVERIFY(t.elapsed() < 2000);
    QCOMPARE(rig.lines, lines);
    QCOMPARE(rig.sounds.size(), lines.size());
    QCOMPARE(rig.dialUp.calls, (QStringList{QStringLiteral("snapshot"), QStringLiteral("hangup")}));
    // Failed or not, the event moved on to the next day.
    QCOMPARE(rig.dateOf(QStringLiteral("Mail")), kDay.addDays(1));
    if (server.accepted && greeting.endsWith('\n')) QTRY_VERIFY(server.received.endsWith("QUIT\r\n"));
}

void TestNetworkActions::mailEachTimeItsOwn()
{
    ScriptedServer server;
    SmtpScript().install(server);
    FakeDialUp dialUp;
    FakeTimeSetter setter;
    FakeClock clock;
    NetworkActions net(dialUp, setter, clock);
    Settings s;
    s.User = QStringLiteral("alice");
    s.SMTPServer = QStringLiteral("127.0.0.1");
    s.SMTPPort = server.port();
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.Timeout = 1;
    NextEventCache e;
    // No recipient: refused at DATA. The connection must not stay open for the next mail.
    net.sendMail(s, e);
    QVERIFY(!net.MMSender.Connected());
    QTRY_VERIFY(server.received.endsWith("DATA\r\nQUIT\r\n"));
    server.received.clear();

    e.NextMailAddress = QStringLiteral("you@example.org");
    e.NextMailSubject = QStringLiteral("Reminder");
    e.NextMailBody = QStringLiteral("Call Bob");
    net.MMSender.PostMessage.Body = QStringList{QStringLiteral("old"), QStringLiteral("lines")};
    net.sendMail(s, e);
    QTRY_VERIFY(server.received.endsWith("QUIT\r\n"));
    QVERIFY(server.received.contains("RCPT TO:<you@example.org>\r\nDATA\r\n"));
    QVERIFY(server.received.contains("\r\n\r\n\r\nCall Bob\r\n.\r\n"));
    QCOMPARE(dialUp.calls.size(), 4);
}

void TestNetworkActions::syncKeepsTheLocalDate_data()
{
    // The zone is three hours east of UTC all year (TZ=Europe/Moscow).
    QTest::addColumn<QTime>("local");
    QTest::addColumn<QDateTime>("server");
    QTest::addColumn<QTime>("localAfter");
    QTest::newRow("01:00 local, UTC date the day before")
        << QTime(1, 0) << QDateTime(kDay.addDays(-1), QTime(22, 0, 5), Qt::UTC) << QTime(1, 0, 5);
    QTest::newRow("23:59 local, server a minute ahead: the date still stays")
        << QTime(23, 59) << QDateTime(kDay, QTime(21, 0, 30), Qt::UTC) << QTime(0, 0, 30);
    QTest::newRow("noon") << QTime(12, 0) << QDateTime(kDay, QTime(9, 0, 2), Qt::UTC) << QTime(12, 0, 2);
}

void TestNetworkActions::syncKeepsTheLocalDate()
{
    QFETCH(QTime, local);
    QFETCH(QDateTime, server);
    QFETCH(QTime, localAfter);
    QCOMPARE(qgetenv("TZ"), QByteArray("Europe/Moscow"));
    ScriptedServer time;
    time.onAccept = [server](QTcpSocket* s) {
        s->write(bigEndian(countOf(server)));
        s->disconnectFromHost();
    };
    NetRig rig(QDateTime(kDay, local));
    rig.settings.SyncServer = QStringLiteral("127.0.0.1");
    rig.settings.SyncPort = time.port();
    rig.settings.SyncTimeout = 1;
    rig.net.synchronizeTime(rig.settings);
    QCOMPARE(rig.timeSetter.instants.size(), 1);
    const QDateTime set = rig.timeSetter.instants.first().toLocalTime();
    QCOMPARE(set.date(), kDay);
    QCOMPARE(set.time(), localAfter);
    QCOMPARE(rig.dialUp.calls, (QStringList{QStringLiteral("snapshot"), QStringLiteral("hangup")}));
}

void TestNetworkActions::syncFailureLeavesTheClock()
{
    ScriptedServer silent; // accepts and closes without an answer
    silent.onAccept = [](QTcpSocket* s) { s->disconnectFromHost(); };
    NetRig rig(QDateTime(kDay, QTime(8, 59)));
    rig.settings.SyncServer = QStringLiteral("127.0.0.1");
    rig.settings.SyncPort = silent.port();
    rig.settings.SyncTimeout = 1;
    rig.add(QStringLiteral("Sync"), kDay, QTime(9, 0), EvTimeSync, 1);
    rig.scheduler.SelectNextEvent();
    rig.runTo(QDateTime(kDay, QTime(9, 1)));
    QVERIFY(rig.timeSetter.instants.isEmpty());
    QCOMPARE(rig.dialUp.calls, (QStringList{QStringLiteral("snapshot"), QStringLiteral("hangup")}));
    QCOMPARE(rig.dateOf(QStringLiteral("Sync")), kDay.addDays(1));
}

void TestNetworkActions::minutes()
{
    QCOMPARE(NetworkActions::minutesToMs(3), 180000);
    QCOMPARE(NetworkActions::minutesToMs(-5), 0);
    QCOMPARE(NetworkActions::minutesToMs(100000), std::numeric_limits<int>::max());
}

QTEST_GUILESS_MAIN(TestNetworkActions)
#include "tst_networkactions.moc"
