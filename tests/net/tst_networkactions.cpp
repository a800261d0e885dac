#include "NetRig.h"
#include "Pop3Script.h"
#include "SmtpScript.h"
#include "net/NetJobs.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <atomic>

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

// A time server that answers with `t` and closes.
void serveTime(ScriptedServer& server, const QDateTime& t)
{
    server.onAccept = [t](QTcpSocket* s) {
        s->write(bigEndian(countOf(t)));
        s->disconnectFromHost();
    };
}

// A server that accepts and says nothing until `release` is set (or never).
void holdUntil(ScriptedServer& server, const std::atomic<bool>& release, const QByteArray& greeting)
{
    server.onAccept = [&release, greeting](QTcpSocket* s) {
        auto* poll = new QTimer(s);
        QObject::connect(poll, &QTimer::timeout, s, [s, poll, &release, greeting] {
            if (!release) return;
            poll->stop();
            s->write(greeting);
        });
        poll->start(10);
    };
}

Settings mailboxSettings(quint16 port)
{
    Settings s;
    s.User = QStringLiteral("alice");
    s.Pas = QStringLiteral("secret");
    s.Server = QStringLiteral("127.0.0.1");
    s.Port = port;
    s.Timeout = 1;
    return s;
}

Settings mailSettings(quint16 port)
{
    Settings s;
    s.User = QStringLiteral("alice");
    s.SMTPServer = QStringLiteral("127.0.0.1");
    s.SMTPPort = port;
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.Timeout = 1;
    return s;
}

NextEventCache mailTo(const QString& address)
{
    NextEventCache e;
    e.NextMailAddress = address;
    e.NextMailSubject = QStringLiteral("Reminder");
    e.NextMailBody = QStringLiteral("Call Bob");
    return e;
}

} // namespace

class TestNetworkActions : public QObject
{
    Q_OBJECT
private slots:
    void mailboxFiring_data();
    void mailboxFiring();
    void firingDoesNotWaitForTheServer();
    void oneKindInFiringOrder();
    void kindsOverlapUnderOneDialUpBracket();
    void endingWhileAServerIsSilent_data();
    void endingWhileAServerIsSilent();
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
    rig.settings = mailboxSettings(refused ? refusedPort() : server.port());
    rig.settings.SoundFile = QStringLiteral("default.wav");
    rig.add(QStringLiteral("Mail"), kDay, QTime(9, 0), EvCheckMailbox, 1);
    rig.scheduler.SelectNextEvent();
    rig.runTo(QDateTime(kDay, QTime(9, 1)));
    // The firing is over before the server has said anything: moved on, saved, nothing shown.
    QCOMPARE(rig.dateOf(QStringLiteral("Mail")), kDay.addDays(1));
    QCOMPARE(rig.savedTables.size(), 1);
    QCOMPARE(rig.results, 0);
    QTRY_COMPARE(rig.results, 1);
    QCOMPARE(rig.resultThread, QThread::currentThread());
    QCOMPARE(rig.lines, lines);
    QCOMPARE(rig.sounds.size(), lines.size());
    QTRY_COMPARE(rig.dialUp.calls(), kOneBracket);
    if (server.accepted() && greeting.endsWith('\n')) QTRY_VERIFY(server.received().endsWith("QUIT\r\n"));
}

void TestNetworkActions::firingDoesNotWaitForTheServer()
{
    // Accepts, stays silent for a while, then hangs up.
    ScriptedServer server;
    std::atomic<bool> hangUp{false};
    server.onAccept = [&hangUp](QTcpSocket* s) {
        auto* poll = new QTimer(s);
        QObject::connect(poll, &QTimer::timeout, s, [s, &hangUp] {
            if (hangUp) s->disconnectFromHost();
        });
        poll->start(10);
    };
    NetRig rig(QDateTime(kDay, QTime(8, 59)));
    rig.settings = mailboxSettings(server.port());
    rig.add(QStringLiteral("Mail"), kDay, QTime(9, 0), EvCheckMailbox, 1);
    rig.add(QStringLiteral("Note"), kDay, QTime(9, 0, 3), EvNotification, 1);
    rig.scheduler.SelectNextEvent();
    rig.runTo(QDateTime(kDay, QTime(9, 0, 10)));
    // The notification three seconds later fired on its second, and both moved on.
    QCOMPARE(rig.lines, QStringList{QStringLiteral("Note - 09:00:03")});
    QCOMPARE(rig.sounds.size(), 1);
    QCOMPARE(rig.dateOf(QStringLiteral("Mail")), kDay.addDays(1));
    QCOMPARE(rig.dateOf(QStringLiteral("Note")), kDay.addDays(1));
    QTRY_COMPARE(server.accepted(), 1);
    QCOMPARE(rig.results, 0);
    hangUp = true;
    QTRY_COMPARE(rig.results, 1);
    QCOMPARE(rig.lines.size(), 1); // a failed check reports nothing
    QTRY_COMPARE(rig.dialUp.calls(), kOneBracket);
}

