#include "NetTestUtil.h"
#include "ScriptedServer.h"
#include "net/NetErrors.h"
#include "net/Powersock.h"

#include <QTest>

#include <atomic>
#include <thread>

using namespace zarvo;

class TestPowersock : public QObject
{
    Q_OBJECT
private slots:
    void errorMessages_data();
    void errorMessages();
    void connectFailures();
    void invalidHost();
    void readLines();
    void hostileReads_data();
    void hostileReads();
    void sends();
    void transactionReplyNumber_data();
    void transactionReplyNumber();
    void connectStartsEmpty();
    void abandonedAttemptStaysAbandoned();
    void stopFlagEndsTheWait_data();
    void stopFlagEndsTheWait();
};

void TestPowersock::errorMessages_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused") << 10061 << "10061:Connection refused";
    QTest::newRow("would block") << 10035 << "10035:Operation would block";
    QTest::newRow("host not found") << 11001 << "11001:Host not found";
    QTest::newRow("zero") << 0 << "0:Unrecognized error code";
    QTest::newRow("unknown") << 12345 << "Unknown Error No. 12345";
}

void TestPowersock::errorMessages()
{
    QFETCH(int, number);
    QFETCH(QString, message);
    QCOMPARE(socketErrorMessage(number), message);
}

void TestPowersock::connectFailures()
{
    TPowersock sock;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = refusedPort();
    sock.TimeOut = 5000;
    int failed = 0, resolved = 0;
    sock.OnConnectionFailed = [&](TPowersock*) { ++failed; };
    sock.OnHostResolved = [&](TPowersock*) { ++resolved; };
    qint64 ms = 0;
    // Refused: at once, not after the time-out.
    QCOMPARE(timedFailureOf([&] { sock.Connect(); }, ms), QStringLiteral("ESockError|Connection Failed"));
    QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
    QCOMPARE(failed, 1);
    QCOMPARE(sock.LastErrorNo(), 10061);
    QVERIFY(!sock.Connected());

    // The object is idle again; a dotted address needs no lookup; a second Connect is refused.
    ScriptedServer server;
    sock.Port = server.port();
    QCOMPARE(failureOf([&] { sock.Connect(); }), QString());
    QVERIFY(sock.Connected());
    QCOMPARE(resolved, 0);
    QCOMPARE(failureOf([&] { sock.Connect(); }), QStringLiteral("ESockError|Already connected"));
    sock.Disconnect();
    QVERIFY(!sock.Connected());

    // Once the server has closed an idle connection, the object is idle again.
    server.onLine = [](QTcpSocket* s, const QByteArray&) { s->disconnectFromHost(); };
    QCOMPARE(failureOf([&] { sock.Connect(); }), QString());
    sock.Writeln(QStringLiteral("BYE"));
    QTRY_COMPARE(server.closed(), 2);
    QCOMPARE(failureOf([&] { sock.Connect(); }), QString());
    QVERIFY(sock.Connected());
}

void TestPowersock::invalidHost()
{
    ScriptedServer server;
    TPowersock sock;
    sock.Port = server.port();
    sock.TimeOut = 2000;
    // Longer than the lookup's name buffer: not a host, and no lookup is made.
    sock.Host = QString(128, QLatin1Char('a'));
    qint64 ms = 0;
    QCOMPARE(timedFailureOf([&] { sock.Connect(); }, ms), QStringLiteral("ESockError|Null Remote Address"));
    QVERIFY(ms < 500);

    // OnInvalidHost may name another host, once.
    int asked = 0;
    sock.OnInvalidHost = [&](bool& handled) {
        ++asked;
        sock.Host = QStringLiteral("127.0.0.1");
        handled = true;
    };
    QCOMPARE(failureOf([&] { sock.Connect(); }), QString());
    QCOMPARE(asked, 1);
    QVERIFY(sock.Connected());
    sock.Disconnect();

    // A name is looked up (its IPv4 address first), and OnHostResolved says so.
    int resolved = 0;
    sock.OnInvalidHost = nullptr;
    sock.OnHostResolved = [&](TPowersock*) { ++resolved; };
    sock.Host = QStringLiteral("localhost");
    QCOMPARE(failureOf([&] { sock.Connect(); }), QString());
    QCOMPARE(resolved, 1);
    QCOMPARE(sock.RemoteAddress(), QHostAddress(QHostAddress::LocalHost));
}

