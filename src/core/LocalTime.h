#pragma once

#include <QDateTime>
#include <QLocale>

namespace zarvo {

// The first moment at which the local clock shows `time` on `date`: in the hour repeated when
// daylight saving time ends, the first of the two; for a time inside the hour skipped when it
// starts, the first moment after the gap.
QDateTime occurrence(const QDate& date, const QTime& time);

// The end of the local minute in which `moment` lies.
QDateTime endOfMinute(const QDateTime& moment);

// True when the local clock's offset from UTC changes at some moment of `date`.
bool hasOffsetChange(const QDate& date);

// The locale's long time format without a time-zone part (hours, minutes, seconds).
QString longTimeFormat(const QLocale& locale = QLocale::system());
QString longTimeText(const QTime& time, const QLocale& locale = QLocale::system());
QString shortDateText(const QDate& date, const QLocale& locale = QLocale::system());

} // namespace zarvo