void TestNetworkActions::oneKindInFiringOrder()
{
    // The first connection is greeted late, the second at once; each reports its own number.
    ScriptedServer server;
    server.onAccept = [&server](QTcpSocket* s) {
        const int n = server.accepted();
        s->setProperty("n", n);
        if (n == 1)
            QTimer::singleShot(300, s, [s] { s->write("+OK\r\n"); });
        else
            s->write("+OK\r\n");
    };
    server.onLine = [](QTcpSocket* s, const QByteArray& line) {
        if (line == "STAT")
            s->write("+OK " + QByteArray::number(s->property("n").toInt()) + " 0\r\n");
        else
            s->write("+OK\r\n");
        if (line == "QUIT") s->disconnectFromHost();
    };
    FakeDialUp dialUp;
    FakeTimeSetter setter;
    FakeClock clock;
    NetworkActions net(dialUp, setter, clock);
    QList<int> counts;
    for (int i = 0; i < 2; ++i)
        net.checkMailbox(mailboxSettings(server.port()), [&](const MailboxResult& r) { counts << r.count; });
    QTRY_COMPARE(counts, (QList<int>{1, 2}));
    // The second check began only when the first was over.
    const QList<QByteArray> once{"USER alice", "PASS secret", "STAT", "QUIT"};
    QCOMPARE(server.lines(), once + once);
    // The second was started while the first ran: one bracket holds both, no hang-up between.
    QTRY_COMPARE(dialUp.calls(), kOneBracket);
}

void TestNetworkActions::kindsOverlapUnderOneDialUpBracket()
{
    std::atomic<bool> release{false};
    ScriptedServer pop3, smtp, time;
    Pop3Script().install(pop3);
    holdUntil(pop3, release, "+OK ready\r\n");
    SmtpScript().install(smtp);
    serveTime(time, QDateTime(kDay, QTime(9, 0), Qt::UTC));

    NetRig rig(QDateTime(kDay, QTime(12, 0)));
    Settings s = mailboxSettings(pop3.port());
    s.SMTPServer = QStringLiteral("127.0.0.1");
    s.SMTPPort = smtp.port();
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.SyncServer = QStringLiteral("127.0.0.1");
    s.SyncPort = time.port();
    s.SyncTimeout = 1;
    QStringList order;
    QStringList dialUpWhileMailboxWaits;
    rig.net.checkMailbox(s, [&](const MailboxResult& r) {
        QCOMPARE(r.count, 3);
        order << QStringLiteral("mailbox");
    });
    rig.net.sendMail(s, mailTo(QStringLiteral("you@example.org")), [&](const MailResult& r) {
        QVERIFY(r.sent);
        order << QStringLiteral("mail");
        dialUpWhileMailboxWaits = rig.dialUp.calls();
    });
    rig.net.synchronizeTime(s, [&](const TimeSyncResult& r) {
        QVERIFY(r.setTo.isValid());
        order << QStringLiteral("time");
    });
    QTRY_COMPARE(order.size(), 2);
    QVERIFY(!order.contains(QStringLiteral("mailbox")));
    // The mailbox check still runs: no hang-up yet.
    QCOMPARE(dialUpWhileMailboxWaits, QStringList{QStringLiteral("snapshot")});
    QCOMPARE(rig.dialUp.calls(), QStringList{QStringLiteral("snapshot")});
    release = true;
    QTRY_COMPARE(order.size(), 3);
    QCOMPARE(order.last(), QStringLiteral("mailbox"));
    QTRY_COMPARE(rig.dialUp.calls(), kOneBracket);

    // Once none runs, the next action has a bracket of its own.
    rig.net.sendMail(s, mailTo(QStringLiteral("you@example.org")),
                     [&](const MailResult&) { order << "mail"; });
    QTRY_COMPARE(order.size(), 4);
    QTRY_COMPARE(rig.dialUp.calls(), kOneBracket + kOneBracket);
}

void TestNetworkActions::endingWhileAServerIsSilent_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("mailbox check, two queued") << 0;
    QTest::newRow("mail") << 1;
    QTest::newRow("time synchronization") << 2;
}

void TestNetworkActions::endingWhileAServerIsSilent()
{
    QFETCH(int, kind);
    ScriptedServer silent; // accepts and never answers
    FakeDialUp dialUp;
    FakeTimeSetter setter;
    FakeClock clock;
    auto net = std::make_unique<NetworkActions>(dialUp, setter, clock);
    Settings s = mailboxSettings(silent.port());
    s.SMTPServer = s.SyncServer = QStringLiteral("127.0.0.1");
    s.SMTPPort = s.SyncPort = silent.port();
    s.SyncTimeout = 3;
    s.ReturnAddress = QStringLiteral("me@example.org");
    int delivered = 0;
    if (kind == 0)
        for (int i = 0; i < 2; ++i)
            net->checkMailbox(s, [&](const MailboxResult&) { ++delivered; });
    if (kind == 1)
        net->sendMail(s, mailTo(QStringLiteral("you@example.org")), [&](const MailResult&) { ++delivered; });
    if (kind == 2) net->synchronizeTime(s, [&](const TimeSyncResult&) { ++delivered; });
    QTRY_COMPARE(silent.accepted(), 1);

    QElapsedTimer t;
    t.start();
    net.reset();
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QTest::qWait(50);
    QCOMPARE(delivered, 0);
    QCOMPARE(silent.accepted(), 1); // the queued check never began
    // An ending program does not wait for the hang-up.
    QCOMPARE(dialUp.calls(), QStringList{QStringLiteral("snapshot")});
}

