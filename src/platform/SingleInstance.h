#pragma once

#include <QString>

namespace zarvo {

// The single-instance lock "ZARVO_MUTEX": an exclusive flock on a file in $XDG_RUNTIME_DIR, or,
// where that is unset or not the user's private folder, in a folder of the user's own under /tmp
// (/tmp/zarvo-<uid>, mode 0700). Held until release() or the end of the process.
//
// Another copy holding the lock keeps this one out without a word. Anything else that keeps it
// out (a lock file or folder that is not the user's own, a link in their place, a lock that
// cannot be made) is said in one line on stderr that names the file or folder: in a shared
// folder another user could otherwise plant it and keep the program from ever starting.
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the lock or the lock cannot be made.
    bool tryAcquire();
    void release();
    static QString lockPath();

private:
    int m_fd = -1;
};

} // namespace zarvo
