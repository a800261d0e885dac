#pragma once

#include <atomic>
#include <mutex>

namespace zarvo {

class IDialUpGuard;

// The dial-up guard for network actions that may overlap: the snapshot is taken before the first
// network call of a bracket, and a new connection is hung up when the last action of the bracket
// ends, so no action loses its connection while another still uses it. An action belongs to the
// bracket from the moment it is started (reserve(), on the firing's thread), not only once its
// worker gets to it: one queued behind another of its kind, or whose worker is slow to wake, still
// keeps the connection up. The guard's calls are made under the lock, so an action that begins
// during a snapshot or a hang-up waits for it before it makes its first network call.
class DialUpBracket
{
public:
    explicit DialUpBracket(IDialUpGuard& guard) : m_guard(guard) {}

    // When an action is started (queued).
    void reserve();
    // Before the first network call of an action.
    void enter();
    // After its last one. When the program is ending, the hang-up is left out: it must not keep
    // the program from ending.
    void leave(bool ending);

    // Holds a bracket for one action.
    class Scope
    {
    public:
        Scope(DialUpBracket& bracket, const std::atomic<bool>& ending) : m_bracket(bracket), m_ending(ending)
        {
            m_bracket.enter();
        }
        ~Scope() { m_bracket.leave(m_ending.load()); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        DialUpBracket& m_bracket;
        const std::atomic<bool>& m_ending;
    };

private:
    IDialUpGuard& m_guard;
    std::mutex m_mutex;
    int m_active = 0; // started and not yet ended
    bool m_snapshotTaken = false;
};

} // namespace zarvo