void TestNetworkActions::mailEachTimeItsOwn()
{
    ScriptedServer server;
    SmtpScript().install(server);
    FakeDialUp dialUp;
    FakeTimeSetter setter;
    FakeClock clock;
    NetworkActions net(dialUp, setter, clock);
    QList<bool> sent;
    // No recipient: refused at DATA. The connection must not stay open for the next mail.
    net.sendMail(mailSettings(server.port()), mailTo(QString()),
                 [&](const MailResult& r) { sent << r.sent; });
    QTRY_COMPARE(sent, QList<bool>{false});
    QTRY_VERIFY(server.received().endsWith("DATA\r\nQUIT\r\n"));
    server.clearReceived();

    net.sendMail(mailSettings(server.port()), mailTo(QStringLiteral("you@example.org")),
                 [&](const MailResult& r) { sent << r.sent; });
    QTRY_COMPARE(sent, (QList<bool>{false, true}));
    QTRY_VERIFY(server.received().endsWith("QUIT\r\n"));
    QVERIFY(server.received().contains("RCPT TO:<you@example.org>\r\nDATA\r\n"));
    QVERIFY(server.received().contains("\r\n\r\n\r\nCall Bob\r\n.\r\n"));
    QCOMPARE(dialUp.calls(), kOneBracket + kOneBracket);
}

void TestNetworkActions::syncKeepsTheLocalDate_data()
{
    // The zone is three hours east of UTC all year (TZ=Europe/Moscow).
    QTest::addColumn<QTime>("local");
    QTest::addColumn<QDateTime>("arrival"); // the local clock when the answer arrives
    QTest::addColumn<QDateTime>("server");
    QTest::addColumn<QDateTime>("localAfter");
    QTest::newRow("01:00 local, UTC date the day before")
        << QTime(1, 0) << QDateTime() << QDateTime(kDay.addDays(-1), QTime(22, 0, 5), Qt::UTC)
        << QDateTime(kDay, QTime(1, 0, 5));
    QTest::newRow("23:59 local, server a minute ahead: the date still stays")
        << QTime(23, 59) << QDateTime() << QDateTime(kDay, QTime(21, 0, 30), Qt::UTC)
        << QDateTime(kDay, QTime(0, 0, 30));
    QTest::newRow("noon") << QTime(12, 0) << QDateTime() << QDateTime(kDay, QTime(9, 0, 2), Qt::UTC)
                          << QDateTime(kDay, QTime(12, 0, 2));
    QTest::newRow("the date turns while the answer is on its way")
        << QTime(23, 59, 59) << QDateTime(kDay.addDays(1), QTime(0, 0, 1))
        << QDateTime(kDay, QTime(21, 0, 1), Qt::UTC) << QDateTime(kDay.addDays(1), QTime(0, 0, 1));
}

void TestNetworkActions::syncKeepsTheLocalDate()
{
    QFETCH(QTime, local);
    QFETCH(QDateTime, arrival);
    QFETCH(QDateTime, server);
    QFETCH(QDateTime, localAfter);
    QCOMPARE(qgetenv("TZ"), QByteArray("Europe/Moscow"));
    ScriptedServer time;
    serveTime(time, server);
    NetRig rig(QDateTime(kDay, local));
    rig.settings.SyncServer = QStringLiteral("127.0.0.1");
    rig.settings.SyncPort = time.port();
    rig.settings.SyncTimeout = 1;
    TimeSyncResult result;
    rig.net.synchronizeTime(rig.settings, [&](const TimeSyncResult& r) { result = r; });
    // The answer is delivered through this thread's event loop, so it finds the clock as set here.
    if (arrival.isValid()) rig.clock.set(arrival);
    QTRY_VERIFY(result.serverTime.isValid());
    QCOMPARE(result.serverTime, server);
    QCOMPARE(rig.timeSetter.instants.size(), 1);
    QCOMPARE(rig.timeSetter.instants.first().toLocalTime(), localAfter);
    QCOMPARE(result.setTo, rig.timeSetter.instants.first());
    QTRY_COMPARE(rig.dialUp.calls(), kOneBracket);
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
    QCOMPARE(rig.dateOf(QStringLiteral("Sync")), kDay.addDays(1));
    QTRY_COMPARE(rig.results, 1);
    QVERIFY(rig.timeSetter.instants.isEmpty());
    QTRY_COMPARE(rig.dialUp.calls(), kOneBracket);
}

void TestNetworkActions::minutes()
{
    QCOMPARE(minutesToMs(3), 180000);
    QCOMPARE(minutesToMs(-5), 0);
    QCOMPARE(minutesToMs(100000), std::numeric_limits<int>::max());
}

QTEST_GUILESS_MAIN(TestNetworkActions)
#include "tst_networkactions.moc"