void TestPowersock::readLines()
{
    ScriptedServer server;
    server.onAccept = [](QTcpSocket* s) {
        s->write("250 O");
        QTimer::singleShot(30, s, [s] { s->write("K\r\n+OK one\r\n+OK two\r\n"); });
        QTimer::singleShot(60, s, [s] {
            s->write("last\r\n");
            s->disconnectFromHost();
        });
    };
    TPowersock sock;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = server.port();
    sock.TimeOut = 2000;
    sock.Connect();
    // A line split over packets comes whole, two in one packet come one by one, with their CR LF.
    QCOMPARE(sock.ReadLn(), QStringLiteral("250 OK\r\n"));
    QCOMPARE(sock.ReadLn(), QStringLiteral("+OK one\r\n"));
    QCOMPARE(sock.ReadLn(), QStringLiteral("+OK two\r\n"));
    QTRY_COMPARE(server.closed(), 1);
    // Sent before the close: still there, and then the close is seen.
    QCOMPARE(sock.ReadLn(), QStringLiteral("last\r\n"));
    QCOMPARE(failureOf([&] { sock.ReadLn(); }), QStringLiteral("ESockError|10057:Socket is not connected"));
    QVERIFY(!sock.Connected());
}

void TestPowersock::hostileReads_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<QString>("failure");
    QTest::newRow("silent after accept") << 0 << "ESockError|10060:Connection timed out";
    QTest::newRow("endless line") << 1 << "ESockError|10040:Message too long";
    QTest::newRow("one byte at a time") << 2 << "ESockError|10060:Connection timed out";
    QTest::newRow("close in mid-line") << 3 << "ESockError|10057:Socket is not connected";
}

void TestPowersock::hostileReads()
{
    QFETCH(int, behaviour);
    QFETCH(QString, failure);
    ScriptedServer server;
    server.onAccept = [behaviour](QTcpSocket* s) {
        if (behaviour == 1) ScriptedServer::flood(s);
        if (behaviour == 2) ScriptedServer::drip(s, QByteArray(1000, 'x'), 50);
        if (behaviour == 3) {
            s->write("+OK rea");
            s->disconnectFromHost();
        }
    };
    TPowersock sock;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = server.port();
    sock.TimeOut = 400;
    sock.Connect();
    qint64 ms = 0;
    QCOMPARE(timedFailureOf([&] { sock.ReadLn(); }, ms), failure);
    QVERIFY2(ms < 400 + 300, qPrintable(QString::number(ms)));
    if (behaviour == 0 || behaviour == 2) QVERIFY2(ms >= 390, qPrintable(QString::number(ms)));
}

void TestPowersock::sends()
{
    TPowersock sock;
    // Not connected: fails at once instead of waiting for ever.
    qint64 ms = 0;
    QCOMPARE(timedFailureOf([&] { sock.Writeln(QStringLiteral("QUIT")); }, ms),
             QStringLiteral("ESockError|10057:Socket is not connected"));
    QVERIFY(ms < 100);

    ScriptedServer server;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = server.port();
    sock.TimeOut = 1000;
    sock.Connect();
    // Nothing to send: done at once.
    QCOMPARE(timedFailureOf(
                 [&] {
                     sock.Write(QString());
                     sock.SendStream(QByteArray());
                 },
                 ms),
             QString());
    QVERIFY(ms < 100);
    // A NUL ends the text, but never the line.
    sock.Writeln(QStringLiteral("USER a") + QChar(0) + QStringLiteral("b"));
    QByteArray big(100000, 'y');
    sock.SendStream(big);
    QCOMPARE(sock.BytesSent(), qint64(big.size()));
    QTRY_COMPARE(server.received().size(), qsizetype(8 + big.size()));
    QVERIFY(server.received().startsWith("USER a\r\nyyy"));
}

void TestPowersock::transactionReplyNumber_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("failure");
    QTest::newRow("code") << QByteArray("250 OK\r\n") << 250 << QString();
    QTest::newRow("no code") << QByteArray("+OK ready\r\n") << 0 << QString();
    QTest::newRow("code out of range") << QByteArray("99999 what\r\n") << 0 << "general|Range check error";
}

void TestPowersock::transactionReplyNumber()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, number);
    QFETCH(QString, failure);
    ScriptedServer server;
    server.onLine = [reply](QTcpSocket* s, const QByteArray&) { s->write(reply); };
    TPowersock sock;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = server.port();
    sock.TimeOut = 1000;
    sock.Connect();
    QString answer;
    QCOMPARE(failureOf([&] { answer = sock.Transaction(QStringLiteral("NOOP")); }), failure);
    QCOMPARE(server.received(), QByteArray("NOOP\r\n"));
    QCOMPARE(sock.ReplyNumber(), number);
    QCOMPARE(sock.TransactionReply(), QString::fromUtf8(reply));
}

