#pragma once

#include "EventRecord.h"

#include <QDateTime>

#include <functional>

namespace zarvo {

// Adds n >= 0 calendar months; a day past the end of the month becomes its last day.
QDate AddMonths(const QDate& date, int n);

inline bool recurs(const EventRecord& r)
{
    return r.EvRec != 0 || r.EvRecMonth != 0;
}

// One step of the event's recurrence from `date`: EvRec days, else EvRecMonth months. Invalid
// when the event does not recur, or when the date would leave the years 1 to 9999 (no file could
// hold it).
QDate recurrenceStep(const EventRecord& r, const QDate& date);

// Tells whether a wall-clock reading lies after one moment. Readings are compared as readings
// (cheap: no time-zone arithmetic per row), except on the moment's own day when the clock jumps,
// where they are compared as the real moments they stand for.
class LaterThan
{
public:
    explicit LaterThan(const QDateTime& moment);
    bool operator()(const QDate& date, const QTime& time) const;
    const QDateTime& moment() const { return m_moment; }

private:
    QDateTime m_moment;
    QDate m_date;
    QTime m_time;
    bool m_jumpDay;
};

// Where an event's recurrence takes it when the dates up to `target` are to be skipped: the
// first date reached by stepping from its own date (as firings would have moved it, month-end
// clamping included) on which `upcoming` holds, and the last date stepped over. `upcoming` must
// hold for every date after `target`. `next` is invalid when the event does not recur or the
// calendar ends first.
struct MovedOn
{
    QDate next;
    QDate lastPassed;
};
MovedOn moveOnTo(const EventRecord& r, const QDate& target,
                 const std::function<bool(const QDate&)>& upcoming);

} // namespace zarvo
