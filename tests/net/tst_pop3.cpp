#include "NetTestUtil.h"
#include "Pop3Script.h"
#include "net/NMpop3.h"

#include <QTest>

using namespace zarvo;

class TestPop3 : public QObject
{
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void emptyPasswordOpensNothing();
    void lineBreaksInCredentials();
};

void TestPop3::check_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("pass");
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("mailCount");
    QTest::addColumn<bool>("connectFired");
    QTest::addColumn<QByteArray>("wire");
    const QByteArray full = "USER alice\r\nPASS secret\r\nSTAT\r\nQUIT\r\n";
    QTest::newRow("three messages") << QByteArray("+OK ready\r\n") << QByteArray("+OK\r\n")
                                    << QByteArray("+OK 3 507\r\n") << QString() << 3 << true << full;
    QTest::newRow("empty") << QByteArray("+OK\r\n") << QByteArray("+OK\r\n") << QByteArray("+OK 0 0\r\n")
                           << QString() << 0 << true << full;
    QTest::newRow("count without size") << QByteArray("+OK\r\n") << QByteArray("+OK\r\n")
                                        << QByteArray("+OK 5\r\n") << QString() << 0 << true << full;
    QTest::newRow("count does not fit")
        << QByteArray("+OK\r\n") << QByteArray("+OK\r\n") << QByteArray("+OK 99999999999 12\r\n") << QString()
        << 0 << true << full;
    // STAT refused: OnConnect still fires with the count from before (7), then the reply is raised.
    QTest::newRow("stat refused") << QByteArray("+OK\r\n") << QByteArray("+OK\r\n") << QByteArray("-ERR\r\n")
                                  << "general|-ERR\r\n"
                                  << 7 << true << full;
    QTest::newRow("wrong password") << QByteArray("+OK\r\n")
                                    << QByteArray("-ERR [AUTH] Authentication failed.\r\n") << QByteArray()
                                    << "general|Authentication failed" << 7 << false
                                    << QByteArray("USER alice\r\nPASS secret\r\nQUIT\r\n");
    QTest::newRow("lower-case greeting")
        << QByteArray("+ok hello\r\n") << QByteArray() << QByteArray() << "general|+ok hello\r\n"
        << 7 << false << QByteArray("QUIT\r\n");
    QTest::newRow("garbage greeting")
        << QByteArray("\x01\xff\xfe garbage\r\n") << QByteArray() << QByteArray()
        << QStringLiteral("general|\x01\ufffd\ufffd garbage\r\n") << 7 << false << QByteArray("QUIT\r\n");
}

void TestPop3::check()
{
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, pass);
    QFETCH(QByteArray, stat);
    QFETCH(QString, failure);
    QFETCH(int, mailCount);
    QFETCH(bool, connectFired);
    QFETCH(QByteArray, wire);

    ScriptedServer server;
    Pop3Script script;
    script.greeting = greeting;
    script.pass = pass;
    script.stat = stat;
    script.install(server);

    TNMPOP3 pop;
    pop.UserID = QStringLiteral("alice");
    pop.Password = QStringLiteral("secret");
    pop.Host = QStringLiteral("127.0.0.1");
    pop.Port = server.port();
    pop.TimeOut = 2000;
    pop.MailCount = 7;
    bool fired = false;
    // What the main window does with the log-in event.
    pop.OnConnect = [&](TNMPOP3* p) {
        fired = true;
        try {
            p->Disconnect();
        } catch (const NetException&) {
        }
    };
    QCOMPARE(failureOf([&] { pop.Connect(); }), failure);
    QCOMPARE(pop.MailCount, mailCount);
    QCOMPARE(fired, connectFired);
    QVERIFY(!pop.Connected());
    QTRY_COMPARE(server.received(), wire);
}

void TestPop3::emptyPasswordOpensNothing()
{
    ScriptedServer server;
    TNMPOP3 pop;
    pop.UserID = QStringLiteral("alice");
    pop.Host = QStringLiteral("127.0.0.1");
    pop.Port = server.port();
    QCOMPARE(failureOf([&] { pop.Connect(); }), QStringLiteral("general|Authentication failed"));
    QTest::qWait(50);
    QCOMPARE(server.accepted(), 0);
}

void TestPop3::lineBreaksInCredentials()
{
    ScriptedServer server;
    Pop3Script().install(server);
    TNMPOP3 pop;
    pop.UserID = QStringLiteral("alice\r\nDELE 1");
    pop.Password = QStringLiteral("secret\n");
    pop.Host = QStringLiteral("127.0.0.1");
    pop.Port = server.port();
    pop.TimeOut = 2000;
    pop.Connect();
    pop.Disconnect();
    QTRY_COMPARE(server.received(), QByteArray("USER aliceDELE 1\r\nPASS secret\r\nSTAT\r\nQUIT\r\n"));
}

QTEST_GUILESS_MAIN(TestPop3)
#include "tst_pop3.moc"
