#pragma once

#include <QDateTime>
#include <QObject>

class QSocketNotifier;

namespace zarvo {

// A one-shot timer on the real-time clock (timerfd, CLOCK_REALTIME, absolute): it fires at a
// wall-clock moment even across a suspend, and reports every change of the system time.
class WallClockTimer : public QObject
{
    Q_OBJECT
public:
    explicit WallClockTimer(QObject* parent = nullptr);
    ~WallClockTimer() override;

    // Fires once at `moment`; an invalid moment only watches for time changes.
    void armAt(const QDateTime& moment);
    bool isValid() const { return m_fd >= 0; }

Q_SIGNALS:
    void fired();
    void timeChanged();

private:
    void onReadable();
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QDateTime m_moment;
};

} // namespace zarvo
