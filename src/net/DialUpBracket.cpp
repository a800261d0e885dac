#include "DialUpBracket.h"

#include "core/DialUp.h"

namespace zarvo {

void DialUpBracket::reserve()
{
    const std::lock_guard lock(m_mutex);
    ++m_active;
}

void DialUpBracket::enter()
{
    const std::lock_guard lock(m_mutex);
    if (m_snapshotTaken) return;
    m_snapshotTaken = true;
    try {
        m_guard.DialUpSnapshot();
    } catch (...) {
    }
}

void DialUpBracket::leave(bool ending)
{
    const std::lock_guard lock(m_mutex);
    if (--m_active > 0) return;
    m_active = 0;
    const bool hangUp = m_snapshotTaken && !ending;
    m_snapshotTaken = false;
    if (!hangUp) return;
    try {
        m_guard.HangUpNewConnection();
    } catch (...) {
    }
}

} // namespace zarvo
