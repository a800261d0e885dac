#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zarvo::SafeFile {

bool syncFolder(const QString& dir)
{
    const QByteArray native = QFile::encodeName(dir);
    int fd;
    do
        fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    int rc;
    do
        rc = ::fsync(fd);
    while (rc != 0 && errno == EINTR);
    const int error = rc == 0 ? 0 : errno;
    ::close(fd);
    // A file system that cannot sync folders at all has nothing more to give.
    return error == 0 || error == EINVAL;
}

bool replace(const QString& path, const QByteArray& data, std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    // Writing straight into the old file would break the either-old-or-new promise.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (permissions && !file.setPermissions(*permissions)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    // commit() syncs the new file and renames it over the old one.
    if (!file.commit()) return false;
    return syncFolder(QFileInfo(path).absolutePath());
}

bool createNew(const QString& path, const QByteArray& data, QFileDevice::Permissions permissions)
{
    QFile file(path);
    // NewOnly is O_EXCL: a name that exists, a dangling link included, is refused.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, permissions)) return false;
    bool ok = file.write(data) == data.size() && file.flush();
    if (ok) {
        int rc;
        do
            rc = ::fsync(file.handle());
        while (rc != 0 && errno == EINTR);
        ok = rc == 0;
    }
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        QFile::remove(path);
        return false;
    }
    return syncFolder(QFileInfo(path).absolutePath());
}

} // namespace zarvo::SafeFile
