#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace zarvo {

namespace {

sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

void TerminationSignals::block()
{
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void TerminationSignals::unblockInChild()
{
    const sigset_t set = terminationSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

// The signals are read from a signalfd, which only works if no thread can take them first with
// the default action (ending the process on the spot). A signal mask is per thread and is
// inherited by threads started later, so this must be constructed, or block() called, before
// any other thread exists; in main() that means before the QApplication.
TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    block();
    const sigset_t set = terminationSet();
    m_fd = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0) return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info{};
        while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            emit terminationRequested(static_cast<int>(info.ssi_signo));
    });
}

TerminationSignals::~TerminationSignals()
{
    delete m_notifier;
    if (m_fd >= 0) ::close(m_fd);
}

} // namespace zarvo
