// The socket layer's TLS, against scripted servers with a test CA that tools/rigs/tlscerts.sh
// makes: which certificates are trusted, a handshake slower than one wait, a server that takes
// part in no handshake or says nothing after it, and plain text slipped in before the handshake.
#include "NetTestUtil.h"
#include "Pop3Script.h"
#include "net/NMpop3.h"
#include "net/TlsTrust.h"

#include <QFile>
#include <QProcess>
#include <QSslKey>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace zarvo;

namespace {

// Trusts `file` (SSL_CERT_FILE) for as long as it lives.
struct TrustFile
{
    explicit TrustFile(const QString& file) { qputenv("SSL_CERT_FILE", file.toUtf8()); }
    ~TrustFile() { qunsetenv("SSL_CERT_FILE"); }
};

QSslConfiguration serverTls(const QString& chain, const QString& key)
{
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setLocalCertificateChain(QSslCertificate::fromPath(chain));
    QFile k(key);
    k.open(QIODevice::ReadOnly);
    c.setPrivateKey(QSslKey(k.readAll(), QSsl::Ec));
    c.setPeerVerifyMode(QSslSocket::VerifyNone);
    return c;
}

} // namespace

class TestTls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void trustList();
    void check_data();
    void check();
    void handshakeWaits_data();
    void handshakeWaits();

private:
    QTemporaryDir m_dir;
    QString tls(const char* name) const
    {
        return m_dir.filePath(QStringLiteral("tls/") + QLatin1String(name));
    }
};

void TestTls::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QProcess make;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RIG_DIR"), m_dir.path());
    make.setProcessEnvironment(env);
    make.start(QStringLiteral(ZARVO_RIGS_DIR "/tlscerts.sh"), {QStringLiteral("make")});
    QVERIFY(make.waitForFinished(60000));
    QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
    qunsetenv("SSL_CERT_FILE");
    qunsetenv("SSL_CERT_DIR");
}

void TestTls::trustList()
{
    const QSslCertificate ca = QSslCertificate::fromPath(tls("ca.pem")).value(0);
    const QSslCertificate other = QSslCertificate::fromPath(tls("other-ca.pem")).value(0);
    QVERIFY(!ca.isNull() && !other.isNull());
    const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
    QVERIFY(!clientTlsConfiguration().caCertificates().contains(ca));

    // A folder of certificates, and a second one after a ":", beside one file; the system's
    // stay trusted.
    QTemporaryDir a, b;
    QVERIFY(QFile::copy(tls("ca.pem"), a.filePath(QStringLiteral("abcd1234.0"))));
    QVERIFY(QFile::copy(tls("other-ca.pem"), b.filePath(QStringLiteral("other.pem"))));
    QFile junk(b.filePath(QStringLiteral("README")));
    QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("not a certificate\n") > 0);
    junk.close();
    qputenv("SSL_CERT_DIR", (a.path() + QStringLiteral(":") + b.path()).toUtf8());
    QList<QSslCertificate> got = clientTlsConfiguration().caCertificates();
    QVERIFY(got.contains(ca) && got.contains(other));
    for (const QSslCertificate& c : system)
        QVERIFY(got.contains(c));
    qunsetenv("SSL_CERT_DIR");

    TrustFile trust(tls("other-ca.pem"));
    got = clientTlsConfiguration().caCertificates();
    QVERIFY(got.contains(other) && !got.contains(ca));
    QCOMPARE(got.size(), system.size() + 1);
    // Verification is never switched off.
    QCOMPARE(clientTlsConfiguration().peerVerifyMode(), QSslSocket::AutoVerifyPeer);
}

void TestTls::check_data()
{
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("trusted");
    QTest::addColumn<QString>("chain");
    QTest::addColumn<QByteArray>("stls");
    QTest::addColumn<QString>("failure"); // its start
    QTest::addColumn<int>("count");
    QTest::newRow("TLS, by name") << 2 << "localhost"
                                  << "ca.pem"
                                  << "server-chain.pem" << QByteArray() << "" << 3;
    QTest::newRow("TLS, by address") << 2 << "127.0.0.1"
                                     << "ca.pem"
                                     << "server-chain.pem" << QByteArray() << "" << 3;
    QTest::newRow("STLS") << 1 << "localhost"
                          << "ca.pem"
                          << "server-chain.pem" << QByteArray("+OK Begin TLS\r\n") << "" << 3;
    QTest::newRow("TLS, unknown CA") << 2 << "localhost"
                                     << "other-ca.pem"
                                     << "server-chain.pem" << QByteArray()
                                     << "ESockError|TLS with localhost:PORT failed: The root certificate of "
                                        "the certificate chain is self-signed, and untrusted"
                                     << 0;
    QTest::newRow("STLS, another host's certificate")
        << 1 << "localhost"
        << "ca.pem"
        << "otherhost-chain.pem" << QByteArray("+OK Begin TLS\r\n")
        << "ESockError|TLS with localhost:PORT failed: The host name did not match" << 0;
    QTest::newRow("STLS refused")
        << 1 << "localhost"
        << "ca.pem"
        << "server-chain.pem" << QByteArray("-ERR no TLS here\r\n")
        << "ESockError|TLS with localhost:PORT failed: the server refused STLS: -ERR" << 0;
    QTest::newRow("plain text after the go-ahead")
        << 1 << "localhost"
        << "ca.pem"
        << "server-chain.pem" << QByteArray("+OK Begin TLS\r\n+OK 99 0\r\n")
        << "ESockError|TLS with localhost:PORT failed: " << 0;
}

