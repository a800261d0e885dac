#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo {

namespace {

// The runtime folder is ours only when it is a real folder we own and may write into; anything
// else (unset, relative, missing, someone else's) sends the lock to /tmp.
QString runtimeDir()
{
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir)) return {};
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(dir);
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
    if (::access(native.constData(), W_OK | X_OK) != 0) return {};
    return dir;
}

} // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::lockPath()
{
    const QString dir = runtimeDir();
    if (!dir.isEmpty()) return dir + QStringLiteral("/ZARVO_MUTEX");
    return QStringLiteral("/tmp/ZARVO_MUTEX-%1").arg(::getuid());
}

bool SingleInstance::tryAcquire()
{
    if (m_fd >= 0) return true;
    const QByteArray path = QFile::encodeName(lockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    // In a shared folder another user could plant the file and hold the lock to keep us from
    // ever starting; a file we do not own is one we cannot make.
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(fd);
        return false;
    }
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void SingleInstance::release()
{
    if (m_fd < 0) return;
    // Closing drops the lock; the file stays, so the next copy does not race a re-creation.
    ::close(m_fd);
    m_fd = -1;
}

} // namespace zarvo
