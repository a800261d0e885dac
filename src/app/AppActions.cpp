#include "AppActions.h"

namespace zarvo {

AppActions::AppActions(const Settings& settings, const IClock& clock)
    : m_settings(settings), m_network(m_dialUp, m_timeDated, clock)
{
}

void AppActions::synchronizeTime(std::function<void(const TimeSyncResult&)> done)
{
    m_network.synchronizeTime(m_settings);
    done({});
}

void AppActions::sendMail(const NextEventCache& event, std::function<void(const MailResult&)> done)
{
    m_network.sendMail(m_settings, event);
    done({});
}

void AppActions::checkMailbox(std::function<void(const MailboxResult&)> done)
{
    const int count = m_network.checkMailbox(m_settings);
    done({count != 0, count});
}

} // namespace zarvo
