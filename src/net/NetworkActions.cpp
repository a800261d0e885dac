#include "NetworkActions.h"

#include "core/Clock.h"
#include "core/DialUp.h"
#include "core/LocalTime.h"
#include "core/Scheduler.h"
#include "core/Settings.h"
#include "core/SystemTimeSetter.h"

#include <QLocale>

#include <algorithm>
#include <limits>

namespace zarvo {

namespace {

// DialUpSnapshot before the first network call, HangUpNewConnection after the last, whatever
// happened in between.
class DialUpBracket
{
public:
    explicit DialUpBracket(IDialUpGuard& guard) : m_guard(guard)
    {
        try {
            m_guard.DialUpSnapshot();
        } catch (...) {
        }
    }
    ~DialUpBracket()
    {
        try {
            m_guard.HangUpNewConnection();
        } catch (...) {
        }
    }
    DialUpBracket(const DialUpBracket&) = delete;
    DialUpBracket& operator=(const DialUpBracket&) = delete;

private:
    IDialUpGuard& m_guard;
};

} // namespace

NetworkActions::NetworkActions(IDialUpGuard& dialUp, ISystemTimeSetter& timeSetter, const IClock& clock)
    : TimeSyncer(&clock), m_dialUp(dialUp), m_timeSetter(timeSetter), m_clock(clock)
{
    MailChecker.OnConnect = [this](TNMPOP3* sender) { MailCheckerConnect(sender); };
}

int NetworkActions::minutesToMs(int minutes)
{
    // A hand-edited setting must not overflow into a negative or wrapped time-out.
    const qint64 ms = qint64(minutes) * 60000;
    return int(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max()));
}

void NetworkActions::MailCheckerConnect(TNMPOP3* sender)
{
    NewMailCount = sender->MailCount;
    try {
        sender->Disconnect();
    } catch (...) {
    }
}

int NetworkActions::checkMailbox(const Settings& settings)
{
    MailChecker.UserID = settings.User;
    MailChecker.Password = settings.Pas;
    MailChecker.Host = settings.Server;
    MailChecker.Port = settings.Port;
    MailChecker.TimeOut = minutesToMs(settings.Timeout);
    // A check whose STAT is refused still reports its count; it must not be the count of an
    // earlier check.
    MailChecker.MailCount = 0;
    DialUpBracket bracket(m_dialUp);
    NewMailCount = 0;
    try {
        MailChecker.Connect();
    } catch (...) {
    }
    return NewMailCount;
}

void NetworkActions::sendMail(const Settings& settings, const NextEventCache& event)
{
    MMSender.UserID = settings.User;
    MMSender.Host = settings.SMTPServer;
    MMSender.Port = settings.SMTPPort;
    MMSender.TimeOut = minutesToMs(settings.Timeout);
    TPostMessage& m = MMSender.PostMessage;
    m.FromAddress = settings.ReturnAddress;
    m.ToAddress = QStringList{event.NextMailAddress};
    m.Body = QStringList{event.NextMailBody};
    m.Subject = event.NextMailSubject;
    m.LocalProgram = QStringLiteral("Zarvo! 4.01");
    DialUpBracket bracket(m_dialUp);
    try {
        MMSender.Connect();
        MMSender.SendMail();
        MMSender.Disconnect();
    } catch (...) {
        // A refused mail leaves the connection open; left so, every later mail would fail with
        // "Already connected" until the server gives up on it.
        if (MMSender.Connected()) {
            try {
                MMSender.Disconnect();
            } catch (...) {
            }
        }
    }
}

QDateTime NetworkActions::syncInstant(const QDate& localDate, const QTime& serverUtcTime)
{
    const QTime localTime = QDateTime(localDate, serverUtcTime, Qt::UTC).toLocalTime().time();
    return QDateTime(localDate, localTime, Qt::LocalTime);
}

void NetworkActions::synchronizeTime(const Settings& settings)
{
    TimeSyncer.Host = settings.SyncServer;
    TimeSyncer.Port = settings.SyncPort;
    TimeSyncer.TimeOut = minutesToMs(settings.SyncTimeout);
    DialUpBracket bracket(m_dialUp);
    QTime serverTime;
    try {
        const QLocale locale = QLocale::system();
        serverTime = locale.toTime(TimeSyncer.TimeStr(), longTimeFormat(locale));
    } catch (...) {
        return;
    }
    if (!serverTime.isValid()) return;
    const QDate localDate = m_clock.now().date();
    try {
        m_timeSetter.setSystemTime(syncInstant(localDate, serverTime));
    } catch (...) {
    }
}

} // namespace zarvo
