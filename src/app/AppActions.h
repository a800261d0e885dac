#pragma once

#include "core/Clock.h"
#include "core/Settings.h"
#include "net/NetworkActions.h"
#include "platform/DialUpGuard.h"
#include "platform/SystemActions.h"
#include "platform/TimeDated.h"

namespace zarvo {

// The actions of every event type: the local ones through the system, the three network ones
// through the clients, with the settings as they stand when the event fires.
class AppActions : public SystemActions
{
public:
    AppActions(const Settings& settings, const IClock& clock);

    void synchronizeTime(std::function<void(const TimeSyncResult&)> done) override;
    void sendMail(const NextEventCache& event, std::function<void(const MailResult&)> done) override;
    void checkMailbox(std::function<void(const MailboxResult&)> done) override;

private:
    const Settings& m_settings;
    DialUpGuard m_dialUp;
    TimeDated m_timeDated;
    NetworkActions m_network;
};

} // namespace zarvo
