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

    void columnWidths()
    {
        EvTable table;
        EvGrid grid(table);
        grid.resize(347, 200);
        grid.fitEventColumn();
        const int bar = grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &grid);
        QCOMPARE(grid.columnWidth(1), 50);
        QCOMPARE(grid.columnWidth(2), 50);
        QCOMPARE(grid.columnWidth(0), 347 - 100 - bar - 7);
        QCOMPARE(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
        // The selection looks the same without focus.
        QCOMPARE(grid.palette().color(QPalette::Inactive, QPalette::Highlight),
                 grid.palette().color(QPalette::Active, QPalette::Highlight));

        // In the dialog the rule is applied when it opens.
        CfgRig rig({makeEvent(QStringLiteral("a"))});
        rig.open();
        auto* inDialog = rig.w<EvGrid>("EvGrid");
        QCOMPARE(inDialog->columnWidth(0), inDialog->width() - 100 - bar - 7);
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
