#include "Recurrence.h"

#include "LocalTime.h"

#include <algorithm>

namespace zarvo {

namespace {

bool inCalendar(const QDate& d)
{
    return d.isValid() && d.year() >= 1 && d.year() <= 9999;
}

int monthIndex(const QDate& d)
{
    return d.year() * 12 + d.month() - 1;
}

} // namespace

QDate AddMonths(const QDate& date, int n)
{
    int y = date.year() + n / 12;
    int m = date.month() + n % 12;
    if (m > 12) {
        ++y;
        m -= 12;
    } else if (m < 1) {
        --y;
        m += 12;
    }
    const int lastDay = QDate(y, m, 1).daysInMonth();
    return QDate(y, m, std::min(date.day(), lastDay));
}

QDate recurrenceStep(const EventRecord& r, const QDate& date)
{
    QDate next;
    if (r.EvRec != 0)
        next = date.addDays(r.EvRec);
    else if (r.EvRecMonth != 0)
        next = AddMonths(date, r.EvRecMonth);
    return inCalendar(next) ? next : QDate();
}

LaterThan::LaterThan(const QDateTime& moment)
    : m_moment(moment), m_date(moment.date()), m_time(moment.time()), m_jumpDay(hasOffsetChange(m_date))
{
}

bool LaterThan::operator()(const QDate& date, const QTime& time) const
{
    if (date != m_date) return date > m_date;
    // On the days the clock is put forward or back a later reading may still be a moment that
    // has passed (the repeated hour), so those are compared as moments.
    if (m_jumpDay) return occurrence(date, time) > m_moment;
    return time > m_time;
}

MovedOn moveOnTo(const EventRecord& r, const QDate& target, const std::function<bool(const QDate&)>& upcoming)
{
    MovedOn out;
    if (!recurs(r)) return out;
    QDate date = r.EvDate;
    QDate last;
    auto step = [&] {
        last = date;
        date = recurrenceStep(r, date);
        return date.isValid();
    };
    // Jumps `steps` whole steps at once; only for steps that cannot clamp a day.
    auto jump = [&](qint64 steps, auto advance) {
        if (steps <= 0) return true;
        last = advance(steps - 1);
        date = advance(steps);
        return inCalendar(date) && inCalendar(last);
    };

    if (r.EvRec != 0) {
        // Straight to a step or two before the target, then on from there: a daily event
        // decades behind costs no more than one a day behind.
        const qint64 behind = date.daysTo(target);
        if (!jump(behind / r.EvRec - 1, [&](qint64 n) { return r.EvDate.addDays(n * r.EvRec); })) return out;
    } else {
        // While the day is past the 28th a step may clamp it, so those steps are taken one by
        // one; from then on whole runs of months can be skipped at once.
        while (!upcoming(date) && date.day() > 28)
            if (!step()) return out;
        if (!upcoming(date)) {
            const QDate from = date;
            const qint64 behind = monthIndex(target) - monthIndex(from);
            if (!jump(behind / r.EvRecMonth - 1,
                      [&](qint64 n) { return AddMonths(from, int(n * r.EvRecMonth)); }))
                return out;
        }
    }
    while (!upcoming(date))
        if (!step()) return out;
    out.next = date;
    out.lastPassed = last;
    return out;
}

} // namespace zarvo
