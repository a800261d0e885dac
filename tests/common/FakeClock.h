#pragma once

#include "core/Clock.h"

// A clock that stands still until the test moves it.
class FakeClock : public zarvo::IClock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(12, 0))) : m_now(start) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};
