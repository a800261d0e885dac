#pragma once

#include "core/Clock.h"
#include "core/Settings.h"
#include "net/NetworkActions.h"
#include "platform/DialUpGuard.h"
#include "platform/SystemActions.h"
#include "platform/TimeDated.h"

namespace zarvo {

// The actions of every event type: the local ones through the system, the three network ones
// through the clients on their worker threads, with the settings as they stand when the event
// fires. With ZARVO_TRACE set, the moments a network action starts and its result arrives go to
// stderr.
class AppActions : public SystemActions
{
public:
    AppActions(const Settings& settings, const IClock& clock);

    void synchronizeTime(std::function<void(const TimeSyncResult&)> done) override;
    void sendMail(const NextEventCache& event, std::function<void(const MailResult&)> done) override;
    void checkMailbox(std::function<void(const MailboxResult&)> done) override;

private:
    const Settings& m_settings;
    const bool m_trace;
    DialUpGuard m_dialUp;
    TimeDated m_timeDated;
    NetworkActions m_network; // last: its workers use the two above until it is gone
};

} // namespace zarvo
