#include "LocalTime.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>

namespace zarvo {

namespace {

constexpr qint64 Day = 86400;

} // namespace

QDateTime occurrence(const QDate& date, const QTime& time)
{
    // The wall-clock reading as if it were UTC; the moment we want is it minus the offset in
    // force at that moment. Around a change there are two offsets to try.
    const QDateTime wall(date, time, Qt::UTC);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const int before = zone.offsetFromUtc(wall.addSecs(-Day));
    const int after = zone.offsetFromUtc(wall.addSecs(Day));

    QDateTime best;
    for (int offset : {before, after}) {
        const QDateTime moment = wall.addSecs(-offset);
        if (zone.offsetFromUtc(moment) == offset && (!best.isValid() || moment < best)) best = moment;
    }
    if (!best.isValid()) {
        // The reading falls in a gap: the clock jumped from before it to after it. The first
        // moment after the gap is the change itself.
        const QTimeZone::OffsetData change = zone.nextTransition(wall.addSecs(-std::max(before, after)));
        best = change.atUtc.isValid() ? change.atUtc : wall.addSecs(-before);
    }
    return best.toLocalTime();
}

QDateTime endOfMinute(const QDateTime& moment)
{
    const QTime t = moment.time();
    return moment.addMSecs(60'000 - (t.second() * 1000 + t.msec()));
}

bool hasOffsetChange(const QDate& date)
{
    const QDateTime start = date.startOfDay();
    const QDateTime end = date.addDays(1).startOfDay();
    const QTimeZone::OffsetData change = QTimeZone::systemTimeZone().nextTransition(start.addMSecs(-1));
    return change.atUtc.isValid() && change.atUtc < end;
}

QString longTimeFormat(const QLocale& locale)
{
    // The time-zone part ("t") has no place in an event's time of day.
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zonePart(QStringLiteral("\\s*\\bt+\\b"));
    format.remove(zonePart);
    return format.trimmed();
}

QString longTimeText(const QTime& time, const QLocale& locale)
{
    return locale.toString(time, longTimeFormat(locale));
}

QString shortDateText(const QDate& date, const QLocale& locale)
{
    return locale.toString(date, QLocale::ShortFormat);
}

} // namespace zarvo
