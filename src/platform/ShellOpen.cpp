#include "ShellOpen.h"

#include "ShellWords.h"
#include "TerminationSignals.h"
#include "UrlArgument.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zarvo {

bool startDetachedProgram(const QString& program, const QStringList& arguments,
                          const QString& workingDirectory)
{
    // Started by hand rather than by the toolkit's detached start, which does not run a child
    // modifier in this Qt version: the program would inherit our blocked SIGTERM and SIGINT and
    // could not be ended the ordinary way. Everything the child needs is made before fork; after
    // it only async-signal-safe calls follow.
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> words{path};
    for (const QString& a : arguments)
        words.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const QByteArray dir = QFile::encodeName(workingDirectory);

    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        // Its own session, and a parent that exits at once, so that the program is reaped by
        // the system and outlives us.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        int error = 0;
        if (dir.isEmpty() || ::chdir(dir.constData()) == 0) {
            TerminationSignals::unblockInChild();
            ::execv(argv[0], argv.data());
        }
        error = errno;
        [[maybe_unused]] const ssize_t n = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

namespace {

// `target` is an absolute path or an address with a scheme: never something the opener could
// take for an option.
bool openWithDesktop(const QString& target, const QUrl& url)
{
    // The desktop's opener is started the same way as a program, so that what it opens can be
    // ended with SIGTERM too (the toolkit's own opening starts it with our signals blocked).
    // Without it the toolkit may still reach a desktop portal.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) return startDetachedProgram(opener, {target}, QDir::currentPath());
    return QDesktopServices::openUrl(url);
}

} // namespace

bool ShellOpen(const QString& file, const QString& parameters)
{
    if (file.isEmpty()) return false;
    QFileInfo info(file);
    if (!info.exists() && !file.contains(u'/')) {
        const QString found = QStandardPaths::findExecutable(file);
        if (!found.isEmpty()) info.setFile(found);
    }
    if (!info.exists()) {
        // No such file: an address ("https://...", "mailto:...", "file:///...") opens in the
        // desktop's application for it, as the system's "open" did.
        const QString address = urlArgument(file, false);
        return !address.isEmpty() && openWithDesktop(address, QUrl(address));
    }
    // Always an absolute path: a bare name handed to the process starter would be searched on
    // PATH again and could start a different program than the file meant.
    const QString path = info.absoluteFilePath();
    if (info.isFile() && info.isExecutable())
        return startDetachedProgram(path, splitShellWords(parameters), QDir::currentPath());
    return openWithDesktop(path, QUrl::fromLocalFile(path));
}

} // namespace zarvo
