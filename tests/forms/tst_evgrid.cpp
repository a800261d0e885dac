#include "EditorRig.h"
#include "core/LocalTime.h"
#include "forms/EvGrid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

using namespace zarvo;

namespace {

QVector<EventRecord> rows(int count)
{
    QVector<EventRecord> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i)
        out << makeEvent(QStringLiteral("event %1").arg(i), i % 8);
    return out;
}

// Counts what the model told its views.
struct ModelSignals
{
    QSignalSpy reset, inserted, removed, changed;
    explicit ModelSignals(const QAbstractItemModel* m)
        : reset(m, &QAbstractItemModel::modelReset), inserted(m, &QAbstractItemModel::rowsInserted),
          removed(m, &QAbstractItemModel::rowsRemoved), changed(m, &QAbstractItemModel::dataChanged)
    {
    }
};

} // namespace

class TestEvGrid : public QObject
{
    Q_OBJECT
private slots:
    // Every kind of change the table makes, checked by Qt's own model checker, one row at a time.
    void followsTheTableRowByRow()
    {
        EvTable table;
        table.replaceAll(rows(3));
        EvGridModel model(table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        ModelSignals sig(&model);

        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Event"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Date"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Time"));
        QCOMPARE(model.index(1, 1).data().toString(), shortDateText(QDate(2026, 12, 10)));
        QCOMPARE(model.index(1, 2).data().toString(), longTimeText(QTime(13, 30)));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

        table.LocateId(table.rowId(1));
        table.setFieldValue(Field::EvName, QStringLiteral("pending"));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("pending")); // shown while typed
        table.Cancel();
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("event 1"));
        table.setFieldValue(Field::EvName, QStringLiteral("posted"));
        table.Post();
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("posted"));

        table.Append();
        QCOMPARE(model.rowCount(), 3); // not before it is posted
        table.setFieldValue(Field::EvName, QStringLiteral("new"));
        table.Post();
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(3, 0).data().toString(), QStringLiteral("new"));
        table.Append();
        table.LocateId(table.rowId(0)); // an untouched new row is dropped: nothing to show
        QCOMPARE(model.rowCount(), 4);

        table.Delete();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("posted"));
        QCOMPARE(sig.reset.size(), 0);
        QCOMPARE(sig.inserted.size(), 1);
        QCOMPARE(sig.removed.size(), 1);

        table.replaceAll(rows(2));
        QCOMPARE(sig.reset.size(), 1);
        QCOMPARE(model.rowCount(), 2);
    }

    void clicksAndKeysMoveTheCursor()
    {
        EvTable table;
        table.replaceAll(rows(20));
        EvGrid grid(table);
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.currentIndex().row(), 0);

        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          grid.visualRect(grid.model()->index(3, 2)).center());
        QCOMPARE(table.RecNo(), 4);
        QVERIFY(grid.selectionModel()->isRowSelected(3, {}));
        QTest::keyClick(grid.viewport(), Qt::Key_Down);
        QCOMPARE(table.RecNo(), 5);
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                           grid.visualRect(grid.model()->index(4, 0)).center());
        QCOMPARE(table.state(), EvTable::State::Browse); // read-only: no editor opens
        QVERIFY(!grid.indexWidget(grid.model()->index(4, 0)));

        // Moved from elsewhere (a firing), the selection follows and stays in view.
        table.LocateId(table.rowId(18));
        QCOMPARE(grid.currentIndex().row(), 18);
        QVERIFY(grid.viewport()->rect().intersects(grid.visualRect(grid.model()->index(18, 0))));
        // Deleting the current row selects the one the table makes current, not one of the view's.
        table.Delete();
        QCOMPARE(table.RecNo(), 19);
        QCOMPARE(grid.currentIndex().row(), 18);
        QCOMPARE(table.current().EvName, QStringLiteral("event 19"));
    }

    // The widest texts as measured are at least as wide as every date of a year and every time
    // of a day actually formatted, in locales with month names, suffixes, 12-hour clocks and
    // digits of other scripts.
    void widestTextsCoverEveryValue_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char* name :
             {"C", "en_US", "de_DE", "bg_BG", "hu_HU", "ko_KR", "ar_EG", "fa_IR", "ff_Adlm_SN"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void widestTextsCoverEveryValue()
    {
        QFETCH(QString, locale);
        const QLocale l(locale);
        for (int points : {9, 28}) {
            QFont font;
            font.setPointSize(points);
            const QFontMetrics fm(font);
            const int dateWidth = widestDateText(fm, l);
            for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1))
                QVERIFY2(fm.horizontalAdvance(shortDateText(d, l)) <= dateWidth,
                         qPrintable(shortDateText(d, l)));
            const int timeWidth = widestTimeText(fm, l);
            for (int s = 0; s < 86400; s += 59) {
                const QString text = longTimeText(QTime(0, 0).addSecs(s), l);
                QVERIFY2(fm.horizontalAdvance(text) <= timeWidth, qPrintable(text));
            }
        }
    }

    // In the grid, each of "Date" and "Time" is at least as wide as its widest line needs by the
    // view's own measure, also after the font grows; "Event" takes the rest. Run again under a
    // locale with long formats (see forms.cmake).
    void columnWidths()
    {
        EvTable table;
        QVector<EventRecord> many;
        for (int m = 1; m <= 12; ++m) {
            EventRecord r = makeEvent(QStringLiteral("event %1").arg(m));
            r.EvDate = QDate(2026, m, 28);
            r.EvTime = QTime((m * 2 + 9) % 24, 58, 58);
            many << r;
        }
        table.replaceAll(many);
        EvGrid grid(table);
        grid.resize(347, 600);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const int bar = grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &grid);
        // What the view itself says a column needs for its widest line (public in the base).
        const QAbstractItemView& view = grid;
        for (int points : {0, 30}) {
            if (points) {
                QFont big = grid.font();
                big.setPointSize(points);
                grid.setFont(big);
                QVERIFY(grid.sizeHint().width() > 347); // the dialog makes room for them
                grid.resize(grid.sizeHint().width(), 600);
            }
            grid.fitEventColumn();
            for (int column : {int(EvGridModel::DateColumn), int(EvGridModel::TimeColumn)}) {
                QVERIFY2(grid.columnWidth(column) >= view.sizeHintForColumn(column),
                         qPrintable(QStringLiteral("column %1 at %2 pt: %3 < %4")
                                        .arg(column)
                                        .arg(grid.font().pointSize())
                                        .arg(grid.columnWidth(column))
                                        .arg(view.sizeHintForColumn(column))));
            }
            QCOMPARE(grid.columnWidth(0), grid.width() - grid.columnWidth(1) - grid.columnWidth(2) - bar - 7);
            QVERIFY(grid.columnWidth(0) > 0);
        }
        QCOMPARE(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
        // The selection looks the same without focus.
        QCOMPARE(grid.palette().color(QPalette::Inactive, QPalette::Highlight),
                 grid.palette().color(QPalette::Active, QPalette::Highlight));

        // In the dialog the rule is applied when it opens.
        CfgRig rig({makeEvent(QStringLiteral("a"))});
        rig.open();
        auto* inDialog = rig.w<EvGrid>("EvGrid");
        QCOMPARE(inDialog->columnWidth(0),
                 inDialog->width() - inDialog->columnWidth(1) - inDialog->columnWidth(2) - bar - 7);
    }

    void tenThousandRows()
    {
        EvTable table;
        table.replaceAll(rows(10000));
        QElapsedTimer timer;
        timer.start();
        EvGrid grid(table);
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const qint64 built = timer.elapsed();

        ModelSignals sig(grid.model());
        timer.restart();
        table.LocateId(table.rowId(5000));
        table.setFieldValue(Field::EvName, QStringLiteral("changed"));
        table.Post();
        QCoreApplication::processEvents();
        const qint64 changed = timer.elapsed();
        QCOMPARE(sig.reset.size(), 0);
        QCOMPARE(grid.model()->index(5000, 0).data().toString(), QStringLiteral("changed"));
        timer.restart();
        table.Delete();
        QCoreApplication::processEvents();
        const qint64 deleted = timer.elapsed();
        QCOMPARE(sig.reset.size(), 0);
        QCOMPARE(sig.removed.size(), 1);
        QCOMPARE(grid.model()->rowCount(), 9999);
        qInfo("10,000 rows: grid built and shown in %lld ms, one row changed in %lld ms, one deleted in %lld "
              "ms",
              built, changed, deleted);
    }
};

QTEST_MAIN(TestEvGrid)
#include "tst_evgrid.moc"
