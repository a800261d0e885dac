#include "NetJobs.h"

#include "core/Settings.h"

#include <algorithm>
#include <limits>

namespace zarvo {

MailboxJob MailboxJob::from(const Settings& s)
{
    return {s.User, s.Pas, s.Server, s.Port, minutesToMs(s.Timeout), s.MailSecurity};
}

MailJob MailJob::from(const Settings& s, const NextEventCache& e, const QDateTime& now)
{
    // The mail sender has no time-out of its own: the mailbox's serves. It logs in with the
    // mailbox account.
    return {s.User,
            s.SMTPServer,
            s.SMTPPort,
            minutesToMs(s.Timeout),
            s.ReturnAddress,
            e.NextMailAddress,
            e.NextMailSubject,
            e.NextMailBody,
            s.SMTPSecurity,
            s.SMTPAuth,
            s.Pas,
            now};
}

TimeJob TimeJob::from(const Settings& s, const QDateTime& now)
{
    return {s.SyncServer, s.SyncPort, minutesToMs(s.SyncTimeout), now};
}

int minutesToMs(int minutes)
{
    // A hand-edited setting must not overflow into a negative or wrapped time-out.
    const qint64 ms = qint64(minutes) * 60000;
    return int(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max()));
}

MailboxCheck::MailboxCheck(const MailboxJob& job, const std::atomic<bool>* stop)
{
    MailChecker.setStopFlag(stop);
    MailChecker.UserID = job.user;
    MailChecker.Password = job.password;
    MailChecker.Host = job.host;
    MailChecker.Port = job.port;
    MailChecker.TimeOut = job.timeoutMs;
    m_knownSecurity = tlsModeOf(job.security, MailChecker.Security);
    MailChecker.OnConnect = [this](TNMPOP3* sender) { MailCheckerConnect(sender); };
}

void MailboxCheck::MailCheckerConnect(TNMPOP3* sender)
{
    m_loggedIn = true;
    NewMailCount = sender->MailCount;
    try {
        sender->Disconnect();
    } catch (...) {
    }
}

MailboxResult MailboxCheck::run()
{
    // A check whose STAT is refused still reports its count; it must not be the count of an
    // earlier check.
    MailChecker.MailCount = 0;
    NewMailCount = 0;
    // A setting this program does not know could mean a secured connection: no plain-text guess.
    if (!m_knownSecurity) return {false, 0};
    try {
        MailChecker.Connect();
    } catch (...) {
    }
    return {m_loggedIn, NewMailCount};
}

MailSend::MailSend(const MailJob& job, const std::atomic<bool>* stop)
{
    MMSender.setStopFlag(stop);
    MMSender.UserID = job.user;
    MMSender.Host = job.host;
    MMSender.Port = job.port;
    MMSender.TimeOut = job.timeoutMs;
    m_knownSecurity = tlsModeOf(job.security, MMSender.Security);
    MMSender.Authenticate = job.authenticate;
    MMSender.Password = job.password;
    m_written.at = job.written;
    MMSender.Clock = &m_written;
    TPostMessage& m = MMSender.PostMessage;
    m.FromAddress = job.returnAddress;
    m.ToAddress = QStringList{job.address};
    m.Body = QStringList{job.body};
    m.Subject = job.subject;
    m.LocalProgram = QStringLiteral("Zarvo! 4.01");
}

MailResult MailSend::run()
{
    bool sent = false;
    if (!m_knownSecurity) return {false};
    try {
        MMSender.Connect();
        MMSender.SendMail();
        sent = true;
        MMSender.Disconnect();
    } catch (...) {
        // A refused mail leaves the connection open; it is of no use to anyone now.
        if (MMSender.Connected()) {
            try {
                MMSender.Disconnect();
            } catch (...) {
            }
        }
    }
    return {sent};
}

TimeRead::TimeRead(const TimeJob& job, const std::atomic<bool>* stop)
{
    m_reference.at = job.reference.isValid() ? job.reference : QDateTime::currentDateTimeUtc();
    TimeSyncer.setStopFlag(stop);
    TimeSyncer.Host = job.host;
    TimeSyncer.Port = job.port;
    TimeSyncer.TimeOut = job.timeoutMs;
}

QDateTime TimeRead::run()
{
    try {
        return TimeSyncer.ServerTime();
    } catch (...) {
        return {};
    }
}

} // namespace zarvo
