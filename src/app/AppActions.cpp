#include "AppActions.h"

namespace zarvo {

AppActions::AppActions(const Settings& settings, const IClock& clock)
    : m_settings(settings), m_network(m_dialUp, m_timeDated, clock)
{
}

void AppActions::synchronizeTime()
{
    m_network.synchronizeTime(m_settings);
}

void AppActions::sendMail(const NextEventCache& event)
{
    m_network.sendMail(m_settings, event);
}

int AppActions::checkMailbox()
{
    return m_network.checkMailbox(m_settings);
}

} // namespace zarvo
