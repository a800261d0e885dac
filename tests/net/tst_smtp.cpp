#include "NetTestUtil.h"
#include "SmtpScript.h"
#include "core/Clock.h"
#include "net/MailMime.h"
#include "net/NMsmtp.h"

#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

using namespace zarvo;

namespace {

const QByteArray kContentType = "Content-Type: text/plain;                        charset=us-ascii\r\n";
// The zone of the tests is three hours east of UTC.
const QByteArray kDateAndId = "Date: Tue, 10 Mar 2026 09:00:00 +0300\r\nMessage-ID: <ID@example.org>\r\n";

struct FixedClock : IClock
{
    QDateTime now() const override { return QDateTime(QDate(2026, 3, 10), QTime(9, 0)); }
};

// What the server received, with the message's unique name made fixed.
QByteArray withFixedId(QByteArray wire)
{
    static const QRegularExpression id(QStringLiteral("Message-ID: <[0-9a-z.]+@"));
    return QString::fromUtf8(wire).replace(id, QStringLiteral("Message-ID: <ID@")).toUtf8();
}

// The text of RFC 2047 encoded words (UTF-8, B), and whether each word kept within 75 characters.
QString decodedWords(const QString& header, bool& short_)
{
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="));
    QByteArray bytes;
    short_ = true;
    for (const QRegularExpressionMatch& m : word.globalMatch(header)) {
        short_ = short_ && m.capturedLength() <= 75;
        bytes += QByteArray::fromBase64(m.captured(1).toLatin1());
    }
    return QString::fromUtf8(bytes);
}

struct Sender
{
    ScriptedServer server;
    TNMSMTP smtp;
    FixedClock clock;
    explicit Sender(const SmtpScript& script = {})
    {
        script.install(server);
        smtp.Clock = &clock;
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
    void secureOpening_data();
    void secureOpening();
    void utf8Mail_data();
    void utf8Mail();
    void longSubjectWords();
    void quotedPrintableLines();
    void dates_data();
    void dates();
    void messageIds();
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
                                "X-Mailer: Zarvo! 4.01\r\nMime-Version: 1.0\r\n" + kContentType + kDateAndId +
                                "\r\n\r\n" + bodyWire + ".\r\nQUIT\r\n";
    QTRY_COMPARE(withFixedId(s.server.received()), expected);
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
    // A server that used up the time-out is not waited for again for its goodbye.
    QTest::newRow("continued for ever")
        << QByteArray() << QByteArray() << true << "ESockError|10060:Connection timed out" << QByteArray();
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

void TestSmtp::secureOpening_data()
{
    QTest::addColumn<int>("security");
    QTest::addColumn<bool>("auth");
    QTest::addColumn<QByteArray>("ehlo");
    QTest::addColumn<QByteArray>("authDone");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QByteArray>("wire");
    const QByteArray mail = "RSET\r\nMAIL FROM:<me@example.org>\r\nRCPT TO:<you@example.org>\r\nDATA\r\n";
    QTest::newRow("AUTH PLAIN first")
        << 0 << true << QByteArray("250-rig\r\n250 AUTH LOGIN PLAIN\r\n") << QByteArray("235 ok\r\n")
        << QString() << "EHLO alice\r\nAUTH PLAIN AGFsaWNlAHNlY3JldA==\r\n" + mail;
    QTest::newRow("AUTH LOGIN") << 0 << true << QByteArray("250-rig\r\n250-SIZE 100\r\n250 AUTH=LOGIN\r\n")
                                << QByteArray("235 ok\r\n") << QString()
                                << "EHLO alice\r\nAUTH LOGIN\r\nYWxpY2U=\r\nc2VjcmV0\r\n" + mail;
    QTest::newRow("no mechanism offered")
        << 0 << true << QByteArray("250-rig\r\n250 AUTH CRAM-MD5\r\n") << QByteArray()
        << "general|Authentication failed" << QByteArray("EHLO alice\r\nQUIT\r\n");
    QTest::newRow("password refused")
        << 0 << true << QByteArray("250-rig\r\n250 AUTH PLAIN\r\n") << QByteArray("535 no\r\n")
        << "general|Authentication failed"
        << QByteArray("EHLO alice\r\nAUTH PLAIN AGFsaWNlAHNlY3JldA==\r\nQUIT\r\n");
    QTest::newRow("EHLO refused") << 1 << true << QByteArray("502 what\r\n") << QByteArray()
                                  << "general|Authentication failed" << QByteArray("EHLO alice\r\nQUIT\r\n");
    QTest::newRow("STARTTLS not offered, AUTH is")
        << 1 << true << QByteArray("250-rig\r\n250 AUTH PLAIN LOGIN\r\n") << QByteArray()
        << "ESockError|TLS with 127.0.0.1:PORT failed: the server does not offer STARTTLS"
        << QByteArray("EHLO alice\r\nQUIT\r\n");
    QTest::newRow("STARTTLS refused")
        << 1 << false << QByteArray("250-rig\r\n250 STARTTLS\r\n") << QByteArray()
        << "ESockError|TLS with 127.0.0.1:PORT failed: the server refused "
           "STARTTLS: 454 TLS not available"
        << QByteArray("EHLO alice\r\nSTARTTLS\r\nQUIT\r\n");
}

void TestSmtp::secureOpening()
{
    QFETCH(int, security);
    QFETCH(bool, auth);
    QFETCH(QByteArray, ehlo);
    QFETCH(QByteArray, authDone);
    QFETCH(QString, failure);
    QFETCH(QByteArray, wire);
    SmtpScript script;
    script.ehlo = ehlo;
    script.authDone = authDone;
    Sender s(script);
    s.smtp.Security = TlsMode(security);
    s.smtp.Authenticate = auth;
    s.smtp.Password = QStringLiteral("secret");
    const QString got = failureOf([&] {
        s.smtp.Connect();
        s.smtp.SendMail();
    });
    QCOMPARE(QString(got).replace(QString::number(s.server.port()), QStringLiteral("PORT")), failure);
    QTRY_VERIFY2(s.server.received().startsWith(wire), s.server.received().constData());
    if (!failure.isEmpty()) QTRY_COMPARE(s.server.received(), wire);
}

void TestSmtp::utf8Mail_data()
{
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QByteArray>("mailFrom");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("body");
    const QByteArray head = "To: =?UTF-8?B?SsO2cmc=?= <j@example.org>\r\n"
                            "Subject: =?UTF-8?B?WmFobmFyenQg4oCTIMOcYmVybW9yZ2Vu?=\r\n"
                            "X-Mailer: Zarvo! 4.01\r\nMime-Version: 1.0\r\n"
                            "Content-Type: text/plain; charset=utf-8\r\n";
    QTest::newRow("HELO: quoted-printable") << false << QByteArray("MAIL FROM:<me@example.org>\r\n")
                                            << head + "Content-Transfer-Encoding: quoted-printable\r\n"
                                            << QByteArray("Zahnarzt =E2=80=93 =C3=9Cbermorgen\r\n");
    QTest::newRow("8BITMIME offered: 8bit")
        << true << QByteArray("MAIL FROM:<me@example.org> BODY=8BITMIME\r\n")
        << head + "Content-Transfer-Encoding: 8bit\r\n"
        << QStringLiteral("Zahnarzt – Übermorgen\r\n").toUtf8();
}

void TestSmtp::utf8Mail()
{
    QFETCH(bool, extended);
    QFETCH(QByteArray, mailFrom);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, body);
    Sender s;
    s.smtp.Authenticate = extended;
    s.smtp.Password = QStringLiteral("secret");
    s.smtp.PostMessage.ToAddress = QStringList{QStringLiteral("Jörg <j@example.org>")};
    s.smtp.PostMessage.Subject = QStringLiteral("Zahnarzt – Übermorgen");
    s.smtp.PostMessage.Body = QStringList{QStringLiteral("Zahnarzt – Übermorgen")};
    QCOMPARE(failureOf([&] {
                 s.smtp.Connect();
                 s.smtp.SendMail();
             }),
             QString());
    QTRY_VERIFY(s.server.received().endsWith(".\r\n"));
    const QByteArray got = withFixedId(s.server.received());
    QVERIFY2(got.contains("RSET\r\n" + mailFrom), got.constData());
    QVERIFY2(got.contains("DATA\r\nFrom: <me@example.org>\r\n" + header + kDateAndId + "\r\n\r\n" + body +
                          ".\r\n"),
             got.constData());
}

void TestSmtp::longSubjectWords()
{
    // Long enough for several words, with characters of two, three and four bytes at every
    // position a word could end.
    const QString subject = QStringLiteral("Termin: Zahnarzt – Übermorgen 😀 ").repeated(6);
    TNMSMTP smtp;
    smtp.PostMessage.FromAddress = QStringLiteral("me@example.org");
    smtp.PostMessage.Subject = subject;
    smtp.buildHeader();
    const QString line = smtp.FinalHeader.value(QStringLiteral("Subject"));
    bool short_ = false;
    QCOMPARE(decodedWords(line, short_), subject);
    QVERIFY(short_);
    for (const QString& folded : line.split(QStringLiteral("\r\n")))
        QVERIFY2(folded.size() <= 78 &&
                     (folded == line.section(QStringLiteral("\r\n"), 0, 0) || folded.startsWith(u' ')),
                 qPrintable(folded));
    QVERIFY(mime::isAscii(line));
}

void TestSmtp::quotedPrintableLines()
{
    struct Case
    {
        QByteArray text;
        QList<QByteArray> lines;
    };
    const QList<Case> cases{
        {"a=b", {"a=3Db"}},
        {"trailing space ", {"trailing space=20"}},
        {"tab\tinside", {"tab\tinside"}},
        {QByteArray(80, 'x'), {QByteArray(75, 'x') + '=', QByteArray(5, 'x')}},
        // An escape is never cut by a soft break.
        {QByteArray(74, 'x') + "\xc3\x9c", {QByteArray(74, 'x') + '=', "=C3=9C"}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        const QList<QByteArray> got = mime::quotedPrintable(c.text);
        QCOMPARE(got, c.lines);
        for (const QByteArray& l : got)
            QVERIFY(l.size() <= 76);
    }
}

void TestSmtp::dates_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("text");
    QTest::newRow("east") << QDateTime(QDate(2026, 3, 10), QTime(9, 5, 7), QTimeZone("Europe/Moscow"))
                          << "Tue, 10 Mar 2026 09:05:07 +0300";
    QTest::newRow("west, half hour") << QDateTime(QDate(2026, 1, 4), QTime(23, 0),
                                                  QTimeZone("America/St_Johns"))
                                     << "Sun, 4 Jan 2026 23:00:00 -0330";
    QTest::newRow("UTC") << QDateTime(QDate(2025, 12, 31), QTime(0, 0), QTimeZone::utc())
                         << "Wed, 31 Dec 2025 00:00:00 +0000";
}

void TestSmtp::dates()
{
    QFETCH(QDateTime, at);
    QFETCH(QString, text);
    // The names are English whatever the user's language.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    const QString got = mime::dateValue(at);
    QLocale::setDefault(before);
    QCOMPARE(got, text);
}

void TestSmtp::messageIds()
{
    const QList<std::pair<QString, QString>> domains{
        {QStringLiteral("me@Example.org"), QStringLiteral("example.org")},
        {QStringLiteral("me@bücher.de"), QStringLiteral("xn--bcher-kva.de")},
        {QStringLiteral("no address"), QStringLiteral("localhost")},
        {QStringLiteral("me@bad domain>x"), QStringLiteral("localhost")},
        {QString(), QStringLiteral("localhost")},
    };
    static const QRegularExpression form(QStringLiteral("^<[0-9a-z]+\\.[0-9a-z]+\\.[0-9a-z]+@([^>]+)>$"));
    QSet<QString> seen;
    for (const auto& [address, domain] : domains) {
        const QString id = mime::messageId(address);
        const QRegularExpressionMatch m = form.match(id);
        QVERIFY2(m.hasMatch(), qPrintable(id));
        QCOMPARE(m.captured(1), domain);
        seen.insert(id);
    }
    for (int i = 0; i < 1000; ++i)
        seen.insert(mime::messageId(QStringLiteral("me@example.org")));
    QCOMPARE(seen.size(), 1005);
}

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
