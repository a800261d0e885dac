#pragma once

#include "NMTime.h"
#include "NMpop3.h"
#include "NMsmtp.h"

namespace zarvo {

class IClock;
class IDialUpGuard;
class ISystemTimeSetter;
struct NextEventCache;
struct Settings;

// The three event actions that talk to a server: check the mailbox, send a mail, set the clock
// from a time server. Each brackets its network calls with the dial-up guard and swallows every
// failure, so the firing always goes on. Blocks its caller while the event loop keeps running.
class NetworkActions
{
public:
    NetworkActions(IDialUpGuard& dialUp, ISystemTimeSetter& timeSetter, const IClock& clock);

    // The mailbox's message count (NewMailCount); 0 when the check failed.
    int checkMailbox(const Settings& settings);
    void sendMail(const Settings& settings, const NextEventCache& event);
    void synchronizeTime(const Settings& settings);

    // The instant that keeps the local date and takes the server's UTC time of day: the local
    // time of day is what the server's time of day is here.
    static QDateTime syncInstant(const QDate& localDate, const QTime& serverUtcTime);
    // The stored minutes as the components' milliseconds.
    static int minutesToMs(int minutes);

    TNMPOP3 MailChecker;
    TNMSMTP MMSender;
    TNMTime TimeSyncer;
    int NewMailCount = 0;

private:
    void MailCheckerConnect(TNMPOP3* sender);

    IDialUpGuard& m_dialUp;
    ISystemTimeSetter& m_timeSetter;
    const IClock& m_clock;
};

} // namespace zarvo
