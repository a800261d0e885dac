#include "NMpop3.h"

#include "NetErrors.h"

namespace zarvo {

namespace {

const QString kAuthFailed = QStringLiteral("Authentication failed");

} // namespace

TNMPOP3::TNMPOP3(QObject* parent) : TPowersock(parent)
{
    Port = 110;
}

bool TNMPOP3::accepted(const QString& reply)
{
    return reply.section(QLatin1Char(' '), 0, 0).contains(QLatin1String("+OK"));
}

int TNMPOP3::statCount(const QString& reply)
{
    const QString field = reply.section(QLatin1Char(' '), 1, 1);
    if (field.isEmpty()) return 0;
    for (const QChar c : field)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return 0;
    bool ok = false;
    const int n = field.toInt(&ok);
    return ok ? n : 0;
}

void TNMPOP3::TimeOutHook()
{
    if (m_canceled || !m_connected) return;
    if (m_busy)
        Cancel();
    else
        closeAndEmpty();
}

void TNMPOP3::Connect()
{
    bool asked = false;
    while (Password.isEmpty() || UserID.isEmpty()) {
        if (!OnAuthenticationNeeded) throw NetException(kAuthFailed);
        if (asked) break;
        asked = true;
        bool handled = false;
        OnAuthenticationNeeded(handled);
        if (!handled) throw NetException(kAuthFailed);
    }

    const bool wasBusy = m_busy;
    m_busy = true;
    bool loggedIn = false;
    auto finish = [&] {
        if (!wasBusy) m_busy = false;
        if (loggedIn && OnConnect) OnConnect(this);
    };
    try {
        connectWithDialogue([&] {
            const QString greeting = ReadLn();
            if (!accepted(greeting)) throw NetException(greeting);
            if (Security == TlsMode::StartTls) {
                // Asked for, never skipped: a server that refuses gets no user name or password.
                const QString reply = Transaction(QStringLiteral("STLS"));
                if (!accepted(reply))
                    tlsFailure(QStringLiteral("the server refused STLS: ") + singleLine(reply));
                StartTls();
            }
            logIn();
            loggedIn = true;
            const QString stat = Transaction(QStringLiteral("STAT"));
            if (!accepted(stat)) throw NetException(stat);
            MailCount = statCount(stat);
        });
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TNMPOP3::logIn()
{
    int attempts = 0;
    auto refused = [&] {
        if (attempts > 0 || !OnAuthenticationFailed) throw NetException(kAuthFailed);
        bool handled = false;
        OnAuthenticationFailed(handled);
        if (!handled) throw NetException(kAuthFailed);
        ++attempts;
    };
    for (;;) {
        // Neither value may end the command line early or add a command of its own.
        if (!accepted(Transaction(QStringLiteral("USER ") + singleLine(UserID)))) {
            refused();
            continue;
        }
        if (!accepted(Transaction(QStringLiteral("PASS ") + singleLine(Password)))) {
            refused();
            continue;
        }
        return;
    }
}

void TNMPOP3::Disconnect()
{
    QString reply;
    try {
        reply = Transaction(QStringLiteral("QUIT"));
    } catch (...) {
        TPowersock::Disconnect();
        throw;
    }
    TPowersock::Disconnect();
    if (!accepted(reply)) throw NetException(reply);
}

} // namespace zarvo
