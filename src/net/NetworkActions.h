#pragma once

#include "DialUpBracket.h"
#include "NetWorker.h"
#include "core/EventActions.h"

#include <QObject>

namespace zarvo {

class IClock;
class IDialUpGuard;
class ISystemTimeSetter;
struct Settings;

// The three event actions that talk to a server: check the mailbox, send a mail, set the clock
// from a time server. Each starts and returns at once; the talking is done by blocking clients
// on a worker thread per kind (NetJobs), so actions of one kind run one after another in the
// order they were started while the kinds overlap, and nothing ever waits on the thread that
// made this object. Each action gets a copy of what it needs, taken when it starts. `done` runs
// on the thread that made this object, with the typed result; not at all when the object is
// destroyed first. Destroying the object ends every wait and joins the workers at once.
// Failures are swallowed; the dial-up guard spans the actions that overlap (DialUpBracket).
class NetworkActions
{
public:
    NetworkActions(IDialUpGuard& dialUp, ISystemTimeSetter& timeSetter, const IClock& clock);
    ~NetworkActions();

    void checkMailbox(const Settings& settings, std::function<void(const MailboxResult&)> done);
    void sendMail(const Settings& settings, const NextEventCache& event,
                  std::function<void(const MailResult&)> done);
    // The clock is set when the server's answer arrives, on this object's thread.
    void synchronizeTime(const Settings& settings, std::function<void(const TimeSyncResult&)> done);

    // The instant that keeps the local date and takes the server's UTC time of day: the local
    // time of day is what the server's time of day is here.
    static QDateTime syncInstant(const QDate& localDate, const QTime& serverUtcTime);

private:
    // Runs `deliver` on this object's thread, unless the object is gone by then.
    void post(std::function<void()> deliver);
    void applyServerTime(const QDateTime& serverTime, const std::function<void(const TimeSyncResult&)>& done);

    ISystemTimeSetter& m_timeSetter;
    const IClock& m_clock;
    QObject m_home; // where the results are delivered; its pending deliveries die with it
    DialUpBracket m_dialUp;
    // Last, so they are stopped and joined before anything they use goes.
    NetWorker m_mailboxWorker{QStringLiteral("zarvo-pop3")};
    NetWorker m_mailWorker{QStringLiteral("zarvo-smtp")};
    NetWorker m_timeWorker{QStringLiteral("zarvo-time")};
};

} // namespace zarvo
