#include "../core/SchedulerRig.h"
#include "app/TableBackup.h"
#include "core/EventStore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zarvo;

namespace {
const QDate Today(2026, 12, 10);
QDateTime at(int h, int m, int s = 0)
{
    return QDateTime(Today, QTime(h, m, s));
}
} // namespace

// The Properties dialog is open while events fire; Cancel must undo the user's edits only.
class TestTableBackup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cancelKeepsWhatFiredMeanwhile_data()
    {
        QTest::addColumn<bool>("backupWritable");
        QTest::newRow("from rb.dat") << true;
        QTest::newRow("rb.dat cannot be written") << false;
    }
    void cancelKeepsWhatFiredMeanwhile()
    {
        QFETCH(bool, backupWritable);
        QTemporaryDir dir;
        EventStore store(dir.path());
        SchedulerRig rig(at(8, 0));
        rig.settings.DeleteEvents = true;
        const EvTable::RowId daily = rig.add("Daily", Today, QTime(9, 0), EvNotification, 1);
        const EvTable::RowId once = rig.add("Once", Today, QTime(9, 30));
        const EvTable::RowId edited = rig.add("Edited", Today.addDays(3), QTime(7, 0));
        rig.scheduler.SelectNextEvent();
        if (!backupWritable)
            QVERIFY(QDir().mkpath(store.path(EventStore::BackupFile))); // a folder in its way

        TableBackup backup(rig.table, store, rig.scheduler);
        QCOMPARE(backup.begin(), backupWritable);
        // The user edits one row, adds one and deletes none; meanwhile both events fire.
        rig.table.LocateId(edited);
        rig.table.setFieldValue(Field::EvName, "Edited, renamed");
        rig.table.Post();
        const EvTable::RowId added = rig.table.append(EventRecord());
        rig.runTo(at(10, 0));
        QCOMPARE(rig.dateOf("Daily"), Today.addDays(1));
        QCOMPARE(rig.indexOf("Once"), -1);

        backup.rollBack();
        QVERIFY(!backup.active());
        QCOMPARE(rig.table.RecordCount(), 2);
        QCOMPARE(rig.table.ids(), (QVector<EvTable::RowId>{daily, edited}));
        QCOMPARE(rig.dateOf("Daily"), Today.addDays(1)); // keeps recurring
        QCOMPARE(rig.indexOf("Once"), -1);               // stays deleted
        QCOMPARE(rig.indexOf("Edited"), 1);              // the user's edit is undone
        QVERIFY(!rig.table.find(added));
        QVERIFY(!rig.table.find(once));

        // The rows are the same rows: the next firing still finds its row.
        rig.scheduler.SelectNextEvent();
        QCOMPARE(rig.scheduler.next().NextRowId, daily);
        rig.runTo(QDateTime(Today.addDays(1), QTime(9, 1)));
        QCOMPARE(rig.dateOf("Daily"), Today.addDays(2));
    }

    void okKeepsEverything()
    {
        QTemporaryDir dir;
        EventStore store(dir.path());
        SchedulerRig rig(at(8, 0));
        rig.add("Daily", Today, QTime(9, 0), EvNotification, 1);
        TableBackup backup(rig.table, store, rig.scheduler);
        backup.begin();
        rig.table.append(EventRecord());
        backup.commit();
        // Firings after the dialog closed are not the session's any more.
        rig.scheduler.SelectNextEvent();
        rig.runTo(at(9, 1));
        backup.rollBack(); // nothing to roll back
        QCOMPARE(rig.table.RecordCount(), 2);
        QCOMPARE(rig.dateOf("Daily"), Today.addDays(1));
    }
};

QTEST_GUILESS_MAIN(TestTableBackup)
#include "tst_tablebackup.moc"
