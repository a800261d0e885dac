#pragma once

#include "EventRecord.h"

#include <QHash>
#include <QObject>
#include <QVector>

namespace zarvo {

// The in-memory event table: an ordered sequence of rows with one current row (the cursor).
// New rows are appended at the end; there is no sorting. A changed or new row becomes part of
// the table when it is posted. Every row carries a stable identity that survives the deletion
// of other rows.
//
// It behaves like the classic dataset the program was written against:
//  - every cursor move (First, Last, Next, Prior, MoveBy, LocateId, Append) first runs
//    CheckBrowseMode, so a modified pending row is posted and an untouched one (an Append
//    nobody typed into) is dropped: no blank rows appear;
//  - Next on the last row sets Eof and stays; Prior on the first sets Bof and stays; a move in
//    a direction whose end was already reached does nothing;
//  - AfterScroll is emitted whenever RecNo() or currentId() changes, and after every load
//    (replaceAll). The one exception: posting an inserted row does not move it (it was shown
//    at RecordCount()+1, which becomes its position), so that Post emits no AfterScroll although
//    the row now gets its identity; rowInserted tells the views.
//
// Beside the cursor, rows can be read and changed by identity (append, update, remove, find):
// that is how the scheduler and the editors change rows without moving the cursor of someone
// else. Every change of the rows is announced before it happens and after, so that views can
// keep their own picture of the rows consistent without mapping row numbers themselves.
class EvTable : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Browse,
        Edit,
        Insert
    };
    using RowId = quint64;

    explicit EvTable(QObject* parent = nullptr);

    // --- contents (posted rows only) ---
    int RecordCount() const { return int(m_rows.size()); }
    const EventRecord& row(int index) const { return m_rows[index]; } // 0-based
    RowId rowId(int index) const { return m_ids[index]; }
    int indexOfId(RowId id) const; // -1 when the row is gone
    const QVector<EventRecord>& rows() const { return m_rows; }
    const QVector<RowId>& ids() const { return m_ids; }
    // Replaces all rows (a load): new identities, the first row current, browsing. A pending
    // row is dropped.
    void replaceAll(const QVector<EventRecord>& rows);
    // The same, the rows keeping the identities they had (one per row, in the same order, as
    // ids() gave them): a restored backup is still the same rows. Other identities are replaced
    // by new ones.
    void replaceAll(const QVector<EventRecord>& rows, const QVector<RowId>& ids);

    // --- by identity; the cursor stays on its row ---
    const EventRecord* find(RowId id) const; // nullptr when the row is gone
    // A whole record at the end of the table; its new identity.
    RowId append(const EventRecord& record);
    // Replaces the row's values. A row being edited takes the changed fields into its pending
    // copy too, so that an edit in progress neither loses them nor writes the old ones back.
    bool update(RowId id, const EventRecord& record);
    // Removes the row. When it is the current one, the next row (or the new last one) becomes
    // current and a pending edit of it goes, as Delete() does.
    bool remove(RowId id);

    // --- cursor ---
    void First();
    void Last();
    void Next();
    void Prior();
    void MoveBy(int distance);
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    int RecNo() const; // 1-based position of the current row; 0 when there is none
    bool LocateId(RowId id);
    RowId currentId() const; // 0 when there is no current row (also while inserting)

    // --- editing ---
    State state() const { return m_state; }
    bool Modified() const { return m_modified; }
    void Edit();   // no-op without a current row
    void Append(); // posts or cancels a pending row, then starts a new row at the end
    void Post();
    void Cancel();
    // Deletes the current row (a pending edit of it goes with it); the next row, or the new last
    // row, becomes current. While inserting it only drops the new row, as Cancel does.
    void Delete();
    // Posts a pending row that was modified; drops one that was not (moving the cursor does this).
    void CheckBrowseMode();

    // The current row as it is edited (the pending copy while editing or inserting).
    const EventRecord& current() const;
    QVariant FieldByName(const QString& name) const; // invalid QVariant for an unknown name
    QVariant fieldValue(Field f) const;
    // Puts the row into editing when browsing, then writes the field. Without a current row
    // (an empty table, browsing) nothing is written.
    void setFieldValue(Field f, const QVariant& v);
    void setFieldByName(const QString& name, const QVariant& v);

    // Characters that can be typed into a field's edit box; empty means any.
    void setAllowedChars(Field f, const QString& chars);
    QString allowedChars(Field f) const;
    bool isCharAllowed(Field f, QChar c) const;

Q_SIGNALS:
    // The current row changed (its position or its identity).
    void AfterScroll();
    // Row-level changes, for views over the table: each "about to" signal comes before the
    // change, with the rows still as they were; the other after it.
    void aboutToReset();
    void rowsReset();
    void rowAboutToBeInserted(int index);
    void rowInserted(int index);
    void rowAboutToBeRemoved(int index);
    void rowRemoved(int index);
    void rowChanged(int index);
    void stateChanged();
    // A field of the current row was written through setFieldValue (the pending copy) or
    // update(), so that bound edit boxes can show what another handler wrote.
    void fieldChanged(zarvo::Field field);

private:
    class ScrollWatch;
    void setState(State s);
    void dropPending();
    void removeAt(int index);
    void assignIds(const QVector<RowId>& ids);

    QVector<EventRecord> m_rows;
    QVector<RowId> m_ids; // ascending: rows keep their order and new ones get larger ids
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Browse;
    bool m_modified = false;
    EventRecord m_pending;
    RowId m_nextId = 1;
    QHash<int, QString> m_allowed;
};

} // namespace zarvo
