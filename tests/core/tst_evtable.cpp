#include "EvTable.h"

#include <QSignalSpy>
#include <QTest>

using namespace zarvo;

namespace {

QVector<EventRecord> namedRows(int n)
{
    QVector<EventRecord> rows;
    for (int i = 1; i <= n; ++i) {
        EventRecord r;
        r.setValue(Field::EvName, QStringLiteral("e%1").arg(i));
        rows.append(r);
    }
    return rows;
}

QString name(const EvTable& t)
{
    return t.fieldValue(Field::EvName).toString();
}

QStringList names(const EvTable& t)
{
    QStringList out;
    for (const EventRecord& r : t.rows())
        out << r.EvName;
    return out;
}

} // namespace

class TestEvTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyTable()
    {
        EvTable t;
        QCOMPARE(t.RecordCount(), 0);
        QCOMPARE(t.RecNo(), 0);
        QVERIFY(t.Eof());
        QVERIFY(t.Bof());
        QCOMPARE(t.currentId(), EvTable::RowId(0));
        QCOMPARE(t.state(), EvTable::State::Browse);
        t.First();
        t.Next();
        t.Edit();
        QCOMPARE(t.state(), EvTable::State::Browse);
        t.setFieldValue(Field::EvName, QStringLiteral("nowhere"));
        QCOMPARE(t.state(), EvTable::State::Browse);
        QCOMPARE(t.RecordCount(), 0);
        t.Delete();
        t.Post();
        t.Cancel();
        QCOMPARE(t.RecordCount(), 0);
        QCOMPARE(t.current().EvName, QString());
    }

    void loadMakesFirstRowCurrent()
    {
        EvTable t;
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        QSignalSpy reset(&t, &EvTable::rowsReset);
        t.replaceAll(namedRows(3));
        QCOMPARE(scroll.count(), 1);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(t.RecNo(), 1);
        QVERIFY(t.Bof());
        QVERIFY(!t.Eof());
        QCOMPARE(name(t), QStringLiteral("e1"));
        t.replaceAll({});
        QCOMPARE(scroll.count(), 2);
        QCOMPARE(t.RecNo(), 0);
        QVERIFY(t.Eof());
    }

    void walkWithNextAndEof()
    {
        EvTable t;
        t.replaceAll(namedRows(4));
        QStringList seen;
        for (t.First(); !t.Eof(); t.Next())
            seen << name(t);
        QCOMPARE(seen, (QStringList{"e1", "e2", "e3", "e4"}));
        QCOMPARE(t.RecNo(), 4);
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        t.Next(); // already at the end: nothing moves
        QCOMPARE(t.RecNo(), 4);
        QCOMPARE(scroll.count(), 0);

        t.Prior();
        QCOMPARE(t.RecNo(), 3);
        QVERIFY(!t.Eof());
        QCOMPARE(scroll.count(), 1);
        t.MoveBy(-10);
        QCOMPARE(t.RecNo(), 1);
        QVERIFY(t.Bof());
        t.MoveBy(2);
        QCOMPARE(t.RecNo(), 3);
        QVERIFY(!t.Bof() && !t.Eof());
        t.MoveBy(10);
        QCOMPARE(t.RecNo(), 4);
        QVERIFY(t.Eof());
        t.Last();
        QVERIFY(t.Eof());
        QCOMPARE(t.RecNo(), 4);
        t.First();
        QVERIFY(t.Bof());
        t.Prior();
        QCOMPARE(t.RecNo(), 1);
    }

    void appendWithoutTypingAddsNoRow()
    {
        EvTable t;
        QSignalSpy inserted(&t, &EvTable::rowInserted);
        t.Append();
        QCOMPARE(t.state(), EvTable::State::Insert);
        QCOMPARE(t.RecNo(), 1);
        t.First();
        QCOMPARE(t.state(), EvTable::State::Browse);
        QCOMPARE(t.RecordCount(), 0);
        QCOMPARE(t.RecNo(), 0);

        t.replaceAll(namedRows(2));
        t.Append();
        QCOMPARE(t.RecNo(), 3);
        QCOMPARE(t.currentId(), EvTable::RowId(0));
        t.Next();
        QCOMPARE(t.RecordCount(), 2);
        t.Append();
        t.Append(); // the first blank one goes, the second takes its place
        t.Prior();
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(t.RecNo(), 1);
        t.Append();
        t.LocateId(t.rowId(0));
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(inserted.count(), 0);
    }

    void appendTypedThenMovePosts()
    {
        EvTable t;
        t.replaceAll(namedRows(2));
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        QSignalSpy inserted(&t, &EvTable::rowInserted);
        t.Append();
        QCOMPARE(scroll.count(), 1); // from row 1 to the new row 3
        t.setFieldValue(Field::EvName, QStringLiteral("new"));
        QVERIFY(t.Modified());
        QCOMPARE(t.RecordCount(), 2); // not before it is posted
        QCOMPARE(name(t), QStringLiteral("new"));
        t.First();
        QCOMPARE(t.RecordCount(), 3);
        QCOMPARE(names(t), (QStringList{"e1", "e2", "new"}));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(0).toInt(), 2);
        QCOMPARE(scroll.count(), 2);
        QVERIFY(t.row(2).isSet(Field::EvName));
        QVERIFY(t.row(2).isNull(Field::EvDate));
    }

    void postOfInsertKeepsPosition()
    {
        EvTable t;
        t.replaceAll(namedRows(2));
        t.Append();
        t.setFieldByName(QStringLiteral("evname"), QStringLiteral("third"));
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        t.Post();
        QCOMPARE(t.state(), EvTable::State::Browse);
        QCOMPARE(t.RecNo(), 3);
        QCOMPARE(name(t), QStringLiteral("third"));
        QVERIFY(t.currentId() != 0);
        QCOMPARE(t.indexOfId(t.currentId()), 2);
        QCOMPARE(scroll.count(), 0);
        // A second Append after a posted one gets a new row again.
        t.Append();
        t.setFieldValue(Field::EvRec, 3);
        t.Post();
        QCOMPARE(t.RecordCount(), 4);
        QCOMPARE(t.row(3).EvRec, 3);
    }

    void cancelOfAppendReturnsToLastRow()
    {
        EvTable t;
        t.replaceAll(namedRows(3));
        t.Append();
        t.setFieldValue(Field::EvName, QStringLiteral("typed"));
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        t.Cancel();
        QCOMPARE(t.RecordCount(), 3);
        QCOMPARE(t.RecNo(), 3);
        QCOMPARE(scroll.count(), 1);
    }

    void editPostAndCancel()
    {
        EvTable t;
        t.replaceAll(namedRows(3));
        t.Next();
        QSignalSpy changed(&t, &EvTable::rowChanged);
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        QSignalSpy field(&t, &EvTable::fieldChanged);
        t.setFieldValue(Field::EvName, QStringLiteral("changed"));
        QCOMPARE(t.state(), EvTable::State::Edit);
        QVERIFY(t.Modified());
        QCOMPARE(field.count(), 1);
        QCOMPARE(field.at(0).at(0).value<Field>(), Field::EvName);
        QCOMPARE(t.row(1).EvName, QStringLiteral("e2")); // pending only
        QCOMPARE(t.FieldByName(QStringLiteral("EvName")).toString(), QStringLiteral("changed"));
        t.Cancel();
        QCOMPARE(name(t), QStringLiteral("e2"));
        QCOMPARE(changed.count(), 0);

        t.Edit();
        QVERIFY(!t.Modified());
        t.setFieldValue(Field::EvDate, QDate(2030, 1, 2));
        t.Post();
        QCOMPARE(t.row(1).EvDate, QDate(2030, 1, 2));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 1);
        QCOMPARE(scroll.count(), 0);

        // Moving posts a modified edit, drops an untouched one.
        t.setFieldValue(Field::EvType, 4);
        t.Next();
        QCOMPARE(t.row(1).EvType, 4);
        t.Edit();
        t.Prior();
        QCOMPARE(t.state(), EvTable::State::Browse);
        QCOMPARE(changed.count(), 2);
        QVERIFY(!t.FieldByName(QStringLiteral("NoSuchField")).isValid());
    }

    void deleteAdjacentRows()
    {
        EvTable t;
        t.replaceAll(namedRows(5));
        t.MoveBy(1);
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        QSignalSpy removed(&t, &EvTable::rowRemoved);
        t.Delete();
        QCOMPARE(names(t), (QStringList{"e1", "e3", "e4", "e5"}));
        QCOMPARE(t.RecNo(), 2);
        QCOMPARE(name(t), QStringLiteral("e3"));
        t.Delete();
        QCOMPARE(names(t), (QStringList{"e1", "e4", "e5"}));
        QCOMPARE(name(t), QStringLiteral("e4"));
        QCOMPARE(scroll.count(), 2);
        QCOMPARE(removed.count(), 2);
        QCOMPARE(removed.at(0).at(0).toInt(), 1);
        QCOMPARE(removed.at(1).at(0).toInt(), 1);

        t.Last();
        t.Delete(); // the last row: the new last row is current, nothing after it
        QCOMPARE(names(t), (QStringList{"e1", "e4"}));
        QCOMPARE(name(t), QStringLiteral("e4"));
        QVERIFY(t.Eof());
        t.Delete();
        t.Delete();
        QCOMPARE(t.RecordCount(), 0);
        QCOMPARE(t.RecNo(), 0);
        QVERIFY(t.Eof() && t.Bof());
    }

    void deleteDiscardsPendingEdit()
    {
        EvTable t;
        t.replaceAll(namedRows(3));
        t.setFieldValue(Field::EvName, QStringLiteral("doomed"));
        t.Delete();
        QCOMPARE(t.state(), EvTable::State::Browse);
        QCOMPARE(names(t), (QStringList{"e2", "e3"}));
        // While inserting, Delete only drops the new row.
        t.Append();
        t.setFieldValue(Field::EvName, QStringLiteral("never"));
        t.Delete();
        QCOMPARE(names(t), (QStringList{"e2", "e3"}));
        QCOMPARE(t.state(), EvTable::State::Browse);
    }

    void identitiesSurviveDeletes()
    {
        EvTable t;
        t.replaceAll(namedRows(6));
        const EvTable::RowId id4 = t.rowId(3);
        const EvTable::RowId id1 = t.rowId(0);
        t.Delete(); // e1
        t.Delete(); // e2
        QCOMPARE(t.indexOfId(id4), 1);
        QCOMPARE(t.indexOfId(id1), -1);
        QVERIFY(t.LocateId(id4));
        QCOMPARE(name(t), QStringLiteral("e4"));
        QCOMPARE(t.currentId(), id4);
        QVERIFY(!t.LocateId(id1));
        QCOMPARE(t.currentId(), id4);
        // A new row never takes an old identity, nor does a reload.
        t.Append();
        t.setFieldValue(Field::EvName, QStringLiteral("e7"));
        t.Post();
        QVERIFY(t.currentId() > id4);
        const QVector<EvTable::RowId> before{t.rowId(0), t.rowId(1), t.rowId(2), t.rowId(3), t.rowId(4)};
        t.replaceAll(t.rows());
        for (EvTable::RowId id : before)
            QCOMPARE(t.indexOfId(id), -1);
    }

    void afterScrollOnLocateOnlyWhenMoving()
    {
        EvTable t;
        t.replaceAll(namedRows(3));
        QSignalSpy scroll(&t, &EvTable::AfterScroll);
        QVERIFY(t.LocateId(t.rowId(0)));
        QCOMPARE(scroll.count(), 0);
        QVERIFY(t.LocateId(t.rowId(2)));
        QCOMPARE(scroll.count(), 1);
        t.First();
        QCOMPARE(scroll.count(), 2);
        t.First();
        QCOMPARE(scroll.count(), 2);
    }

    void stateSignals()
    {
        EvTable t;
        t.replaceAll(namedRows(1));
        QSignalSpy state(&t, &EvTable::stateChanged);
        t.Edit();
        t.Cancel();
        t.Append();
        t.CheckBrowseMode();
        QCOMPARE(state.count(), 4);
        QCOMPARE(t.state(), EvTable::State::Browse);
        QCOMPARE(t.RecordCount(), 1);
    }

    void allowedChars()
    {
        EvTable t;
        QVERIFY(t.isCharAllowed(Field::EvRec, QLatin1Char('-')));
        t.setAllowedChars(Field::EvRec, QStringLiteral("0123456789"));
        t.setAllowedChars(Field::EvRecMonth, QStringLiteral("0123456789"));
        QCOMPARE(t.allowedChars(Field::EvRec), QStringLiteral("0123456789"));
        QVERIFY(t.isCharAllowed(Field::EvRec, QLatin1Char('7')));
        QVERIFY(!t.isCharAllowed(Field::EvRec, QLatin1Char('-')));
        QVERIFY(!t.isCharAllowed(Field::EvRecMonth, QLatin1Char(' ')));
        QVERIFY(t.isCharAllowed(Field::EvName, QLatin1Char('-')));
        QCOMPARE(t.allowedChars(Field::EvName), QString());
    }

    void manyRowsSignalCheaply()
    {
        EvTable t;
        QSignalSpy reset(&t, &EvTable::rowsReset);
        QSignalSpy inserted(&t, &EvTable::rowInserted);
        t.replaceAll(namedRows(10000));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(inserted.count(), 0);
        const EvTable::RowId id = t.rowId(9000);
        t.First();
        t.MoveBy(500);
        for (int i = 0; i < 100; ++i)
            t.Delete();
        QCOMPARE(t.indexOfId(id), 8900);
    }
};

QTEST_GUILESS_MAIN(TestEvTable)
#include "tst_evtable.moc"
