#include "EvGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>

namespace zarvo {

EvGrid::EvGrid(EvTable& table, QWidget* parent)
    : QTableView(parent), m_table(table), m_model(new EvGridModel(table, this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    // One height for every line: nothing is measured per row, whatever the number of events.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    setColumnWidth(EvGridModel::DateColumn, DateWidth);
    setColumnWidth(EvGridModel::TimeColumn, TimeWidth);

    // The selected event stays marked while the user works in the edits beside the grid.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &EvGrid::onCurrentRowChanged);
    connect(&table, &EvTable::AfterScroll, this, &EvGrid::followCursor);
    // A posted new row does not move the cursor, but once the table browses again it has a
    // line to select.
    connect(&table, &EvTable::stateChanged, this, &EvGrid::followCursor);
    followCursor();
}

void EvGrid::fitEventColumn()
{
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setColumnWidth(EvGridModel::EventColumn, qMax(0, width() - DateWidth - TimeWidth - scrollBar - 7));
}

void EvGrid::followCursor()
{
    const int row = m_table.RecNo() - 1;
    m_following = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, 0);
        if (selectionModel()->currentIndex().row() != row || !selectionModel()->isRowSelected(row, {}))
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
        scrollTo(index);
    } else {
        selectionModel()->clearSelection();
    }
    m_following = false;
}

void EvGrid::onCurrentRowChanged(const QModelIndex& current)
{
    if (m_following || m_model->updating() || !current.isValid()) return;
    const int row = current.row();
    if (row >= m_table.RecordCount() || row == m_table.RecNo() - 1) return;
    // Moving the cursor commits the edits of the row that was current.
    m_table.LocateId(m_table.rowId(row));
}

} // namespace zarvo
