#pragma once

#include "EvTable.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace zarvo {

// The event files "zarvo.dat" and "rb.dat": SQLite databases (user_version 1, one table
// "events") in one folder. A save writes the whole table to a new file and renames it over the
// old one, so a file is always either the old table or the new one. A file that cannot be
// decoded is renamed aside and never overwritten; one whose rows cannot all be read whole gives
// the rows it can, and a copy of it is kept aside first.
class EventStore
{
public:
    static constexpr const char* EventsFile = "zarvo.dat";
    static constexpr const char* BackupFile = "rb.dat";

    explicit EventStore(QString dir);
    const QString& dir() const { return m_dir; }
    QString path(const char* fileName) const;

    enum class LoadResult
    {
        Loaded,
        Mended,    // an events table whose rows were not all whole: rows holds what could be
                   // read, and the file was copied aside to *keptAs
        Missing,   // no such file
        Damaged,   // could not be decoded; renamed aside to *keptAs
        Unreadable // exists but cannot be read (permissions); left where it is
    };
    // A damaged file is renamed aside, a mended one copied aside byte for byte, each with a
    // one-line warning on stderr; *keptAs is the copy's name, or `path` itself when the file
    // could not be moved or copied (it must then not be overwritten).
    LoadResult load(const QString& path, QVector<EventRecord>& rows, QString* keptAs = nullptr);
    // Writes the rows to a new file and renames it over `path` (the folder is created when
    // missing). False when the file could not be written; the old file is then untouched.
    bool save(const QString& path, const QVector<EventRecord>& rows);

    // What decode() did to the rows of an events table that could not all be read whole. A
    // value that cannot be read is left unset; a row without a readable date or time, or
    // without a RowNo to place it, is left out. Texts are cut to MaxTextLength characters.
    struct Mending
    {
        int rowsRead = 0; // rows in the file's table
        int leftOut = 0;
        int changed = 0; // rows kept with a value unset, cut, or not valid UTF-8, or a column missing
        bool any() const { return leftOut > 0 || changed > 0; }
    };

    // The file format alone (what load() and save() read and write), for tests and fuzzing.
    // encode() gives an empty array when SQLite fails. decode() is false for bytes that hold no
    // events table of this program, and says why in *why.
    static QByteArray encode(const QVector<EventRecord>& rows);
    static bool decode(const QByteArray& bytes, QVector<EventRecord>& rows, QString* why = nullptr,
                       Mending* mending = nullptr);

    // True while "zarvo.dat" holds something the table does not (it could not be read, or a
    // damaged one could not be moved aside): SaveEvents then leaves it alone.
    bool eventsFileProtected() const { return m_eventsFileProtected; }

    // Replaces the table with "zarvo.dat". A damaged file is renamed aside with a one-line
    // warning on stderr and the table starts empty. Of a file with rows that cannot be read
    // whole, the table takes the rest; once the original is copied aside, "zarvo.dat" is
    // rewritten with them, so the next start finds it whole.
    void LoadEvents(EvTable& table);
    // Posts a pending row and writes the table to "zarvo.dat". Failures are silent (false).
    bool SaveEvents(EvTable& table);
    bool SaveBackup(EvTable& table);
    // Replaces the table with "rb.dat", the rows keeping the identities `ids` they had when it
    // was written (EvTable::ids() then). False when it is missing or unreadable: the table is
    // unchanged.
    bool RestoreBackup(EvTable& table, const QVector<EvTable::RowId>& ids);

private:
    QString m_dir;
    // Set when "zarvo.dat" exists but could not be read: saving over it would lose it.
    bool m_eventsFileProtected = false;
};

} // namespace zarvo
