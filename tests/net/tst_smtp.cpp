#include "NetTestUtil.h"
#include "SmtpScript.h"
#include "net/NMsmtp.h"

#include <QTest>

using namespace zarvo;

namespace {

const QByteArray kContentType = "Content-Type: text/plain;                        charset=us-ascii\r\n";

struct Sender
{
    ScriptedServer server;
    TNMSMTP smtp;
    explicit Sender(const SmtpScript& script = {})
    {
        script.install(server);
        smtp.UserID = QStringLiteral("alice");
        smtp.Host = QStringLiteral("127.0.0.1");
        smtp.Port = server.port();
        smtp.TimeOut = 1000;
        smtp.PostMessage.FromAddress = QStringLiteral("me@example.org");
        smtp.PostMessage.ToAddress = QStringList{QStringLiteral("you@example.org")};
        smtp.PostMessage.Body = QStringList{QStringLiteral("Call Bob")};
        smtp.PostMessage.Subject = QStringLiteral("Hi");
        smtp.PostMessage.LocalProgram = QStringLiteral("Zarvo! 4.01");
    }
};

} // namespace

class TestSmtp : public QObject
{
    Q_OBJECT
private slots:
    void wire_data();
    void wire();
    void refusals_data();
    void refusals();
    void greetings_data();
    void greetings();
    void clearParams();
    void headerList();
};

void TestSmtp::wire_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("envelope");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("bodyWire");
    QTest::newRow("plain") << "you@example.org"
                           << "Hi"
                           << "Call Bob" << QByteArray("RCPT TO:<you@example.org>\r\n")
                           << QByteArray("To: you@example.org\r\nSubject: Hi\r\n")
                           << QByteArray("Call Bob\r\n");
    QTest::newRow("display name") << "Your Name <you@example.org>"
                                  << "Hi"
                                  << "x" << QByteArray("RCPT TO:<you@example.org>\r\n")
                                  << QByteArray("To: Your Name <you@example.org>\r\nSubject: Hi\r\n")
                                  << QByteArray("x\r\n");
    QTest::newRow("scheme") << "mailto:you@example.org"
                            << "Hi"
                            << "x" << QByteArray("RCPT TO:<you@example.org>\r\n")
                            << QByteArray("To: mailto:you@example.org\r\nSubject: Hi\r\n")
                            << QByteArray("x\r\n");
    QTest::newRow("empty subject") << "you@example.org"
                                   << ""
                                   << "x" << QByteArray("RCPT TO:<you@example.org>\r\n")
                                   << QByteArray("To: you@example.org\r\n") << QByteArray("x\r\n");
    QTest::newRow("leading dot") << "you@example.org"
                                 << "Hi"
                                 << ".hidden" << QByteArray("RCPT TO:<you@example.org>\r\n")
                                 << QByteArray("To: you@example.org\r\nSubject: Hi\r\n")
                                 << QByteArray("..hidden\r\n");
    // Line breaks inside the text: each line ends in CR LF and is dot-stuffed, so "." alone on a
    // line cannot end the message and RSET after it is text, not a command.
    QTest::newRow("text ending the message")
        << "you@example.org"
        << "Hi"
        << "a\n.\nRSET\rb\r\n.x" << QByteArray("RCPT TO:<you@example.org>\r\n")
        << QByteArray("To: you@example.org\r\nSubject: Hi\r\n")
        << QByteArray("a\r\n..\r\nRSET\r\nb\r\n..x\r\n");
    QTest::newRow("header injection")
        << "you@example.org\r\nDATA"
        << "Hi\r\nBcc: evil@example.org"
        << "x" << QByteArray("RCPT TO:<you@example.org>\r\n")
        << QByteArray("To: you@example.org DATA\r\nSubject: Hi Bcc: evil@example.org\r\n")
        << QByteArray("x\r\n");
    // The angle brackets on a second line must not take the envelope over: the mail goes to what
    // stands on the first.
    QTest::newRow("second recipient after a line break")
        << "victim@x.test\r\nRCPT TO:<evil@y.test>"
        << "Hi"
        << "x" << QByteArray("RCPT TO:<victim@x.test>\r\n")
        << QByteArray("To: victim@x.test RCPT TO:<evil@y.test>\r\nSubject: Hi\r\n") << QByteArray("x\r\n");
    QTest::newRow("display name, then a line break")
        << "Victim <victim@x.test>\nEvil <evil@y.test>"
        << "Hi"
        << "x" << QByteArray("RCPT TO:<victim@x.test>\r\n")
        << QByteArray("To: Victim <victim@x.test> Evil <evil@y.test>\r\nSubject: Hi\r\n")
        << QByteArray("x\r\n");
}

void TestSmtp::wire()
{
    QFETCH(QString, address);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(QByteArray, envelope);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, bodyWire);
    Sender s;
    s.smtp.PostMessage.ToAddress = QStringList{address};
    s.smtp.PostMessage.Subject = subject;
    s.smtp.PostMessage.Body = QStringList{body};
    QCOMPARE(failureOf([&] {
                 s.smtp.Connect();
                 s.smtp.SendMail();
                 s.smtp.Disconnect();
             }),
             QString());
    const QByteArray expected = "HELO alice\r\nRSET\r\nMAIL FROM:<me@example.org>\r\n" + envelope +
                                "DATA\r\nFrom: <me@example.org>\r\n" + header +
                                "X-Mailer: Zarvo! 4.01\r\nMime-Version: 1.0\r\n" + kContentType + "\r\n\r\n" +
                                bodyWire + ".\r\nQUIT\r\n";
    QTRY_COMPARE(s.server.received(), expected);
}

