#pragma once

#include "NMTime.h"
#include "NMpop3.h"
#include "NMsmtp.h"
#include "core/Clock.h"
#include "core/EventActions.h"

#include <atomic>

namespace zarvo {

struct Settings;

// What each network action needs, copied from the settings (and the event) on the
// user-interface thread when the action starts, so the worker that runs it shares nothing.
struct MailboxJob
{
    QString user;
    QString password;
    QString host;
    int port = 110;
    int timeoutMs = 0;
    int security = 0; // as stored: 0 none, 1 STARTTLS, 2 TLS; any other value sends nothing
    static MailboxJob from(const Settings& settings);
};

struct MailJob
{
    QString user; // the argument of "HELO " and the log-in name
    QString host;
    int port = 25;
    int timeoutMs = 0;
    QString returnAddress;
    QString address;
    QString subject;
    QString body;
    int security = 0; // as for MailboxJob
    bool authenticate = false;
    QString password;  // the mailbox's, for authenticate
    QDateTime written; // the message's "Date:"; the moment it is sent when invalid
    static MailJob from(const Settings& settings, const NextEventCache& event, const QDateTime& now = {});
};

struct TimeJob
{
    QString host;
    int port = 37;
    int timeoutMs = 0;
    QDateTime reference; // what the server's count is read against after its 2036 wrap
    static TimeJob from(const Settings& settings, const QDateTime& now);
};

// The stored minutes as the components' milliseconds.
int minutesToMs(int minutes);

// The three actions as blocking runs, made and run on a worker thread. Each swallows every
// failure; `stop` (optional) ends their waits when the program ends.

// Check mailbox: connects, and the log-in event's handler (MailCheckerConnect) takes the count
// and says goodbye.
class MailboxCheck
{
public:
    explicit MailboxCheck(const MailboxJob& job, const std::atomic<bool>* stop = nullptr);
    MailboxResult run();

    TNMPOP3 MailChecker;
    int NewMailCount = 0;

private:
    void MailCheckerConnect(TNMPOP3* sender);
    bool m_loggedIn = false;
    bool m_knownSecurity = true;
};

// Mail message: Connect, SendMail, Disconnect; the first failure skips the rest.
class MailSend
{
    struct Written : IClock
    {
        QDateTime at;
        QDateTime now() const override { return at.isValid() ? at : QDateTime::currentDateTime(); }
    } m_written;

public:
    explicit MailSend(const MailJob& job, const std::atomic<bool>* stop = nullptr);
    MailResult run();

    TNMSMTP MMSender;

private:
    bool m_knownSecurity = true;
};

// Time synchronization, its network part: the server's instant (invalid when it did not answer).
class TimeRead
{
    struct Reference : IClock
    {
        QDateTime at;
        QDateTime now() const override { return at; }
    } m_reference; // before TimeSyncer, which reads it

public:
    explicit TimeRead(const TimeJob& job, const std::atomic<bool>* stop = nullptr);
    QDateTime run();

    TNMTime TimeSyncer{&m_reference};
};

} // namespace zarvo
