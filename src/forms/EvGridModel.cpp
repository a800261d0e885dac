#include "EvGridModel.h"

#include "core/LocalTime.h"

namespace zarvo {

EvGridModel::EvGridModel(const EvTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_rows(table.RecordCount())
{
    // The views are told before a change, while the rows are still as they were, and after it.
    connect(&table, &EvTable::aboutToReset, this, [this] {
        m_updating = true;
        beginResetModel();
    });
    connect(&table, &EvTable::rowsReset, this, [this] {
        m_rows = m_table.RecordCount();
        endResetModel();
        m_updating = false;
    });
    connect(&table, &EvTable::rowAboutToBeInserted, this, [this](int index) {
        m_updating = true;
        beginInsertRows({}, index, index);
    });
    connect(&table, &EvTable::rowInserted, this, [this] {
        ++m_rows;
        endInsertRows();
        m_updating = false;
    });
    connect(&table, &EvTable::rowAboutToBeRemoved, this, [this](int index) {
        m_updating = true;
        beginRemoveRows({}, index, index);
    });
    connect(&table, &EvTable::rowRemoved, this, [this] {
        --m_rows;
        endRemoveRows();
        m_updating = false;
    });
    connect(&table, &EvTable::rowChanged, this, &EvGridModel::onChanged);
    connect(&table, &EvTable::fieldChanged, this, &EvGridModel::onFieldChanged);
    // Dropped pending values show the stored ones again.
    connect(&table, &EvTable::stateChanged, this, [this] { onChanged(m_table.RecNo() - 1); });
}

int EvGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int EvGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const EventRecord* EvGridModel::recordAt(int row) const
{
    if (row < 0 || row >= m_table.RecordCount()) return nullptr;
    if (m_table.state() == EvTable::State::Edit && row == m_table.RecNo() - 1) return &m_table.current();
    return &m_table.row(row);
}

QVariant EvGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const EventRecord* r = recordAt(index.row());
    if (!r) return {};
    switch (index.column()) {
    case EventColumn:
        return r->EvName;
    case DateColumn:
        return shortDateText(r->EvDate);
    case TimeColumn:
        return longTimeText(r->EvTime);
    default:
        return {};
    }
}

QVariant EvGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
    case EventColumn:
        return QStringLiteral("Event");
    case DateColumn:
        return QStringLiteral("Date");
    case TimeColumn:
        return QStringLiteral("Time");
    default:
        return {};
    }
}

Qt::ItemFlags EvGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void EvGridModel::onChanged(int index)
{
    if (index < 0 || index >= m_rows) return;
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1), {Qt::DisplayRole});
}

void EvGridModel::onFieldChanged()
{
    if (m_table.state() == EvTable::State::Edit) onChanged(m_table.RecNo() - 1);
}

} // namespace zarvo
