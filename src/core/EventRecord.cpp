#include "EventRecord.h"

#include "TextLimits.h"

#include <QDateTime>

#include <cmath>
#include <limits>

namespace zarvo {

namespace {

struct FieldInfo
{
    const char* name;
    FieldKind kind;
};

constexpr std::array<FieldInfo, FieldCount> kFields{{
    {"EvName", FieldKind::Text},
    {"EvDate", FieldKind::Date},
    {"EvTime", FieldKind::Time},
    {"EvType", FieldKind::Integer},
    {"EvRec", FieldKind::Integer},
    {"EvShutType", FieldKind::Integer},
    {"EvPath", FieldKind::Text},
    {"EvParam", FieldKind::Text},
    {"EvURL", FieldKind::Text},
    {"EvMMAddress", FieldKind::Text},
    {"EvMMSubj", FieldKind::Text},
    {"EvCS", FieldKind::Text},
    {"EvIntBTime", FieldKind::Time},
    {"EvIntETime", FieldKind::Time},
    {"EvInterval", FieldKind::Boolean},
    {"EvRecMonth", FieldKind::Integer},
}};

constexpr qint64 MSecsPerDay = 86400000;

QString* textField(EventRecord& r, Field f)
{
    switch (f) {
    case Field::EvName:
        return &r.EvName;
    case Field::EvPath:
        return &r.EvPath;
    case Field::EvParam:
        return &r.EvParam;
    case Field::EvURL:
        return &r.EvURL;
    case Field::EvMMAddress:
        return &r.EvMMAddress;
    case Field::EvMMSubj:
        return &r.EvMMSubj;
    case Field::EvCS:
        return &r.EvCS;
    default:
        return nullptr;
    }
}

QTime* timeField(EventRecord& r, Field f)
{
    switch (f) {
    case Field::EvTime:
        return &r.EvTime;
    case Field::EvIntBTime:
        return &r.EvIntBTime;
    case Field::EvIntETime:
        return &r.EvIntETime;
    default:
        return nullptr;
    }
}

int* intField(EventRecord& r, Field f)
{
    switch (f) {
    case Field::EvType:
        return &r.EvType;
    case Field::EvRec:
        return &r.EvRec;
    case Field::EvShutType:
        return &r.EvShutType;
    case Field::EvRecMonth:
        return &r.EvRecMonth;
    default:
        return nullptr;
    }
}

// The const accessors reuse the mutable ones; nothing is written through them.
template <typename T> const T* constField(T* (*get)(EventRecord&, Field), const EventRecord& r, Field f)
{
    return get(const_cast<EventRecord&>(r), f);
}

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isTextVariant(const QVariant& v)
{
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray;
}

std::optional<double> numberFrom(const QVariant& v)
{
    if (isNumber(v) || v.typeId() == QMetaType::Bool) return v.toDouble();
    if (isTextVariant(v)) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (ok) return d;
    }
    return std::nullopt;
}

std::optional<QDate> dateFrom(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate) return v.toDate();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
    if (isTextVariant(v)) {
        const QDate d = QDate::fromString(v.toString().trimmed(), Qt::ISODate);
        if (d.isValid()) return d;
    }
    if (auto n = numberFrom(v)) {
        const QDate d = dateFromValue(*n);
        if (d.isValid()) return d;
    }
    return std::nullopt;
}

std::optional<QTime> timeFrom(const QVariant& v)
{
    if (v.typeId() == QMetaType::QTime) return v.toTime();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().time();
    if (isTextVariant(v)) {
        const QTime t = QTime::fromString(v.toString().trimmed(), Qt::ISODateWithMs);
        if (t.isValid()) return t;
    }
    if (auto n = numberFrom(v)) {
        const QTime t = timeFromValue(*n);
        if (t.isValid()) return t;
    }
    return std::nullopt;
}

std::optional<int> intFrom(const QVariant& v, Field f)
{
    qint64 n = 0;
    if (v.typeId() == QMetaType::Bool) {
        n = v.toBool() ? 1 : 0;
    } else if (isTextVariant(v)) {
        bool ok = false;
        n = v.toString().trimmed().toLongLong(&ok, 10);
        if (!ok) return std::nullopt;
    } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = std::round(v.toDouble());
        if (!std::isfinite(d) || std::fabs(d) > 1e15) return std::nullopt;
        n = qint64(d);
    } else if (v.typeId() == QMetaType::ULongLong) {
        const quint64 u = v.toULongLong();
        if (u > quint64(std::numeric_limits<int>::max())) return std::nullopt;
        n = qint64(u);
    } else if (isNumber(v)) {
        n = v.toLongLong();
    } else {
        return std::nullopt;
    }
    const qint64 lo =
        isSmallIntField(f) ? std::numeric_limits<qint16>::min() : std::numeric_limits<qint32>::min();
    const qint64 hi =
        isSmallIntField(f) ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint32>::max();
    if (n < lo || n > hi) return std::nullopt;
    return int(n);
}

std::optional<bool> boolFrom(const QVariant& v)
{
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    if (isNumber(v)) return v.toDouble() != 0.0;
    if (isTextVariant(v)) {
        const QString s = v.toString().trimmed().toLower();
        if (s == u"1" || s == u"true" || s == u"t" || s == u"yes" || s == u"y") return true;
        if (s == u"0" || s == u"false" || s == u"f" || s == u"no" || s == u"n") return false;
    }
    return std::nullopt;
}

