#pragma once

#include "core/EvTable.h"
#include "core/EventStore.h"
#include "core/Scheduler.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QVector>

namespace zarvo {

// The undo of an editor that changes the table live (the Properties dialog's Events page).
// begin() backs the table up ("rb.dat"); while the editor is open the scheduler keeps firing,
// and what it does to rows is noted; after Cancel, rollBack() puts the backup back, every row
// with the identity it had, and then what the firings did (their new dates, their deletions),
// so that only the user's own edits are undone: an event that fired meanwhile neither comes back
// at its old date nor stops recurring.
class TableBackup : public QObject
{
    Q_OBJECT
public:
    TableBackup(EvTable& table, EventStore& store, Scheduler& scheduler, QObject* parent = nullptr);

    // False when "rb.dat" could not be written (Cancel then restores what is kept in memory).
    bool begin();
    // OK: there is nothing to undo.
    void commit();
    // Cancel: the table as it was backed up, with what the firings did since.
    void rollBack();
    bool active() const { return m_active; }

private:
    void end();

    EvTable& m_table;
    EventStore& m_store;
    Scheduler& m_scheduler;
    bool m_active = false;
    bool m_backedUp = false; // "rb.dat" holds the rows
    QVector<EventRecord> m_keptRows;
    QVector<EvTable::RowId> m_ids;
    QHash<EvTable::RowId, QDate> m_movedOn;
    QSet<EvTable::RowId> m_removed;
};

} // namespace zarvo
