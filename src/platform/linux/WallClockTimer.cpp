#include "platform/WallClockTimer.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace zarvo {

namespace {

// With nothing to wait for the timer still has to be armed, or the kernel would not report
// changes of the system time; a century ahead is never reached in practice.
constexpr qint64 kIdleAheadMs = qint64(100) * 365 * 24 * 3600 * 1000;

} // namespace

WallClockTimer::WallClockTimer(QObject* parent) : QObject(parent)
{
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WallClockTimer::onReadable);
    armAt(QDateTime());
}

WallClockTimer::~WallClockTimer()
{
    delete m_notifier;
    if (m_fd >= 0) ::close(m_fd);
}

void WallClockTimer::armAt(const QDateTime& moment)
{
    m_moment = moment;
    if (m_fd < 0) return;
    qint64 ms =
        moment.isValid() ? moment.toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch() + kIdleAheadMs;
    // A zero value would disarm the timer; any moment at or before the epoch is simply past.
    if (ms <= 0) ms = 1;
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(ms / 1000);
    when.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

void WallClockTimer::onReadable()
{
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    if (n == static_cast<ssize_t>(sizeof expirations)) {
        const bool wasArmed = m_moment.isValid();
        armAt(QDateTime());
        if (wasArmed) emit fired();
        return;
    }
    if (n < 0 && errno == ECANCELED) {
        // The system time was set: the armed moment still stands, but the timer must be armed
        // again before it reports anything further.
        armAt(m_moment);
        emit timeChanged();
    }
}

} // namespace zarvo