void TestTls::check()
{
    QFETCH(int, security);
    QFETCH(QString, host);
    QFETCH(QString, trusted);
    QFETCH(QString, chain);
    QFETCH(QByteArray, stls);
    QFETCH(QString, failure);
    QFETCH(int, count);
    ScriptedServer server(serverTls(tls(chain.toLatin1().constData()),
                                    tls(chain == "otherhost-chain.pem" ? "otherhost.key" : "server.key")));
    Pop3Script script;
    script.implicitTls = security == 2;
    script.stls = stls;
    script.install(server);
    TrustFile trust(tls(trusted.toLatin1().constData()));
    TNMPOP3 pop;
    pop.Host = host;
    pop.Port = server.port();
    pop.TimeOut = 5000;
    pop.UserID = QStringLiteral("alice");
    pop.Password = QStringLiteral("secret");
    pop.Security = TlsMode(security);
    bool loggedIn = false;
    pop.OnConnect = [&](TNMPOP3* p) {
        loggedIn = true;
        p->Disconnect();
    };
    QString got = failureOf([&] { pop.Connect(); });
    got.replace(QString::number(server.port()), QStringLiteral("PORT"));
    if (failure.isEmpty())
        QCOMPARE(got, QString());
    else
        QVERIFY2(got.startsWith(failure), qPrintable(got));
    QCOMPARE(loggedIn, count > 0);
    QCOMPARE(pop.MailCount, count);
    // The password leaves only over the connection it was meant for.
    if (!failure.isEmpty()) {
        QTest::qWait(100);
        QVERIFY2(!server.received().contains("PASS") && !server.received().contains("USER"),
                 server.received().constData());
    }
    QVERIFY(!pop.Connected());
}

void TestTls::handshakeWaits_data()
{
    QTest::addColumn<bool>("tlsServer");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<bool>("stop");
    QTest::addColumn<QString>("failure");
    // Slower than several of the layer's waits, and still within the time-out.
    QTest::newRow("slow handshake") << true << 400 << QByteArray("+OK\r\n") << false << "";
    // A plain server that reads the client's hello and never answers it.
    QTest::newRow("no handshake: time-out")
        << false << 0 << QByteArray() << false << "ESockError|Connection Timed out";
    QTest::newRow("no handshake: stopped")
        << false << 0 << QByteArray() << true << "ESockError|Connection Canceled";
    QTest::newRow("silent after the handshake: time-out")
        << true << 0 << QByteArray() << false << "ESockError|10060:Connection timed out";
    // Then it hangs up: the client notices at once.
    QTest::newRow("closed after the handshake")
        << true << -300 << QByteArray() << false << "ESockError|10057:Socket is not connected";
    QTest::newRow("silent after the handshake: stopped")
        << true << 0 << QByteArray() << true << "EAbortError|Socket readln aborted";
}

void TestTls::handshakeWaits()
{
    QFETCH(bool, tlsServer);
    QFETCH(int, delayMs);
    QFETCH(QByteArray, greeting);
    QFETCH(bool, stop);
    QFETCH(QString, failure);
    ScriptedServer server(tlsServer ? serverTls(tls("server-chain.pem"), tls("server.key"))
                                    : QSslConfiguration());
    Pop3Script script;
    script.implicitTls = true;
    script.handshakeDelayMs = std::max(delayMs, 0);
    script.greeting = greeting;
    script.install(server);
    // A silent server answers nothing, not even QUIT.
    if (!tlsServer) server.onAccept = nullptr;
    if (greeting.isEmpty()) server.onLine = nullptr;
    if (delayMs < 0) {
        const auto accept = server.onAccept;
        server.onAccept = [accept, delayMs](QTcpSocket* s) {
            accept(s);
            QTimer::singleShot(-delayMs, s, [s] { s->disconnectFromHost(); });
        };
    }
    TrustFile trust(tls("ca.pem"));
    TNMPOP3 pop;
    pop.Host = QStringLiteral("localhost");
    pop.Port = server.port();
    pop.TimeOut = 1500;
    pop.UserID = QStringLiteral("alice");
    pop.Password = QStringLiteral("secret");
    pop.Security = TlsMode::Implicit;
    pop.OnConnect = [](TNMPOP3* p) { p->Disconnect(); };
    std::atomic<bool> stopFlag{false};
    pop.setStopFlag(&stopFlag);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (stop) stopFlag = true;
    });
    qint64 ms = 0;
    const QString got = timedFailureOf([&] { pop.Connect(); }, ms);
    stopper.join();
    QCOMPARE(got, failure);
    if (failure.isEmpty()) QCOMPARE(pop.MailCount, 3);
    if (stop) QVERIFY2(ms >= 290 && ms < 450, qPrintable(QString::number(ms)));
    if (delayMs < 0)
        QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
    else if (!stop && !failure.isEmpty())
        QVERIFY2(ms >= 1450 && ms < 2500, qPrintable(QString::number(ms)));
}

QTEST_GUILESS_MAIN(TestTls)
#include "tst_tls.moc"
