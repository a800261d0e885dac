#include "NMTime.h"

#include "NetErrors.h"
#include "core/Clock.h"
#include "core/LocalTime.h"

#include <QLocale>

namespace zarvo {

namespace {

// 1900-01-01 00:00 UTC, the protocol's epoch, in seconds since 1970.
constexpr qint64 kEpoch1900 = -2208988800LL;
constexpr qint64 kEra = qint64(1) << 32;

} // namespace

TNMTime::TNMTime(const IClock* clock, QObject* parent) : TPowersock(parent), m_clock(clock)
{
    Port = 37;
    TimeOut = 500;
}

quint32 TNMTime::exchange()
{
    m_canceled = false;
    if (m_connected) throw ESockError(QStringLiteral("Already connected"));
    resolveRemote();
    report(QStringLiteral("Connecting"), 8);

    m_recv.clear();
    m_lastEventOk = false;
    // With TimeOut 0 the ceiling stands in for the time-out.
    QDeadlineTimer bound = startTimer();
    if (bound.isForever()) bound = ioBound();
    const Opened opened = openConnection(bound);
    // A refused connection is waited out until the time-out.
    if (opened == Opened::Failed) sleepUntil(bound);
    stopTimer();
    if (opened != Opened::Connected) {
        if (bound.hasExpired()) timeOutFired();
        throw NetException(QStringLiteral("Connection Timedout"));
    }

    QByteArray answer;
    try {
        // All four bytes, or the server's close, or the end of the bound: a count made of part of
        // the answer would be a wrong time.
        receiveUntil([this] { return m_recv.size() >= 4; }, ioBound());
        answer = m_recv.left(4);
        m_recv.clear();
        TPowersock::Disconnect();
    } catch (...) {
        TPowersock::Disconnect();
        throw;
    }
    if (answer.size() < 4) throw NetException(QStringLiteral("Connection Timedout"));
    quint32 count = 0;
    for (const char b : answer)
        count = (count << 8) | quint8(b);
    return count;
}

QDateTime TNMTime::instantOf(quint32 count, const QDateTime& reference)
{
    const qint64 shift = reference.toSecsSinceEpoch() - kEpoch1900 - qint64(count) + kEra / 2;
    const qint64 era = shift < 0 ? 0 : shift / kEra; // nothing before 1900
    return QDateTime::fromSecsSinceEpoch(kEpoch1900 + qint64(count) + era * kEra, Qt::UTC);
}

QDateTime TNMTime::ServerTime()
{
    const quint32 count = exchange();
    const QDateTime now = m_clock ? m_clock->now() : QDateTime::currentDateTimeUtc();
    return instantOf(count, now);
}

QString TNMTime::TimeStr()
{
    const QDateTime t = ServerTime();
    const QLocale locale = QLocale::system();
    return locale.toString(t.time(), longTimeFormat(locale));
}

quint32 TNMTime::TimeInt()
{
    return exchange();
}

} // namespace zarvo
