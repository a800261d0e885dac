// libFuzzer target for what servers send: the input's first byte picks a client (POP3; SMTP
// with HELO; SMTP with EHLO and a log-in; the time protocol) and the rest is everything the
// server says before it closes. The real clients read it through the socket layer (its line
// reader, Transaction and the reply codes, the STAT count, the EHLO offers, the time reply) over
// a real loopback connection whose server side was written in advance, so no wait is left
// hanging. Also fed straight to the reply parsers.
#include "net/MailMime.h"
#include "net/NMTime.h"
#include "net/NMpop3.h"
#include "net/NMsmtp.h"
#include "net/NetErrors.h"
#include "net/TcpConnect.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zarvo;

namespace {

int g_listener = -1;
sockaddr_in g_address{};

// The server's side of each connection: what it says is written whole before the client reads,
// then its sending side is shut, so the client's last read sees the end at once.
template <typename Client> class Scripted : public Client
{
public:
    explicit Scripted(QByteArray says) : m_says(std::move(says))
    {
        this->Host = QStringLiteral("127.0.0.1");
        this->Port = ntohs(g_address.sin_port);
        this->TimeOut = 2000;
    }
    ~Scripted() override
    {
        for (int fd : m_servers)
            ::close(fd);
    }

protected:
    TcpConnection dial(const QDeadlineTimer&) override
    {
        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (client < 0 ||
            ::connect(client, reinterpret_cast<const sockaddr*>(&g_address), sizeof g_address) != 0)
            std::abort();
        const int server = ::accept4(g_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (server < 0) std::abort();
        m_servers << server;
        for (qsizetype at = 0; at < m_says.size();) {
            const ssize_t n = ::write(server, m_says.constData() + at, size_t(m_says.size() - at));
            if (n <= 0) std::abort();
            at += n;
        }
        ::shutdown(server, SHUT_WR);
        return {TcpConnection::Connected, client, 0};
    }

private:
    QByteArray m_says;
    QList<int> m_servers;
};

template <typename F> void swallowing(F run)
{
    try {
        run();
    } catch (const NetException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    g_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    g_address.sin_family = AF_INET;
    g_address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof g_address;
    if (g_listener < 0 || ::bind(g_listener, reinterpret_cast<const sockaddr*>(&g_address), length) != 0 ||
        ::listen(g_listener, 8) != 0 ||
        ::getsockname(g_listener, reinterpret_cast<sockaddr*>(&g_address), &length) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 65536) return 0;
    const QByteArray says(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const QString text = QString::fromUtf8(says);
    const QStringList lines = text.split(QLatin1Char('\n'));

    // The parsers alone.
    (void)TNMPOP3::accepted(text);
    (void)TNMPOP3::statCount(text);
    (void)SmtpExtensions::parse(lines);
    (void)mime::quotedPrintable(says);

    switch (data[0] % 4) {
    case 0: {
        Scripted<TNMPOP3> pop(says);
        pop.UserID = QStringLiteral("alice");
        pop.Password = QStringLiteral("secret");
        pop.OnConnect = [](TNMPOP3* p) { swallowing([p] { p->Disconnect(); }); };
        swallowing([&] { pop.Connect(); });
        break;
    }
    case 1:
    case 2: {
        Scripted<TNMSMTP> smtp(says);
        smtp.UserID = QStringLiteral("alice");
        smtp.Password = QStringLiteral("secret");
        smtp.Authenticate = data[0] % 4 == 2;
        smtp.PostMessage.FromAddress = QStringLiteral("me@example.org");
        smtp.PostMessage.ToAddress = QStringList{QStringLiteral("you@example.org")};
        smtp.PostMessage.Body = QStringList{QStringLiteral("Zahnarzt – Übermorgen")};
        swallowing([&] {
            smtp.Connect();
            smtp.SendMail();
            smtp.Disconnect();
        });
        break;
    }
    default: {
        Scripted<TNMTime> time(says);
        swallowing([&] { (void)time.ServerTime(); });
        break;
    }
    }
    return 0;
}