// What clears a field: nothing, an invalid date or time, or blank text where no text belongs.
bool isBlank(const QVariant& v, FieldKind kind)
{
    if (!v.isValid() || v.isNull()) return true;
    switch (v.typeId()) {
    case QMetaType::QDate:
        return !v.toDate().isValid();
    case QMetaType::QTime:
        return !v.toTime().isValid();
    case QMetaType::QDateTime:
        return !v.toDateTime().isValid();
    default:
        break;
    }
    return kind != FieldKind::Text && isTextVariant(v) && v.toString().trimmed().isEmpty();
}

} // namespace

FieldKind fieldKind(Field f)
{
    return kFields[size_t(f)].kind;
}

const char* fieldName(Field f)
{
    return kFields[size_t(f)].name;
}

std::optional<Field> fieldByName(const QString& name)
{
    for (int i = 0; i < FieldCount; ++i) {
        if (name.compare(QLatin1String(kFields[size_t(i)].name), Qt::CaseInsensitive) == 0) return Field(i);
    }
    return std::nullopt;
}

bool isSmallIntField(Field f)
{
    return f == Field::EvType || f == Field::EvShutType;
}

bool EventRecord::isNull(Field f) const
{
    if (isSet(f)) return false;
    switch (fieldKind(f)) {
    case FieldKind::Text:
        return constField(textField, *this, f)->isEmpty();
    case FieldKind::Date:
        return EvDate == zeroDate();
    case FieldKind::Time:
        return *constField(timeField, *this, f) == QTime(0, 0);
    case FieldKind::Integer:
        return *constField(intField, *this, f) == 0;
    case FieldKind::Boolean:
        return !EvInterval;
    }
    return false;
}

void EventRecord::clear(Field f)
{
    switch (fieldKind(f)) {
    case FieldKind::Text:
        textField(*this, f)->clear();
        break;
    case FieldKind::Date:
        EvDate = zeroDate();
        break;
    case FieldKind::Time:
        *timeField(*this, f) = QTime(0, 0);
        break;
    case FieldKind::Integer:
        *intField(*this, f) = 0;
        break;
    case FieldKind::Boolean:
        EvInterval = false;
        break;
    }
    setMask &= ~(1u << int(f));
}

QVariant EventRecord::value(Field f) const
{
    switch (fieldKind(f)) {
    case FieldKind::Text:
        return *constField(textField, *this, f);
    case FieldKind::Date:
        return EvDate;
    case FieldKind::Time:
        return *constField(timeField, *this, f);
    case FieldKind::Integer:
        return *constField(intField, *this, f);
    case FieldKind::Boolean:
        return EvInterval;
    }
    return {};
}

bool EventRecord::trySetValue(Field f, const QVariant& v)
{
    const FieldKind kind = fieldKind(f);
    if (isBlank(v, kind)) {
        clear(f);
        return true;
    }
    switch (kind) {
    case FieldKind::Text:
        if (!v.canConvert<QString>()) return false;
        *textField(*this, f) = cutText(v.toString(), MaxTextLength);
        break;
    case FieldKind::Date: {
        const auto d = dateFrom(v);
        if (!d) return false;
        EvDate = *d;
        break;
    }
    case FieldKind::Time: {
        const auto t = timeFrom(v);
        if (!t) return false;
        *timeField(*this, f) = *t;
        break;
    }
    case FieldKind::Integer: {
        const auto n = intFrom(v, f);
        if (!n) return false;
        *intField(*this, f) = *n;
        break;
    }
    case FieldKind::Boolean: {
        const auto b = boolFrom(v);
        if (!b) return false;
        EvInterval = *b;
        break;
    }
    }
    markSet(f);
    return true;
}

bool EventRecord::operator==(const EventRecord& o) const
{
    for (int i = 0; i < FieldCount; ++i) {
        if (isNull(Field(i)) != o.isNull(Field(i))) return false;
    }
    return EvName == o.EvName && EvDate == o.EvDate && EvTime == o.EvTime && EvType == o.EvType &&
           EvRec == o.EvRec && EvShutType == o.EvShutType && EvPath == o.EvPath && EvParam == o.EvParam &&
           EvURL == o.EvURL && EvMMAddress == o.EvMMAddress && EvMMSubj == o.EvMMSubj && EvCS == o.EvCS &&
           EvIntBTime == o.EvIntBTime && EvIntETime == o.EvIntETime && EvInterval == o.EvInterval &&
           EvRecMonth == o.EvRecMonth;
}

double toDateTimeValue(const QDate& d, const QTime& t)
{
    const qint64 days = d.isValid() ? zeroDate().daysTo(d) : 0;
    const qint64 ms = t.isValid() ? t.msecsSinceStartOfDay() : 0;
    const double fraction = double(ms) / double(MSecsPerDay);
    // Before the zero day the fraction still runs forward from midnight, so it adds to the
    // magnitude: -1.25 is the day before, 06:00.
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

namespace {

// Whole days and milliseconds of the day, rounded to the millisecond.
bool splitValue(double v, qint64& days, qint64& ms)
{
    // Beyond some 270,000 years there is no date to speak of (and the casts would overflow).
    if (!std::isfinite(v) || std::fabs(v) > 1e8) return false;
    double whole = 0;
    const double fraction = std::fabs(std::modf(v, &whole));
    days = qint64(whole);
    ms = std::llround(fraction * double(MSecsPerDay));
    if (ms >= MSecsPerDay) {
        ms -= MSecsPerDay;
        ++days; // 24:00 is midnight of the next calendar day, on either side of the zero day
    }
    return true;
}

} // namespace

QDate dateFromValue(double v)
{
    qint64 days = 0, ms = 0;
    if (!splitValue(v, days, ms)) return {};
    return zeroDate().addDays(days);
}

QTime timeFromValue(double v)
{
    qint64 days = 0, ms = 0;
    if (!splitValue(v, days, ms)) return {};
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

} // namespace zarvo
