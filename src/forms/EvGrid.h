#pragma once

#include "EvGridModel.h"

#include <QLocale>
#include <QTableView>

class QFontMetrics;

namespace zarvo {

// The widest text of a date in the short date format, and of a time of day in the long time
// format, that `locale` can produce, in pixels of `metrics`: every month and weekday name, the
// widest digit in every digit place, AM and PM.
int widestDateText(const QFontMetrics& metrics, const QLocale& locale);
int widestTimeText(const QFontMetrics& metrics, const QLocale& locale);

// The list of events on the Events page: read-only, whole rows, the selection kept visible
// without focus, columns the user can resize. Selecting a row makes it the table's current row;
// the selection follows the current row whoever moves it.
class EvGrid : public QTableView
{
    Q_OBJECT
public:
    explicit EvGrid(EvTable& table, QWidget* parent = nullptr);

    EvGridModel* gridModel() const { return m_model; }
    // "Date" and "Time" as wide as their widest text in the grid's font and the system's
    // locale, so none is ever cut short.
    void fitDateTimeColumns();
    // The "Event" column takes what the other two and a vertical scroll bar leave of the grid.
    void fitEventColumn();
    // Room for the two columns and a useful part of the names.
    QSize sizeHint() const override;
    // Selects the table's current row (nothing while a new row is being added).
    void followCursor();

protected:
    void changeEvent(QEvent* e) override;

private:
    void onCurrentRowChanged(const QModelIndex& current);
    int columnNeed(int column, int textWidth) const;
    void fitRowHeight();
    int scrollBarExtent() const;

    EvTable& m_table;
    EvGridModel* m_model;
    bool m_following = false;
};

} // namespace zarvo
