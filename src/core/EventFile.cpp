#include "EventStore.h"

#include "TextLimits.h"

#include <sqlite3.h>

#include <cstring>
#include <limits>
#include <memory>

// The file format of the event files: a whole SQLite database built and read in memory.
namespace zarvo {

namespace {

// The schema as the design gives it; the comment stays in the file for whoever opens it with
// the sqlite3 tool.
constexpr const char* kSchema = R"(PRAGMA user_version = 1;
CREATE TABLE events (
  RowNo INTEGER PRIMARY KEY,       -- table order, 1-based
  EvName TEXT, EvDate TEXT, EvTime TEXT, EvType INTEGER, EvRec INTEGER, EvShutType INTEGER,
  EvPath TEXT, EvParam TEXT, EvURL TEXT, EvMMAddress TEXT, EvMMSubj TEXT, EvCS TEXT,
  EvIntBTime TEXT, EvIntETime TEXT, EvInterval INTEGER, EvRecMonth INTEGER
);)";

constexpr const char* kInsert = "INSERT INTO events VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
constexpr int kUserVersion = 1;

struct DbClose
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalize
{
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
struct SqliteFree
{
    void operator()(unsigned char* p) const { sqlite3_free(p); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalize>;
using Bytes = std::unique_ptr<unsigned char, SqliteFree>;

// A private in-memory database: nothing on disk is ever opened, journalled or locked.
Db openMemoryDb()
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) return nullptr;
    // A file someone else wrote gets no say in what runs: no triggers, no views, no functions
    // from its schema, no writes to the schema.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_exec(raw, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
    return db;
}

Stmt prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    return Stmt(raw);
}

bool bindText(sqlite3_stmt* s, int column, const char* text, int size)
{
    return sqlite3_bind_text(s, column, text, size, SQLITE_TRANSIENT) == SQLITE_OK;
}

bool bindText(sqlite3_stmt* s, int column, const QByteArray& utf8)
{
    return bindText(s, column, utf8.constData(), int(utf8.size()));
}

void put2(char* p, int v)
{
    p[0] = char('0' + v / 10);
    p[1] = char('0' + v % 10);
}

bool bindDate(sqlite3_stmt* s, int column, const QDate& d)
{
    // A date the text form cannot carry (no such day, or past year 9999) is stored unset.
    if (!d.isValid() || d.year() < 1 || d.year() > 9999) return sqlite3_bind_null(s, column) == SQLITE_OK;
    char text[10];
    put2(text, d.year() / 100);
    put2(text + 2, d.year() % 100);
    text[4] = '-';
    put2(text + 5, d.month());
    text[7] = '-';
    put2(text + 8, d.day());
    return bindText(s, column, text, 10);
}

// HH:MM:SS, with .zzz only when there are milliseconds.
bool bindTime(sqlite3_stmt* s, int column, const QTime& t)
{
    if (!t.isValid()) return sqlite3_bind_null(s, column) == SQLITE_OK;
    char text[12];
    put2(text, t.hour());
    text[2] = ':';
    put2(text + 3, t.minute());
    text[5] = ':';
    put2(text + 6, t.second());
    if (t.msec() == 0) return bindText(s, column, text, 8);
    text[8] = '.';
    text[9] = char('0' + t.msec() / 100);
    put2(text + 10, t.msec() % 100);
    return bindText(s, column, text, 12);
}

bool bindRow(sqlite3_stmt* s, int rowNo, const EventRecord& r)
{
    // Columns: 1 RowNo, then the fields in their order from 2.
    const auto col = [](Field f) { return int(f) + 2; };
    bool ok = sqlite3_bind_int64(s, 1, rowNo) == SQLITE_OK;
    for (int i = 0; i < FieldCount && ok; ++i) {
        const Field f = Field(i);
        if (r.isNull(f)) {
            ok = sqlite3_bind_null(s, col(f)) == SQLITE_OK;
            continue;
        }
        switch (f) {
        case Field::EvName:
            ok = bindText(s, col(f), r.EvName.toUtf8());
            break;
        case Field::EvDate:
            ok = bindDate(s, col(f), r.EvDate);
            break;
        case Field::EvTime:
            ok = bindTime(s, col(f), r.EvTime);
            break;
        case Field::EvType:
            ok = sqlite3_bind_int(s, col(f), r.EvType) == SQLITE_OK;
            break;
        case Field::EvRec:
            ok = sqlite3_bind_int(s, col(f), r.EvRec) == SQLITE_OK;
            break;
        case Field::EvShutType:
            ok = sqlite3_bind_int(s, col(f), r.EvShutType) == SQLITE_OK;
            break;
        case Field::EvPath:
            ok = bindText(s, col(f), r.EvPath.toUtf8());
            break;
        case Field::EvParam:
            ok = bindText(s, col(f), r.EvParam.toUtf8());
            break;
        case Field::EvURL:
            ok = bindText(s, col(f), r.EvURL.toUtf8());
            break;
        case Field::EvMMAddress:
            ok = bindText(s, col(f), r.EvMMAddress.toUtf8());
            break;
        case Field::EvMMSubj:
            ok = bindText(s, col(f), r.EvMMSubj.toUtf8());
            break;
        case Field::EvCS:
            ok = bindText(s, col(f), r.EvCS.toUtf8());
            break;
        case Field::EvIntBTime:
            ok = bindTime(s, col(f), r.EvIntBTime);
            break;
        case Field::EvIntETime:
            ok = bindTime(s, col(f), r.EvIntETime);
            break;
        case Field::EvInterval:
            ok = sqlite3_bind_int(s, col(f), r.EvInterval ? 1 : 0) == SQLITE_OK;
            break;
        case Field::EvRecMonth:
            ok = sqlite3_bind_int(s, col(f), r.EvRecMonth) == SQLITE_OK;
            break;
        }
    }
    return ok;
}

// The whole file image of `rows`, allocated by SQLite.
Bytes serialize(const QVector<EventRecord>& rows, sqlite3_int64& size)
{
    size = 0;
    Db db = openMemoryDb();
    if (!db) return nullptr;
    if (sqlite3_exec(db.get(), kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) return nullptr;
    if (sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return nullptr;
    {
        Stmt insert = prepare(db.get(), kInsert);
        if (!insert) return nullptr;
        for (int i = 0; i < rows.size(); ++i) {
            sqlite3_stmt* s = insert.get();
            if (!bindRow(s, i + 1, rows[i]) || sqlite3_step(s) != SQLITE_DONE) return nullptr;
            sqlite3_reset(s);
        }
    }
    if (sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return nullptr;
    Bytes bytes(sqlite3_serialize(db.get(), "main", &size, 0));
    if (!bytes || size <= 0) return nullptr;
    return bytes;
}

// Strict text forms: exactly what save() writes.
bool digits(const char* p, int n, int& value)
{
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

bool parseDate(const char* p, int n, QDate& out)
{
    int y = 0, m = 0, d = 0;
    if (n != 10 || p[4] != '-' || p[7] != '-') return false;
    if (!digits(p, 4, y) || !digits(p + 5, 2, m) || !digits(p + 8, 2, d) || y < 1) return false;
    out = QDate(y, m, d);
    return out.isValid();
}

bool parseTime(const char* p, int n, QTime& out)
{
    int h = 0, m = 0, s = 0, ms = 0;
    if ((n != 8 && n != 12) || p[2] != ':' || p[5] != ':') return false;
    if (!digits(p, 2, h) || !digits(p + 3, 2, m) || !digits(p + 6, 2, s)) return false;
    if (n == 12 && (p[8] != '.' || !digits(p + 9, 3, ms))) return false;
    if (!QTime::isValid(h, m, s, ms)) return false;
    out = QTime(h, m, s, ms);
    return true;
}

QString& textOf(EventRecord& r, Field f)
{
    switch (f) {
    case Field::EvPath:
        return r.EvPath;
    case Field::EvParam:
        return r.EvParam;
    case Field::EvURL:
        return r.EvURL;
    case Field::EvMMAddress:
        return r.EvMMAddress;
    case Field::EvMMSubj:
        return r.EvMMSubj;
    case Field::EvCS:
        return r.EvCS;
    default:
        return r.EvName;
    }
}

QTime& timeOf(EventRecord& r, Field f)
{
    return f == Field::EvTime ? r.EvTime : f == Field::EvIntBTime ? r.EvIntBTime : r.EvIntETime;
}

int& intOf(EventRecord& r, Field f)
{
    return f == Field::EvType       ? r.EvType
           : f == Field::EvRec      ? r.EvRec
           : f == Field::EvShutType ? r.EvShutType
                                    : r.EvRecMonth;
}

enum class ValueRead
{
    Whole,
    Changed,   // read, but cut to the field's size or with bytes that are not UTF-8
    Unreadable // left unset in the record
};

ValueRead readField(sqlite3_stmt* s, int column, EventRecord& r, Field f)
{
    const int type = sqlite3_column_type(s, column);
    if (type == SQLITE_NULL) return ValueRead::Whole; // never set: the record holds the unset value
    switch (fieldKind(f)) {
    case FieldKind::Text:
    case FieldKind::Date:
    case FieldKind::Time: {
        if (type != SQLITE_TEXT) return ValueRead::Unreadable;
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
        const int n = sqlite3_column_bytes(s, column);
        if (!p && n > 0) return ValueRead::Unreadable; // out of memory
        if (fieldKind(f) == FieldKind::Text) {
            // Cut to the field's size as it is read: a value of megabytes would otherwise stall
            // every window that shows it, and the firing of the event.
            bool changed = false;
            textOf(r, f) = textFromUtf8(QByteArrayView(p, n), MaxTextLength, &changed);
            r.markSet(f);
            return changed ? ValueRead::Changed : ValueRead::Whole;
        }
        if (fieldKind(f) == FieldKind::Date) {
            if (!parseDate(p, n, r.EvDate)) return ValueRead::Unreadable;
        } else {
            if (!parseTime(p, n, timeOf(r, f))) return ValueRead::Unreadable;
        }
        r.markSet(f);
        return ValueRead::Whole;
    }
    case FieldKind::Integer: {
        if (type != SQLITE_INTEGER) return ValueRead::Unreadable;
        // What save() writes is any int, also in the 16-bit fields (a direct assignment may
        // hold more than the field's range), so the whole 32-bit range reads back.
        const sqlite3_int64 v = sqlite3_column_int64(s, column);
        if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
            return ValueRead::Unreadable;
        intOf(r, f) = int(v);
        r.markSet(f);
        return ValueRead::Whole;
    }
    case FieldKind::Boolean: {
        if (type != SQLITE_INTEGER) return ValueRead::Unreadable;
        const sqlite3_int64 v = sqlite3_column_int64(s, column);
        if (v != 0 && v != 1) return ValueRead::Unreadable;
        r.EvInterval = v == 1;
        r.markSet(f);
        return ValueRead::Whole;
    }
    }
    return ValueRead::Unreadable;
}

// Without its day or its moment an event cannot fire when it should; with any other value
// unset it still can.
bool rowNeeds(Field f)
{
    return f == Field::EvDate || f == Field::EvTime;
}

// The fields that the events table has as columns, in field order; empty when the file holds no
// events table of this program (no such table, or no RowNo beside at least one field).
QVector<Field> storedFields(sqlite3* db)
{
    Stmt isTable =
        prepare(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'events' COLLATE NOCASE");
    if (!isTable || sqlite3_step(isTable.get()) != SQLITE_ROW) return {};
    Stmt info = prepare(db, "PRAGMA table_info(events)");
    if (!info) return {};
    bool rowNo = false;
    quint32 present = 0;
    while (sqlite3_step(info.get()) == SQLITE_ROW) {
        const char* name = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1));
        if (!name) continue;
        const QString column = QString::fromUtf8(name);
        if (column.compare(QLatin1String("RowNo"), Qt::CaseInsensitive) == 0) rowNo = true;
        if (const auto f = fieldByName(column)) present |= 1u << int(*f);
    }
    QVector<Field> fields;
    for (int i = 0; i < FieldCount; ++i)
        if (present & (1u << i)) fields.append(Field(i));
    if (!rowNo) fields.clear();
    return fields;
}

bool fail(QString* why, const char* text)
{
    if (why) *why = QString::fromLatin1(text);
    return false;
}

} // namespace

QByteArray EventStore::encode(const QVector<EventRecord>& rows)
{
    sqlite3_int64 size = 0;
    Bytes bytes = serialize(rows, size);
    if (!bytes) return {};
    return QByteArray(reinterpret_cast<const char*>(bytes.get()), qsizetype(size));
}

bool EventStore::decode(const QByteArray& bytes, QVector<EventRecord>& rows, QString* why, Mending* mending)
{
    rows.clear();
    if (mending) *mending = {};
    if (bytes.isEmpty()) return fail(why, "empty file");

    // A database last written in WAL mode says so in bytes 18 and 19; an in-memory copy cannot
    // do WAL, so read it as a rollback-journal database (the bytes on disk stay as they are).
    QByteArray patched;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    static const char kMagic[] = "SQLite format 3";
    if (bytes.size() >= 100 && memcmp(data, kMagic, sizeof kMagic) == 0 && (data[18] == 2 || data[19] == 2)) {
        patched = bytes;
        patched[18] = 1;
        patched[19] = 1;
        data = reinterpret_cast<const unsigned char*>(patched.constData());
    }

    Db db = openMemoryDb();
    if (!db) return fail(why, "out of memory");
    // Read-only: SQLite never writes into the buffer, so the const data can be lent to it.
    if (sqlite3_deserialize(db.get(), "main", const_cast<unsigned char*>(data), bytes.size(), bytes.size(),
                            SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
        return fail(why, "not an SQLite database");

    {
        Stmt version = prepare(db.get(), "PRAGMA user_version");
        if (!version || sqlite3_step(version.get()) != SQLITE_ROW) return fail(why, "not an SQLite database");
        if (sqlite3_column_int64(version.get(), 0) != kUserVersion) return fail(why, "wrong user_version");
    }

    // A table that lacks some of the columns still gives the others; the missing ones are unset.
    const QVector<Field> fields = storedFields(db.get());
    if (fields.isEmpty()) return fail(why, "no events table of this program");
    QByteArray sql("SELECT RowNo");
    for (Field f : fields)
        sql += QByteArray(", \"") + fieldName(f) + '"';
    sql += " FROM events ORDER BY RowNo";
    Stmt select = prepare(db.get(), sql.constData());
    if (!select) return fail(why, "no events table of this program");
    const bool columnsMissing = fields.size() < FieldCount;

    // Each row on its own: one that cannot be read whole must not cost the others.
    Mending mended;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        sqlite3_stmt* s = select.get();
        ++mended.rowsRead;
        // RowNo gives the order; a row that has none has no place in it.
        if (sqlite3_column_type(s, 0) != SQLITE_INTEGER) {
            ++mended.leftOut;
            continue;
        }
        EventRecord r;
        bool changed = columnsMissing, lost = false;
        for (int i = 0; i < fields.size() && !lost; ++i) {
            switch (readField(s, i + 1, r, fields[i])) {
            case ValueRead::Whole:
                break;
            case ValueRead::Changed:
                changed = true;
                break;
            case ValueRead::Unreadable:
                lost = rowNeeds(fields[i]);
                r.clear(fields[i]);
                changed = true;
                break;
            }
        }
        if (lost) {
            ++mended.leftOut;
            continue;
        }
        if (changed) ++mended.changed;
        rows.append(std::move(r));
    }
    if (rc != SQLITE_DONE) {
        rows.clear();
        return fail(why, "damaged database");
    }
    if (mending) *mending = mended;
    return true;
}

} // namespace zarvo
