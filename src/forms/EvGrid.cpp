#include "EvGrid.h"

#include "core/LocalTime.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>

namespace zarvo {

namespace {

// Pixels besides the grid's own for the "Event" column, as the dialog has always left them.
constexpr int kSlack = 7;
// The least of the names that stays in view beside the two columns, in average characters.
constexpr int kNameChars = 12;

// The text with every digit replaced by the widest one of the locale's digits in `metrics`:
// as wide as the widest text of its pattern can be, whatever the digits.
QString widestDigits(QString text, const QFontMetrics& metrics, const QLocale& locale)
{
    QStringList digits;
    QString widest;
    for (int d = 0; d < 10; ++d) {
        digits << locale.toString(d);
        if (widest.isEmpty() || metrics.horizontalAdvance(digits.last()) > metrics.horizontalAdvance(widest))
            widest = digits.last();
    }
    for (const QString& d : digits) {
        if (d != widest) text.replace(d, widest);
    }
    return text;
}

} // namespace

int widestDateText(const QFontMetrics& metrics, const QLocale& locale)
{
    // Every month, each with every weekday (the 22nd to the 28th), and two digits wherever a
    // day or a month can have them.
    int widest = 0;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 22; day <= 28; ++day) {
            const QString text =
                widestDigits(shortDateText(QDate(2000, month, day), locale), metrics, locale);
            widest = qMax(widest, metrics.horizontalAdvance(text));
        }
    }
    return widest;
}

int widestTimeText(const QFontMetrics& metrics, const QLocale& locale)
{
    // Every hour gives both halves of the day and hours of one and two digits on a 12-hour clock.
    int widest = 0;
    for (int hour = 0; hour < 24; ++hour) {
        const QString text = widestDigits(longTimeText(QTime(hour, 58, 58), locale), metrics, locale);
        widest = qMax(widest, metrics.horizontalAdvance(text));
    }
    return widest;
}

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
    fitRowHeight();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    fitDateTimeColumns();

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

int EvGrid::columnNeed(int column, int textWidth) const
{
    // The item's text margins on both sides, as the style draws them, and the grid line; one
    // pixel more, because the text is laid out in fractions of pixels and rounded up.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int grid = showGrid() ? 1 : 0;
    return qMax(textWidth + 2 * margin + grid + 1, horizontalHeader()->sectionSizeHint(column));
}

int EvGrid::scrollBarExtent() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void EvGrid::fitRowHeight()
{
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void EvGrid::fitDateTimeColumns()
{
    // The texts are the model's: the system's locale, whatever the grid's own.
    const QFontMetrics metrics = fontMetrics();
    const QLocale locale = QLocale::system();
    setColumnWidth(EvGridModel::DateColumn,
                   columnNeed(EvGridModel::DateColumn, widestDateText(metrics, locale)));
    setColumnWidth(EvGridModel::TimeColumn,
                   columnNeed(EvGridModel::TimeColumn, widestTimeText(metrics, locale)));
}

void EvGrid::fitEventColumn()
{
    const int others = columnWidth(EvGridModel::DateColumn) + columnWidth(EvGridModel::TimeColumn);
    setColumnWidth(EvGridModel::EventColumn, qMax(0, width() - others - scrollBarExtent() - kSlack));
}

QSize EvGrid::sizeHint() const
{
    const QSize base = QTableView::sizeHint();
    const int name = qMax(fontMetrics().averageCharWidth() * kNameChars,
                          horizontalHeader()->sectionSizeHint(EvGridModel::EventColumn));
    const int need = name + columnWidth(EvGridModel::DateColumn) + columnWidth(EvGridModel::TimeColumn) +
                     scrollBarExtent() + kSlack;
    return {qMax(base.width(), need), base.height()};
}

void EvGrid::changeEvent(QEvent* e)
{
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) {
        fitRowHeight();
        fitDateTimeColumns();
        updateGeometry();
    }
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