void TestSmtp::refusals_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QByteArray>("end");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<bool>("failureFired");
    QTest::newRow("no return address")
        << ""
        << "you@example.org" << QByteArray("250 OK\r\n") << "general|Incomplete Header"
        << QByteArray("HELO alice\r\n") << false;
    QTest::newRow("empty recipient") << "me@example.org"
                                     << "" << QByteArray("250 OK\r\n") << "general|503 need RCPT\r\n"
                                     << QByteArray(
                                            "HELO alice\r\nRSET\r\nMAIL FROM:<me@example.org>\r\nDATA\r\n")
                                     << false;
    QTest::newRow("refused at the end")
        << "me@example.org"
        << "you@example.org" << QByteArray("552 too big\r\n") << "general|552 too big\r\n"
        << QByteArray() << true;
    QTest::newRow("no code at the end")
        << "me@example.org"
        << "you@example.org" << QByteArray("thanks!\r\n") << "general|thanks!\r\n"
        << QByteArray() << true;
}

void TestSmtp::refusals()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QByteArray, end);
    QFETCH(QString, failure);
    QFETCH(QByteArray, wire);
    QFETCH(bool, failureFired);
    SmtpScript script;
    script.end = end;
    Sender s(script);
    s.smtp.PostMessage.FromAddress = from;
    s.smtp.PostMessage.ToAddress = QStringList{to};
    bool fired = false, succeeded = false;
    s.smtp.OnFailure = [&](TNMSMTP*) { fired = true; };
    s.smtp.OnSuccess = [&](TNMSMTP*) { succeeded = true; };
    s.smtp.Connect();
    QCOMPARE(failureOf([&] { s.smtp.SendMail(); }), failure);
    QCOMPARE(fired, failureFired);
    QVERIFY(!succeeded);
    // A refused mail leaves the connection open.
    QVERIFY(s.smtp.Connected());
    QCOMPARE(failureOf([&] { s.smtp.Connect(); }), QStringLiteral("ESockError|Already connected"));
    if (!wire.isEmpty()) QCOMPARE(s.server.received(), wire);
}

void TestSmtp::greetings_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("helo");
    QTest::addColumn<bool>("endless");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QByteArray>("wire");
    QByteArray longGreeting;
    for (int i = 0; i < 499; ++i)
        longGreeting += "220-line " + QByteArray::number(i) + "\r\n";
    longGreeting += "220 ready\r\n";
    QTest::newRow("500 lines") << longGreeting << QByteArray("250 rig\r\n") << false << QString()
                               << QByteArray("HELO alice\r\n");
    QTest::newRow("continued for ever") << QByteArray() << QByteArray() << true
                                        << "ESockError|10060:Connection timed out" << QByteArray("QUIT\r\n");
    QTest::newRow("refused") << QByteArray("554 go away\r\n") << QByteArray() << false
                             << "general|554 go away\r\n"
                             << QByteArray("QUIT\r\n");
    QTest::newRow("garbage") << QByteArray("\x16\x03\x01 hello?\r\n") << QByteArray() << false
                             << "general|\x16\x03\x01 hello?\r\n"
                             << QByteArray("QUIT\r\n");
    QTest::newRow("helo refused") << QByteArray("220 ready\r\n") << QByteArray("501 bad name\r\n") << false
                                  << "general|Authentication failed" << QByteArray("HELO alice\r\nQUIT\r\n");
}

void TestSmtp::greetings()
{
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, helo);
    QFETCH(bool, endless);
    QFETCH(QString, failure);
    QFETCH(QByteArray, wire);
    SmtpScript script;
    script.greeting = greeting;
    script.helo = helo;
    Sender s(script);
    s.smtp.TimeOut = 400;
    if (endless) {
        s.server.onAccept = [](QTcpSocket* sock) {
            auto* t = new QTimer(sock);
            QObject::connect(t, &QTimer::timeout, sock, [sock] { sock->write("220-more\r\n"); });
            t->start(1);
        };
    }
    qint64 ms = 0;
    QCOMPARE(timedFailureOf([&] { s.smtp.Connect(); }, ms), failure);
    QVERIFY2(ms < 1500, qPrintable(QString::number(ms)));
    QCOMPARE(s.smtp.Connected(), failure.isEmpty());
    QTRY_COMPARE(s.server.received(), wire);
}

void TestSmtp::clearParams()
{
    Sender s;
    s.smtp.Connect();
    s.smtp.SendMail();
    QVERIFY(s.smtp.PostMessage.ToAddress.isEmpty());
    QCOMPARE(s.smtp.PostMessage.Body, QStringList{QStringLiteral("Call Bob")});
    QCOMPARE(s.smtp.PostMessage.Subject, QStringLiteral("Hi"));
}

void TestSmtp::headerList()
{
    TExStringList h{QStringLiteral("From: <a@b>"), QStringLiteral("subject: old")};
    QCOMPARE(h.value(QStringLiteral("SUBJECT")), QStringLiteral("old"));
    h.setValue(QStringLiteral("Subject"), QStringLiteral("new"));
    h.setValue(QStringLiteral("X-Mailer"), QStringLiteral("m"));
    QCOMPARE(h, (QStringList{QStringLiteral("From: <a@b>"), QStringLiteral("Subject: new"),
                             QStringLiteral("X-Mailer: m")}));
    h.setValue(QStringLiteral("from"), QString());
    h.setValue(QStringLiteral("Date"), QString());
    QCOMPARE(h, (QStringList{QStringLiteral("Subject: new"), QStringLiteral("X-Mailer: m")}));
}

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
