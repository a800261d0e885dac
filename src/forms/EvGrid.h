#pragma once

#include "EvGridModel.h"

#include <QTableView>

namespace zarvo {

// The list of events on the Events page: read-only, whole rows, the selection kept visible
// without focus, columns the user can resize. Selecting a row makes it the table's current row;
// the selection follows the current row whoever moves it.
class EvGrid : public QTableView
{
    Q_OBJECT
public:
    static constexpr int DateWidth = 50;
    static constexpr int TimeWidth = 50;

    explicit EvGrid(EvTable& table, QWidget* parent = nullptr);

    EvGridModel* gridModel() const { return m_model; }
    // The "Event" column takes what the other two and a vertical scroll bar leave of the grid.
    void fitEventColumn();
    // Selects the table's current row (nothing while a new row is being added).
    void followCursor();

private:
    void onCurrentRowChanged(const QModelIndex& current);

    EvTable& m_table;
    EvGridModel* m_model;
    bool m_following = false;
};

} // namespace zarvo
