#pragma once

#include <QString>

namespace zarvo {

// The single-instance lock "ZARVO_MUTEX": an exclusive flock on a file in $XDG_RUNTIME_DIR
// (else /tmp/ZARVO_MUTEX-<uid>). Held until release() or the end of the process.
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
