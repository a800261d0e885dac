// Mail over TLS against real servers on 127.0.0.1, started by tests/integration/net_tls.sh:
// Dovecot with TLS from the first byte and with STLS (and a second one whose certificate names
// another host), and aiosmtpd with STARTTLS and AUTH, with TLS from the first byte, without
// STARTTLS, and without either. The program trusts the test CA through SSL_CERT_FILE.
#include "NetRig.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace zarvo;

namespace {

QString env(const char* name)
{
    return qEnvironmentVariable(name);
}

QString rigFile(const char* name)
{
    return env("RIG_DIR") + QStringLiteral("/tls/") + QLatin1String(name);
}

// Lines of the mailbox server's log that show a log-in tried: they name the user.
int loginTraces(const QString& log)
{
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return int(f.readAll().count(env("POP3_USER").toUtf8()));
}

QByteArray newestMail(const QString& maildir)
{
    QDir dir(maildir + QStringLiteral("/new"));
    const QStringList files = dir.entryList(QDir::Files, QDir::Time);
    if (files.isEmpty()) return {};
    QFile f(dir.filePath(files.first()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The command lines (and "tls-up" events) an SMTP rig logged, in order.
QStringList smtpCommands(const QString& dir)
{
    QFile f(dir + QStringLiteral("/commands.jsonl"));
    QStringList out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        // The verb, and the mechanism of AUTH.
        const QString text = o.value(QStringLiteral("line")).toString();
        if (o.contains(QStringLiteral("line")))
            out << text.section(QLatin1Char(' '), 0, text.startsWith(QLatin1String("AUTH")) ? 1 : 0);
        else if (o.value(QStringLiteral("event")).toString() == QLatin1String("tls-up"))
            out << QStringLiteral("<tls-up>");
    }
    return out;
}

void clearSmtp(const QString& dir)
{
    QFile(dir + QStringLiteral("/commands.jsonl")).resize(0);
    QDir mail(dir + QStringLiteral("/maildir/new"));
    for (const QString& f : mail.entryList(QDir::Files))
        mail.remove(f);
}

struct Trust
{
    explicit Trust(const QString& file) { qputenv("SSL_CERT_FILE", file.toUtf8()); }
    ~Trust() { qunsetenv("SSL_CERT_FILE"); }
};

struct Actions
{
    FakeDialUp dialUp;
    FakeTimeSetter setter;
    FakeClock clock;
    NetworkActions net{dialUp, setter, clock};
};

} // namespace

class TestNetTls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void mailbox_data();
    void mailbox();
    void mail_data();
    void mail();
    void utf8Mail_data();
    void utf8Mail();
};

void TestNetTls::initTestCase()
{
    if (env("POP3S_PORT").isEmpty() || env("SMTP_RIGS").isEmpty())
        QSKIP("run through tests/integration/net_tls.sh, which starts the servers");
}

void TestNetTls::mailbox_data()
{
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("trusted");
    QTest::addColumn<bool>("counted");
    QTest::newRow("TLS") << 2 << "POP3S_PORT"
                         << "POP3TLS_LOG"
                         << "ca.pem" << true;
    QTest::newRow("STLS") << 1 << "POP3TLS_PORT"
                          << "POP3TLS_LOG"
                          << "ca.pem" << true;
    QTest::newRow("TLS, a CA not trusted") << 2 << "POP3S_PORT"
                                           << "POP3TLS_LOG"
                                           << "other-ca.pem" << false;
    QTest::newRow("STLS, a CA not trusted") << 1 << "POP3TLS_PORT"
                                            << "POP3TLS_LOG"
                                            << "other-ca.pem" << false;
    QTest::newRow("TLS, another host's certificate") << 2 << "OTHERHOST_POP3S_PORT"
                                                     << "OTHERHOST_LOG"
                                                     << "ca.pem" << false;
    QTest::newRow("STLS, another host's certificate") << 1 << "OTHERHOST_POP3TLS_PORT"
                                                      << "OTHERHOST_LOG"
                                                      << "ca.pem" << false;
}

void TestNetTls::mailbox()
{
    QFETCH(int, security);
    QFETCH(QString, port);
    QFETCH(QString, log);
    QFETCH(QString, trusted);
    QFETCH(bool, counted);
    const QString logFile = env(log.toLatin1().constData());
    const int tracesBefore = loginTraces(logFile);
    Trust trust(rigFile(trusted.toLatin1().constData()));
    Actions a;
    Settings s;
    s.User = env("POP3_USER");
    s.Pas = env("POP3_PASS");
    s.Server = QStringLiteral("localhost");
    s.Port = env(port.toLatin1().constData()).toInt();
    s.Timeout = 1;
    s.MailSecurity = security;
    std::optional<MailboxResult> result;
    a.net.checkMailbox(s, [&](const MailboxResult& r) { result = r; });
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
    QCOMPARE(result->loggedIn, counted);
    QCOMPARE(result->count, counted ? 3 : 0);
    if (counted) {
        QTRY_VERIFY([&] {
            QFile f(logFile);
            f.open(QIODevice::ReadOnly);
            const QByteArray all = f.readAll();
            return all.contains("lport=" + env(port.toLatin1().constData()).toUtf8() + ", mpid=") &&
                   all.contains(", TLS, session=");
        }());
    } else {
        // Give the server the time to write what it saw: no user name, no password.
        QTest::qWait(300);
        QCOMPARE(loginTraces(logFile), tracesBefore);
    }
}

void TestNetTls::mail_data()
{
    QTest::addColumn<QString>("rig");
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("trusted");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QStringList>("commands");
    const QStringList upgraded{"EHLO", "STARTTLS", "<tls-up>", "EHLO"};
    const QStringList mail{"RSET", "MAIL", "RCPT", "DATA", "QUIT"};
    QTest::newRow("STARTTLS, AUTH PLAIN")
        << "starttls" << 1 << "ca.pem" << true << upgraded + QStringList{"AUTH PLAIN"} + mail;
    QTest::newRow("STARTTLS, AUTH LOGIN")
        << "login" << 1 << "ca.pem" << true << upgraded + QStringList{"AUTH LOGIN"} + mail;
    QTest::newRow("TLS from the first byte")
        << "implicit" << 2 << "ca.pem" << true << QStringList{"EHLO", "AUTH PLAIN"} + mail;
    // The server offers AUTH in plain text, and no STARTTLS.
    QTest::newRow("STARTTLS not offered")
        << "nostarttls" << 1 << "ca.pem" << false << QStringList{"EHLO", "QUIT"};
    QTest::newRow("a CA not trusted")
        << "starttls" << 1 << "other-ca.pem" << false << QStringList{"EHLO", "STARTTLS"};
}

void TestNetTls::mail()
{
    QFETCH(QString, rig);
    QFETCH(int, security);
    QFETCH(QString, trusted);
    QFETCH(bool, sent);
    QFETCH(QStringList, commands);
    const QString dir = env("SMTP_RIGS") + QLatin1Char('/') + rig;
    clearSmtp(dir);
    QFile portFile(dir + QStringLiteral("/port"));
    QVERIFY(portFile.open(QIODevice::ReadOnly));
    Trust trust(rigFile(trusted.toLatin1().constData()));
    Actions a;
    Settings s;
    s.User = QStringLiteral("alice");
    s.Pas = QStringLiteral("secret");
    s.SMTPServer = QStringLiteral("localhost");
    s.SMTPPort = portFile.readAll().trimmed().toInt();
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.Timeout = 1;
    s.SMTPSecurity = security;
    s.SMTPAuth = true;
    NextEventCache e;
    e.NextMailAddress = QStringLiteral("you@example.org");
    e.NextMailSubject = QStringLiteral("Reminder");
    e.NextMailBody = QStringLiteral("Call Bob");
    std::optional<MailResult> result;
    a.net.sendMail(s, e, [&](const MailResult& r) { result = r; });
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
    QCOMPARE(result->sent, sent);
    // The server's log of a connection ends once it has seen the client go.
    QTRY_COMPARE(smtpCommands(dir), commands);
    const QByteArray stored = newestMail(dir + QStringLiteral("/maildir"));
    QCOMPARE(stored.isEmpty(), !sent);
    if (sent) {
        QVERIFY2(stored.contains("X-Rig-TLS: yes\r\nX-Rig-Authenticated: yes\r\n"), stored.constData());
        QVERIFY(stored.contains("X-Rig-Auth: alice\r\n"));
    }
}

void TestNetTls::utf8Mail_data()
{
    QTest::addColumn<QString>("rig");
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("STARTTLS and 8BITMIME") << "starttls" << 1 << "8bit";
    QTest::newRow("HELO, plain") << "plain" << 0 << "quoted-printable";
}

void TestNetTls::utf8Mail()
{
    QFETCH(QString, rig);
    QFETCH(int, security);
    QFETCH(QString, encoding);
    const QString dir = env("SMTP_RIGS") + QLatin1Char('/') + rig;
    clearSmtp(dir);
    QFile portFile(dir + QStringLiteral("/port"));
    QVERIFY(portFile.open(QIODevice::ReadOnly));
    Trust trust(rigFile("ca.pem"));
    Actions a;
    a.clock.set(QDateTime(QDate(2026, 3, 10), QTime(9, 0, 1)));
    Settings s;
    s.User = QStringLiteral("alice");
    s.Pas = QStringLiteral("secret");
    s.SMTPServer = QStringLiteral("localhost");
    s.SMTPPort = portFile.readAll().trimmed().toInt();
    s.ReturnAddress = QStringLiteral("me@example.org");
    s.Timeout = 1;
    s.SMTPSecurity = security;
    s.SMTPAuth = security != 0;
    const QString text = QStringLiteral("Zahnarzt – Übermorgen");
    NextEventCache e;
    e.NextMailAddress = QStringLiteral("Jörg Müller <you@example.org>");
    e.NextMailSubject = text;
    e.NextMailBody = text;
    std::optional<MailResult> result;
    a.net.sendMail(s, e, [&](const MailResult& r) { result = r; });
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
    QVERIFY(result->sent);
    const QString file = dir + QStringLiteral("/stored.eml");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(newestMail(dir + QStringLiteral("/maildir")));
    out.close();

    // Read as a mail program would.
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import email, email.policy, email.utils, json, sys
m = email.message_from_binary_file(open(sys.argv[1], "rb"), policy=email.policy.default)
d = email.utils.parsedate_to_datetime(m["Date"])
print(json.dumps({"subject": str(m["Subject"]), "to": m["To"].addresses[0].display_name,
  "address": m["To"].addresses[0].username + "@" + m["To"].addresses[0].domain, "body": m.get_content().strip(),
  "cte": m["Content-Transfer-Encoding"], "date": d.isoformat(), "id": m["Message-ID"],
  "defects": len(m.defects) + sum(len(m[h].defects) for h in ("Subject", "To", "Date", "Message-ID"))}))
)"),
                                                  file});
    QVERIFY(py.waitForFinished(20000));
    QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
    const QJsonObject got = QJsonDocument::fromJson(py.readAllStandardOutput()).object();
    QCOMPARE(got.value(QStringLiteral("subject")).toString(), text);
    QCOMPARE(got.value(QStringLiteral("body")).toString(), text);
    QCOMPARE(got.value(QStringLiteral("to")).toString(), QStringLiteral("Jörg Müller"));
    QCOMPARE(got.value(QStringLiteral("address")).toString(), QStringLiteral("you@example.org"));
    QCOMPARE(got.value(QStringLiteral("cte")).toString(), encoding);
    // The moment the event fired, in the zone of the test, three hours east of UTC.
    QCOMPARE(got.value(QStringLiteral("date")).toString(), QStringLiteral("2026-03-10T09:00:01+03:00"));
    QVERIFY2(got.value(QStringLiteral("id")).toString().endsWith(QLatin1String("@example.org>")),
             qPrintable(got.value(QStringLiteral("id")).toString()));
    QCOMPARE(got.value(QStringLiteral("defects")).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestNetTls)
#include "tst_nettls.moc"
