#pragma once

#include "Powersock.h"

#include <QDateTime>

namespace zarvo {

class IClock;

// Reads the time from a time-protocol server (RFC 868 over TCP): the client connects, sends
// nothing, and reads a 32-bit count of seconds since 1900-01-01 00:00 UTC.
class TNMTime : public TPowersock
{
    Q_OBJECT
public:
    // `clock` (optional) is what the count is read against after its 2036 wrap.
    explicit TNMTime(const IClock* clock = nullptr, QObject* parent = nullptr);

    // Each runs one complete exchange. TimeStr: the server's UTC time of day in the locale's
    // long time format. TimeInt: the 32-bit count as received.
    QString TimeStr();
    quint32 TimeInt();
    // The server's instant, from the same exchange as TimeStr.
    QDateTime ServerTime();

    // The instant a count stands for: of the 136-year eras it may belong to, the one nearest
    // `reference` (so the time stays right after the count wraps on 2036-02-07).
    static QDateTime instantOf(quint32 count, const QDateTime& reference);

private:
    quint32 exchange();
    const IClock* m_clock;
};

} // namespace zarvo
