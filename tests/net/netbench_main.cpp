// Times the network clients against local servers, for tools/bench_net.sh:
//   netbench pop3|pop3s|time|smtp|smtptls PORT RUNS  ->  "<median ms> <min ms>" of one complete
//   exchange; pop3s: TLS from the first byte; smtptls: STARTTLS and AUTH (alice:secret). The TLS
//   ones talk to "localhost" and trust what SSL_CERT_FILE names.
#include "net/NMTime.h"
#include "net/NMpop3.h"
#include "net/NMsmtp.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zarvo;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) return 2;
    const QByteArray op = argv[1];
    const int port = atoi(argv[2]);
    const int runs = atoi(argv[3]);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        try {
            if (op == "pop3" || op == "pop3s") {
                TNMPOP3 pop;
                pop.Host = op == "pop3s" ? QStringLiteral("localhost") : QStringLiteral("127.0.0.1");
                pop.Security = op == "pop3s" ? TlsMode::Implicit : TlsMode::None;
                pop.Port = port;
                pop.TimeOut = 5000;
                pop.UserID = QStringLiteral("alice");
                pop.Password = QStringLiteral("secret");
                pop.OnConnect = [](TNMPOP3* p) { p->Disconnect(); };
                pop.Connect();
                if (pop.MailCount <= 0) return 1;
            } else if (op == "time") {
                TNMTime time;
                time.Host = QStringLiteral("127.0.0.1");
                time.Port = port;
                time.TimeOut = 5000;
                if (time.TimeStr().isEmpty()) return 1;
            } else {
                TNMSMTP smtp;
                const bool tls = op == "smtptls";
                smtp.Host = tls ? QStringLiteral("localhost") : QStringLiteral("127.0.0.1");
                smtp.Security = tls ? TlsMode::StartTls : TlsMode::None;
                smtp.Authenticate = tls;
                smtp.Password = QStringLiteral("secret");
                smtp.Port = port;
                smtp.TimeOut = 5000;
                smtp.UserID = QStringLiteral("alice");
                smtp.PostMessage.FromAddress = QStringLiteral("me@example.org");
                smtp.PostMessage.ToAddress = QStringList{QStringLiteral("you@example.org")};
                smtp.PostMessage.Body = QStringList{QStringLiteral("bench")};
                smtp.PostMessage.Subject = QStringLiteral("bench");
                smtp.Connect();
                smtp.SendMail();
                smtp.Disconnect();
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%.2f %.2f\n", ms[ms.size() / 2], ms.front());
    return 0;
}
