#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo {

namespace {

constexpr const char* kLockName = "ZARVO_MUTEX";

// Folders that others may write into are no place for the lock: they could plant it there.
bool privateFolder(const struct stat& st)
{
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The runtime folder is ours only when it is a real folder of ours that we may write into and
// nobody else may; anything else (unset, relative, missing, someone else's) sends the lock to
// the fallback folder.
QString runtimeDir()
{
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir)) return {};
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(dir);
    if (::stat(native.constData(), &st) != 0 || !privateFolder(st)) return {};
    if (::access(native.constData(), W_OK | X_OK) != 0) return {};
    return dir;
}

QString fallbackDir()
{
    return QStringLiteral("/tmp/zarvo-%1").arg(::getuid());
}

void refuse(const QString& path, const char* why)
{
    std::fprintf(stderr, "zarvo: not starting: %s %s\n", qPrintable(QDir::toNativeSeparators(path)), why);
}

int openFolder(const QByteArray& path, int flags = 0)
{
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The runtime folder as checked by runtimeDir(), checked again once open; -1 when it changed.
int openRuntimeDir(const QString& dir)
{
    const int fd = openFolder(QFile::encodeName(dir));
    struct stat st
    {
    };
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !privateFolder(st))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The fallback folder, made when missing and checked once open, so that nothing can swap it
// between the check and the use; -1 (said on stderr) when it is not the user's own.
int openFallbackDir()
{
    const QString dir = fallbackDir();
    const QByteArray native = QFile::encodeName(dir);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        refuse(dir, "cannot be made (the folder of the single-instance lock)");
        return -1;
    }
    const int fd = openFolder(native, O_NOFOLLOW);
    struct stat st
    {
    };
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        if (fd >= 0) ::close(fd);
        refuse(dir, "is not this user's own folder (the folder of the single-instance lock)");
        return -1;
    }
    // Ours, but open to others: close it, then the lock file's own check finds anything planted.
    if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        ::close(fd);
        refuse(dir, "is open to other users and cannot be closed to them");
        return -1;
    }
    return fd;
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
    return (dir.isEmpty() ? fallbackDir() : dir) + QLatin1Char('/') + QLatin1String(kLockName);
}

bool SingleInstance::tryAcquire()
{
    if (m_fd >= 0) return true;
    const QString runtime = runtimeDir();
    const int dirFd = runtime.isEmpty() ? openFallbackDir() : openRuntimeDir(runtime);
    const QString path = lockPath();
    if (dirFd < 0) {
        if (!runtime.isEmpty()) refuse(runtime, "cannot be opened (the folder of the single-instance lock)");
        return false;
    }
    int fd;
    do
        fd = ::openat(dirFd, kLockName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    while (fd < 0 && errno == EINTR);
    const int openError = errno;
    struct stat there
    {
    };
    const bool foreign =
        fd < 0 && ::fstatat(dirFd, kLockName, &there, AT_SYMLINK_NOFOLLOW) == 0 && there.st_uid != ::getuid();
    ::close(dirFd);
    if (fd < 0) {
        if (openError == ELOOP)
            refuse(path, "is a symbolic link, not this user's lock file");
        else if (foreign) // one we may not open, or not create over in a sticky folder
            refuse(path, "is not this user's own lock file");
        else
            std::fprintf(stderr, "zarvo: not starting: cannot make the lock file %s: %s\n",
                         qPrintable(QDir::toNativeSeparators(path)), std::strerror(openError));
        return false;
    }
    // A file we do not own is one someone else planted to hold the lock and keep us out.
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(fd);
        refuse(path, "is not this user's own lock file");
        return false;
    }
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        // Held by the running copy: that one goes on, this one leaves without a trace.
        if (error != EWOULDBLOCK)
            std::fprintf(stderr, "zarvo: not starting: cannot lock %s: %s\n",
                         qPrintable(QDir::toNativeSeparators(path)), std::strerror(error));
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
