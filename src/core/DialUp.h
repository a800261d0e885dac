#pragma once

namespace zarvo {

// Hangs up a dial-up connection that a network action brought up: a snapshot of the active
// dial-up connections before the action, and after it the hang-up of one that appeared. Failures
// are silent; a listing that fails counts as no connections.
class IDialUpGuard
{
public:
    virtual ~IDialUpGuard() = default;
    virtual void DialUpSnapshot() = 0;
    virtual void HangUpNewConnection() = 0;
};

} // namespace zarvo
