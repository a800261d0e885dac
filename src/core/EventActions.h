#pragma once

#include "NextEvent.h"

#include <QDateTime>

#include <functional>

namespace zarvo {

// What came of a mailbox check: the message count once the log-in succeeded (the count of an
// accepted STAT; 0 when STAT was refused). A failed check and an empty mailbox both give 0.
struct MailboxResult
{
    bool loggedIn = false;
    int count = 0;
};

// What came of a mail: delivered, or not.
struct MailResult
{
    bool sent = false;
};

// What came of a time synchronization: the server's instant (invalid when it did not answer)
// and the instant the clock was set to (invalid when it was not set).
struct TimeSyncResult
{
    QDateTime serverTime;
    QDateTime setTo;
};

// The actions of the event types other than Notification. The local ones return when started;
// failures are swallowed by the action. The network ones start and return at once: `done` is
// called later on the thread that started them, at most once (not when the program ends first),
// with the typed result. Actions of one kind run one after another in the order they were
// started; actions of different kinds may overlap. The defaults do nothing.
class EventActions
{
public:
    virtual ~EventActions() = default;
    virtual void launch(const QString& path, const QString& params) { (void)path, (void)params; }
    virtual void openUrl(const QString& url) { (void)url; }
    virtual void requestShutdown(int shutdownType) { (void)shutdownType; }
    virtual void synchronizeTime(std::function<void(const TimeSyncResult&)> done) { done({}); }
    virtual void sendMail(const NextEventCache& event, std::function<void(const MailResult&)> done)
    {
        (void)event;
        done({});
    }
    virtual void checkMailbox(std::function<void(const MailboxResult&)> done) { done({}); }
};

} // namespace zarvo