void TestPowersock::connectStartsEmpty()
{
    ScriptedServer server;
    server.onAccept = [&server](QTcpSocket* s) {
        s->write(server.accepted() == 1 ? "stale\r\nleft over" : "fresh\r\n");
    };
    TPowersock sock;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = server.port();
    sock.TimeOut = 1000;
    sock.Connect();
    // The first connection's line is read, the text after it never is.
    QCOMPARE(sock.ReadLn(), QStringLiteral("stale\r\n"));
    sock.Disconnect();
    sock.Connect();
    QCOMPARE(sock.ReadLn(), QStringLiteral("fresh\r\n"));
}

void TestPowersock::abandonedAttemptStaysAbandoned()
{
    // A listener that never accepts and whose queue is full: a connection attempt gets no answer.
    QTcpServer server;
    server.setListenBacklogSize(0);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    server.pauseAccepting();
    QList<QTcpSocket*> fillers;
    for (int i = 0; i < 4; ++i) {
        auto* f = new QTcpSocket(this);
        f->connectToHost(QHostAddress::LocalHost, server.serverPort());
        fillers << f;
    }
    QTest::qWait(100);

    TPowersock sock;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = server.serverPort();
    sock.TimeOut = 200;
    int failed = 0;
    sock.OnConnectionFailed = [&](TPowersock*) { ++failed; };
    qint64 ms = 0;
    const QString f = timedFailureOf([&] { sock.Connect(); }, ms);
    qDeleteAll(fillers);
    if (f.isEmpty()) QSKIP("the system accepted the connection despite the full queue");
    QCOMPARE(f, QStringLiteral("ESockError|Connection Timed out"));
    QVERIFY(ms >= 180 && ms < 1000);
    QCOMPARE(failed, 1);
    // The queue frees and the system retries its handshake: the object must stay idle.
    server.resumeAccepting();
    QTest::qWait(1500);
    QVERIFY(!sock.Connected());
}

void TestPowersock::stopFlagEndsTheWait_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("failure");
    QTest::newRow("reply") << 0 << "EAbortError|Socket readln aborted";
    QTest::newRow("send to a peer that does not read") << 1 << "EAbortError|Socket send aborted";
    QTest::newRow("connection") << 2 << "ESockError|Connection Canceled";
}

void TestPowersock::stopFlagEndsTheWait()
{
    QFETCH(int, stage);
    QFETCH(QString, failure);
    // A listener nobody accepts from: the system completes connections into its queue until the
    // queue is full, and nobody ever reads them.
    QTcpServer listener;
    listener.setListenBacklogSize(0);
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    listener.pauseAccepting();
    QList<QTcpSocket*> fillers;
    if (stage == 2) {
        for (int i = 0; i < 4; ++i) {
            fillers << new QTcpSocket(this);
            fillers.last()->connectToHost(QHostAddress::LocalHost, listener.serverPort());
        }
        QTest::qWait(100);
    }
    TPowersock sock;
    sock.Host = QStringLiteral("127.0.0.1");
    sock.Port = listener.serverPort();
    sock.TimeOut = 20000;
    std::atomic<bool> stop{false};
    sock.setStopFlag(&stop);
    if (stage < 2) sock.Connect();
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop = true;
    });
    qint64 ms = 0;
    const QString f = timedFailureOf(
        [&] {
            if (stage == 0) sock.ReadLn();
            if (stage == 1) sock.SendStream(QByteArray(64 << 20, 'z'));
            if (stage == 2) sock.Connect();
        },
        ms);
    stopper.join();
    qDeleteAll(fillers);
    if (stage == 2 && f.isEmpty()) QSKIP("the system accepted the connection despite the full queue");
    QCOMPARE(f, failure);
    QVERIFY2(ms >= 190 && ms < 1000, qPrintable(QString::number(ms)));
    // Stopped stays stopped: nothing waits any more.
    QCOMPARE(timedFailureOf([&] { sock.Read(10); }, ms).section(QLatin1Char('|'), 0, 0),
             QStringLiteral("EAbortError"));
    QVERIFY(ms < 100);
}

QTEST_GUILESS_MAIN(TestPowersock)
#include "tst_powersock.moc"
