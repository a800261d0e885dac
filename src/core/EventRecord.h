#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

#include <array>
#include <optional>

namespace zarvo {

enum EventType : int
{
    EvNotification = 0,
    EvLaunchOpen = 1,
    EvShutdown = 2,
    EvCheckMailbox = 3,
    EvStartupMessage = 4,
    EvTimeSync = 5,
    EvMailMessage = 6,
    EvOpenURL = 7
};

enum ShutdownType : int
{
    ShutShutdown = 0,
    ShutLogoff = 1,
    ShutPowerOff = 2,
    ShutReboot = 3
};

// The sixteen fields of an event, in their stored order.
enum class Field : int
{
    EvName,
    EvDate,
    EvTime,
    EvType,
    EvRec,
    EvShutType,
    EvPath,
    EvParam,
    EvURL,
    EvMMAddress,
    EvMMSubj,
    EvCS,
    EvIntBTime,
    EvIntETime,
    EvInterval,
    EvRecMonth
};
inline constexpr int FieldCount = 16;
// The size of every text field, in characters (code points).
inline constexpr int MaxTextLength = 256;

enum class FieldKind
{
    Text,
    Date,
    Time,
    Integer,
    Boolean
};

FieldKind fieldKind(Field f);
const char* fieldName(Field f);
// Case-insensitive, as field lookups by name always were.
std::optional<Field> fieldByName(const QString& name);
// EvType and EvShutType are 16-bit, EvRec and EvRecMonth 32-bit.
bool isSmallIntField(Field f);
inline Field fieldAt(int index)
{
    return Field(index);
} // 0..FieldCount-1

// Date value 0: a field that was never set reads as this day.
inline QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

// One row of the event table. A field that was never set reads as 0, empty text, false,
// zeroDate() or 00:00:00; `setMask` remembers which fields were set, so that files keep unset
// fields unset (NULL).
struct EventRecord
{
    QString EvName;
    QDate EvDate = zeroDate();
    QTime EvTime = QTime(0, 0);
    int EvType = 0;
    int EvRec = 0;
    int EvShutType = 0;
    QString EvPath;
    QString EvParam;
    QString EvURL;
    QString EvMMAddress;
    QString EvMMSubj;
    QString EvCS;
    QTime EvIntBTime = QTime(0, 0);
    QTime EvIntETime = QTime(0, 0);
    bool EvInterval = false;
    int EvRecMonth = 0;

    quint32 setMask = 0;

    bool isSet(Field f) const { return setMask & (1u << int(f)); }
    void markSet(Field f) { setMask |= 1u << int(f); }
    // Stored as NULL: never set and still holding the unset value.
    bool isNull(Field f) const;
    // Puts the unset value back and forgets that the field was set (it is stored as NULL again).
    void clear(Field f);

    // Generic access by field: QString, QDate, QTime, int or bool in the QVariant.
    QVariant value(Field f) const;
    // Converts the variant to the field's type, assigns it and marks the field set.
    //  - an invalid or null variant, or blank text for a field that is not text, clears the field;
    //  - texts are cut to MaxTextLength characters;
    //  - dates and times also take a date-time value (double) or ISO text;
    //  - integers take numbers (rounded) and decimal text, in the field's range (16 or 32 bits);
    //  - booleans take numbers and "true"/"false"/"yes"/"no"/"1"/"0" (also their first letters).
    // A value that cannot be converted leaves the field as it was.
    void setValue(Field f, const QVariant& v) { (void)trySetValue(f, v); }
    // As setValue; false when the value could not be converted (the field is unchanged).
    bool trySetValue(Field f, const QVariant& v);

    // Equal values, and equal NULL-ness per field (a field set to its unset value equals an
    // unset one only in value, not in what a file stores).
    bool operator==(const EventRecord& o) const;
};

} // namespace zarvo

// QString, QDate and QTime move in memory as bytes; so does a record of them.
Q_DECLARE_TYPEINFO(zarvo::EventRecord, Q_RELOCATABLE_TYPE);

namespace zarvo {

// Date-time value as days since 30 December 1899, the time of day as the fraction. Before that
// day the whole part is negative and the fraction still counts forward from midnight
// (-1.25 is 29 December 1899, 06:00). Times are rounded to the millisecond; a time that rounds
// to 24:00 is midnight of the next day.
double toDateTimeValue(const QDate& d, const QTime& t = QTime(0, 0));
QDate dateFromValue(double v); // invalid QDate for values that are no date (NaN, infinite, huge)
QTime timeFromValue(double v); // invalid QTime for the same

} // namespace zarvo
