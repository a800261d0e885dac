#include "TableBackup.h"

namespace zarvo {

TableBackup::TableBackup(EvTable& table, EventStore& store, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_table(table), m_store(store), m_scheduler(scheduler)
{
    connect(&m_scheduler, &Scheduler::eventMovedOn, this, [this](EvTable::RowId id, const QDate& date) {
        if (m_active) m_movedOn.insert(id, date);
    });
    connect(&m_scheduler, &Scheduler::eventRemoved, this, [this](EvTable::RowId id) {
        if (!m_active) return;
        m_removed.insert(id);
        m_movedOn.remove(id);
    });
}

bool TableBackup::begin()
{
    m_movedOn.clear();
    m_removed.clear();
    m_backedUp = m_store.SaveBackup(m_table);
    m_ids = m_table.ids();
    // Also kept in memory (shared until the table changes): should "rb.dat" not be written, or
    // not be readable when Cancel comes, an older backup must never come back instead.
    m_keptRows = m_table.rows();
    m_active = true;
    return m_backedUp;
}

void TableBackup::commit()
{
    end();
}

void TableBackup::rollBack()
{
    if (!m_active) return;
    if (!m_backedUp || !m_store.RestoreBackup(m_table, m_ids)) m_table.replaceAll(m_keptRows, m_ids);
    for (auto it = m_movedOn.cbegin(); it != m_movedOn.cend(); ++it) {
        const EventRecord* r = m_table.find(it.key());
        if (!r) continue; // a row the user had added: it goes with the user's edits
        EventRecord moved = *r;
        moved.setValue(Field::EvDate, it.value());
        m_table.update(it.key(), moved);
    }
    for (const EvTable::RowId id : std::as_const(m_removed))
        m_table.remove(id);
    end();
}

void TableBackup::end()
{
    m_active = false;
    m_keptRows.clear();
    m_ids.clear();
    m_movedOn.clear();
    m_removed.clear();
}

} // namespace zarvo
