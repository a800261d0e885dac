#include "DialUpBracket.h"

#include "core/DialUp.h"

namespace zarvo {

void DialUpBracket::enter()
{
    const std::lock_guard lock(m_mutex);
    if (m_running++ > 0) return;
    try {
        m_guard.DialUpSnapshot();
    } catch (...) {
    }
}

void DialUpBracket::leave(bool ending)
{
    const std::lock_guard lock(m_mutex);
    if (--m_running > 0 || ending) return;
    try {
        m_guard.HangUpNewConnection();
    } catch (...) {
    }
}

} // namespace zarvo
