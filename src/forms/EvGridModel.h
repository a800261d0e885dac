#pragma once

#include "core/EvTable.h"

#include <QAbstractTableModel>

namespace zarvo {

// The event list as a read-only table: "Event", "Date", "Time", one line per row of EvTable in
// table order. It follows the table's row signals one row at a time (told before and after each change), so
// an edit or a firing touches one line even with thousands of events; only a load resets it. The row being
// edited shows its pending values.
class EvGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        EventColumn,
        DateColumn,
        TimeColumn,
        ColumnCount
    };

    explicit EvGridModel(const EvTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // True while the model passes on a change of the table's rows; a view's own reactions to it
    // (a moved current index) are no choice of the user's then.
    bool updating() const { return m_updating; }

private:
    void onChanged(int index);
    void onFieldChanged();
    const EventRecord* recordAt(int row) const;

    const EvTable& m_table;
    int m_rows = 0; // what the views were told
    bool m_updating = false;
};

} // namespace zarvo
