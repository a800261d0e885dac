#include "EventRows.h"
#include "EventStore.h"
#include "TestDirs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <sqlite3.h>
#include <unistd.h>

#include <functional>

using namespace zarvo;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Builds a database file with the sqlite3 library directly, the way another tool would.
QByteArray sqliteFile(const QString& path, const QString& sql)
{
    QFile::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) qWarning("sqlite: %s", error);
    sqlite3_free(error);
    sqlite3_close(db);
    return readFile(path);
}

const char* kSchema =
    "CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT, EvDate TEXT, EvTime TEXT, EvType INTEGER, "
    "EvRec INTEGER, EvShutType INTEGER, EvPath TEXT, EvParam TEXT, EvURL TEXT, EvMMAddress TEXT, EvMMSubj "
    "TEXT, "
    "EvCS TEXT, EvIntBTime TEXT, EvIntETime TEXT, EvInterval INTEGER, EvRecMonth INTEGER);";

QStringList damagedCopies(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("zarvo.dat.damaged-*")}, QDir::Files, QDir::Name);
}

QVector<EventRecord> sampleRows()
{
    QVector<EventRecord> rows;
    EventRecord a; // every field set
    a.setValue(Field::EvName, QStringLiteral("Dentist \u2013 bring the card"));
    a.setValue(Field::EvDate, QDate(2024, 2, 29));
    a.setValue(Field::EvTime, QTime(9, 15, 30, 250));
    a.setValue(Field::EvType, EvStartupMessage);
    a.setValue(Field::EvRec, 0);
    a.setValue(Field::EvShutType, ShutReboot);
    a.setValue(Field::EvPath, QStringLiteral("/usr/bin/true"));
    a.setValue(Field::EvParam, QStringLiteral("'a b' c"));
    a.setValue(Field::EvURL, QStringLiteral("https://example.org/?q=1&r=2"));
    a.setValue(Field::EvMMAddress, QStringLiteral("me@example.org"));
    a.setValue(Field::EvMMSubj, QStringLiteral("subject"));
    a.setValue(Field::EvCS, QStringLiteral("/tmp/ding.wav"));
    a.setValue(Field::EvIntBTime, QTime(8, 0));
    a.setValue(Field::EvIntETime, QTime(23, 59, 59));
    a.setValue(Field::EvInterval, true);
    a.setValue(Field::EvRecMonth, 2);
    rows << a;
    rows << EventRecord(); // nothing set at all
    EventRecord c;         // a few set, some to their unset value, one assigned directly
    c.setValue(Field::EvName, QString());
    c.setValue(Field::EvType, 0);
    c.EvRec = 7;
    c.EvTime = QTime(23, 59, 59, 999);
    rows << c;
    EventRecord d;
    d.setValue(Field::EvName, QStringLiteral("last"));
    d.setValue(Field::EvDate, QDate(1899, 12, 30));
    rows << d;
    return rows;
}

} // namespace

class TestEventStore : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestDirs> m_dirs;
    QString m_dir;

private Q_SLOTS:
    void init()
    {
        m_dirs = std::make_unique<TestDirs>();
        m_dir = m_dirs->dataHome() + QStringLiteral("/zarvo");
    }
    void cleanup() { m_dirs.reset(); }

    void roundTripKeepsUnsetFieldsAndOrder()
    {
        EventStore store(m_dir);
        EvTable table;
        const QVector<EventRecord> rows = sampleRows();
        table.replaceAll(rows);
        QVERIFY(store.SaveEvents(table)); // also creates the folder
        QVERIFY(QFileInfo::exists(store.path(EventStore::EventsFile)));

        EvTable loaded;
        EventStore(m_dir).LoadEvents(loaded);
        QCOMPARE(loaded.RecordCount(), rows.size());
        QCOMPARE(loaded.RecordCount(), rows.size());
        QCOMPARE(loaded.RecNo(), 1);
        QCOMPARE(loaded.state(), EvTable::State::Browse);
        for (int i = 0; i < rows.size(); ++i) {
            QVERIFY2(loaded.row(i) == rows[i], qPrintable(QString::number(i)));
            for (int f = 0; f < FieldCount; ++f)
                QCOMPARE(loaded.row(i).isNull(Field(f)), rows[i].isNull(Field(f)));
        }
        QCOMPARE(loaded.row(1).setMask, 0u);
        QCOMPARE(loaded.row(2).EvRec, 7);
        QVERIFY(loaded.row(2).isSet(Field::EvType));
    }

    void fileFormatIsReadable()
    {
        EventStore store(m_dir);
        const QString path = store.path(EventStore::EventsFile);
        QVERIFY(store.save(path, sampleRows()));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        auto query = [db](const char* sql) {
            QStringList out;
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) return QStringList{"error"};
            while (sqlite3_step(s) == SQLITE_ROW) {
                QStringList cols;
                for (int i = 0; i < sqlite3_column_count(s); ++i)
                    cols << (sqlite3_column_type(s, i) == SQLITE_NULL
                                 ? QStringLiteral("NULL")
                                 : QString::fromUtf8(
                                       reinterpret_cast<const char*>(sqlite3_column_text(s, i))));
                out << cols.join(QLatin1Char('|'));
            }
            sqlite3_finalize(s);
            return out;
        };
        QCOMPARE(query("PRAGMA user_version"), QStringList{"1"});
        QCOMPARE(
            query("SELECT RowNo, EvDate, EvTime, EvType, EvInterval, EvIntETime, EvRecMonth FROM events"),
            (QStringList{"1|2024-02-29|09:15:30.250|4|1|23:59:59|2", "2|NULL|NULL|NULL|NULL|NULL|NULL",
                         "3|NULL|23:59:59.999|0|NULL|NULL|NULL", "4|1899-12-30|NULL|NULL|NULL|NULL|NULL"}));
        QCOMPARE(query("SELECT EvName, EvRec FROM events WHERE RowNo = 3"), QStringList{"|7"});
        sqlite3_close(db);
    }

    void loadLeavesTheFileAlone()
    {
        EventStore store(m_dir);
        const QString path = store.path(EventStore::EventsFile);
        QVERIFY(store.save(path, sampleRows()));
        const QByteArray before = readFile(path);
        const QDateTime mtime = QFileInfo(path).lastModified();
        QVector<EventRecord> rows;
        QCOMPARE(store.load(path, rows), EventStore::LoadResult::Loaded);
        QCOMPARE(readFile(path), before);
        QCOMPARE(QFileInfo(path).lastModified(), mtime);
        QCOMPARE(QDir(m_dir).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"zarvo.dat"});
    }

    void foreignWriterAndWalModeLoad()
    {
        QDir().mkpath(m_dir);
        const QString path = m_dir + QStringLiteral("/zarvo.dat");
        // Written by the sqlite3 tool in WAL mode, with the WAL checkpointed on close.
        const QByteArray bytes = sqliteFile(
            path,
            QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA user_version=1; %1"
                           "INSERT INTO events (RowNo, EvName, EvDate) VALUES (5, 'five', '2025-01-31');"
                           "INSERT INTO events (RowNo, EvName, EvType) VALUES (2, 'two', 6);")
                .arg(QLatin1String(kSchema)));
        QCOMPARE(int(bytes.at(18)), 2);
        EvTable table;
        EventStore(m_dir).LoadEvents(table);
        QCOMPARE(table.RecordCount(), 2);
        QCOMPARE(table.row(0).EvName, QStringLiteral("two"));
        QCOMPARE(table.row(0).EvType, int(EvMailMessage));
        QCOMPARE(table.row(1).EvDate, QDate(2025, 1, 31));
        QVERIFY(table.row(1).isNull(Field::EvTime));
        QCOMPARE(readFile(path), bytes);
        QVERIFY(damagedCopies(m_dir).isEmpty());
    }

    void damagedFileIsKeptAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("empty file") << "empty";
        QTest::newRow("random bytes") << "random";
        QTest::newRow("text file") << "text";
        QTest::newRow("truncated database") << "truncated";
        QTest::newRow("header only") << "header";
        QTest::newRow("no events table") << "notable";
        QTest::newRow("foreign events table") << "foreign";
        QTest::newRow("events is a view") << "view";
        QTest::newRow("wrong user_version") << "version";
        QTest::newRow("events table without RowNo") << "norowno";
    }
    void damagedFileIsKeptAside()
    {
        QFETCH(QString, kind);
        QDir().mkpath(m_dir);
        const QString path = m_dir + QStringLiteral("/zarvo.dat");
        const QString scratch = m_dirs->root() + QStringLiteral("/scratch.db");
        const QString schema = QLatin1String(kSchema);
        QByteArray bytes;
        if (kind == u"empty") {
            bytes = QByteArray();
        } else if (kind == u"random") {
            QRandomGenerator rng(42);
            bytes.resize(8192);
            rng.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        } else if (kind == u"text") {
            bytes = "this is not a database\n";
        } else if (kind == u"truncated") {
            const QByteArray whole = EventStore::encode(makeEventRows(2000, QStringLiteral("T")));
            bytes = whole.left(whole.size() / 2);
        } else if (kind == u"header") {
            bytes = EventStore::encode(makeEventRows(200, QStringLiteral("T"))).left(100);
        } else if (kind == u"notable") {
            bytes = sqliteFile(scratch, QStringLiteral("PRAGMA user_version=1; CREATE TABLE other (x);"));
        } else if (kind == u"foreign") {
            bytes = sqliteFile(scratch,
                               QStringLiteral("PRAGMA user_version=1; CREATE TABLE events (id, title, at);"
                                              "INSERT INTO events VALUES (1, 'x', 'y');"));
        } else if (kind == u"view") {
            bytes = sqliteFile(scratch,
                               QStringLiteral("PRAGMA user_version=1; CREATE TABLE t (x);"
                                              "CREATE VIEW events AS SELECT 1 AS RowNo, 2 AS EvName, "
                                              "3 AS EvDate, 4 AS EvTime, 5 AS EvType, 6 AS EvRec, "
                                              "7 AS EvShutType, 8 AS EvPath, 9 AS EvParam, 1 AS EvURL, "
                                              "1 AS EvMMAddress, 1 AS EvMMSubj, 1 AS EvCS, 1 AS EvIntBTime, "
                                              "1 AS EvIntETime, 1 AS EvInterval, 1 AS EvRecMonth;"));
        } else if (kind == u"version") {
            bytes = sqliteFile(scratch, QStringLiteral("PRAGMA user_version=2;") + schema);
        } else if (kind == u"norowno") {
            bytes = sqliteFile(scratch,
                               QStringLiteral("PRAGMA user_version=1; CREATE TABLE events (EvName, "
                                              "EvDate); INSERT INTO events VALUES ('x', '2026-12-10');"));
        }
        QVERIFY(writeFile(path, bytes));

        EvTable table;
        table.replaceAll(sampleRows()); // a load of a damaged file leaves the table empty
        EventStore store(m_dir);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "zarvo.dat is not a readable event file .* kept as "
                                               ".*zarvo\\.dat\\.damaged-\\d{8}-\\d{6}$")));
        store.LoadEvents(table);
        QCOMPARE(table.RecordCount(), 0);
        QCOMPARE(table.state(), EvTable::State::Browse);
        QVERIFY(!QFileInfo::exists(path));
        const QStringList kept = damagedCopies(m_dir);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readFile(m_dir + QLatin1Char('/') + kept.first()), bytes);

        // The next save writes a fresh file and leaves the damaged copy alone.
        table.Append();
        table.setFieldValue(Field::EvName, QStringLiteral("fresh"));
        QVERIFY(store.SaveEvents(table));
        QCOMPARE(damagedCopies(m_dir), kept);
        QVector<EventRecord> rows;
        QCOMPARE(store.load(path, rows), EventStore::LoadResult::Loaded);
        QCOMPARE(rows.size(), 1);
    }

    // Three events; the middle one holds a value the program cannot take. The others always
    // survive; the middle one survives with that value unset (or cut), unless it has no readable
    // date or time. The original is kept aside byte for byte and zarvo.dat holds what was kept.
    void badRowsCostOnlyThemselves_data()
    {
        QTest::addColumn<QString>("schema"); // empty: the program's own
        QTest::addColumn<QString>("change"); // applied to row 2
        QTest::addColumn<QString>("field");  // of row 2 afterwards; empty: row 2 is left out
        QTest::addColumn<QVariant>("value"); // that field's value; invalid: unset
        const QString own;
        const QVariant unset;
        QTest::newRow("EvDate not a day") << own << "EvDate = '2026-02-30'"
                                          << "" << unset;
        QTest::newRow("EvDate empty") << own << "EvDate = ''"
                                      << "" << unset;
        QTest::newRow("EvDate a number") << own << "EvDate = 20261210"
                                         << "" << unset;
        QTest::newRow("EvDate other form") << own << "EvDate = '10.12.2026'"
                                           << "" << unset;
        QTest::newRow("EvTime 25:61:00") << own << "EvTime = '25:61:00'"
                                         << "" << unset;
        QTest::newRow("EvType text") << own << "EvType = 'abc'"
                                     << "EvType" << unset;
        QTest::newRow("EvType real") << own << "EvType = 1.5"
                                     << "EvType" << unset;
        QTest::newRow("EvRec 2^40") << own << "EvRec = 1099511627776"
                                    << "EvRec" << unset;
        QTest::newRow("EvInterval 2") << own << "EvInterval = 2"
                                      << "EvInterval" << unset;
        QTest::newRow("EvIntBTime bad") << own << "EvIntBTime = '8 am'"
                                        << "EvIntBTime" << unset;
        QTest::newRow("EvName a blob") << own << "EvName = x'00ff'"
                                       << "EvName" << unset;
        QTest::newRow("EvName 10 MB") << own << "EvName = printf('%.*c', 10000000, 'x')"
                                      << "EvName" << QVariant(QString(256, u'x'));
        QTest::newRow("EvName not UTF-8") << own << "EvName = CAST(x'61ff62' AS TEXT)"
                                          << "EvName" << QVariant(QStringLiteral("a\uFFFDb"));
        QTest::newRow("EvRecMonth column missing")
            << QString::fromLatin1(kSchema).replace(QStringLiteral(", EvRecMonth INTEGER"), QString())
            << "EvName = EvName"
            << "EvRecMonth" << unset;
        QTest::newRow("RowNo not a number")
            << QString::fromLatin1(kSchema).replace(QStringLiteral(" PRIMARY KEY"), QString())
            << "RowNo = 'two'"
            << "" << unset;
    }
    void badRowsCostOnlyThemselves()
    {
        QFETCH(QString, schema);
        QFETCH(QString, change);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QDir().mkpath(m_dir);
        const QString path = m_dir + QStringLiteral("/zarvo.dat");
        const QString columns = schema.isEmpty() ? QStringLiteral("EvRecMonth") : QStringLiteral("EvCS");
        const QByteArray bytes = sqliteFile(
            path,
            QStringLiteral("PRAGMA user_version=1; %1"
                           "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, %2) VALUES "
                           "(1, 'one', '2026-12-10', '08:00:00', 0, 0, 0),"
                           "(2, 'two', '2026-12-11', '09:00:00', 7, 3, 0),"
                           "(3, 'three', '2026-12-12', '10:00:00', 1, 1, 0);"
                           "UPDATE events SET %3 WHERE RowNo = 2;")
                .arg(schema.isEmpty() ? QLatin1String(kSchema) : schema, columns, change));
        const bool kept = !field.isEmpty();
        // A missing column leaves that field unset in every row.
        const int changedRows = !kept ? 0 : !schema.isEmpty() && !schema.contains(u"EvRecMonth") ? 3 : 1;

        EvTable table;
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(QStringLiteral("zarvo\\.dat has rows that cannot be read whole \\(rows: 3, "
                                              "left out: %1, kept with values unset or cut: %2\\); "
                                              "the original was kept as "
                                              ".*zarvo\\.dat\\.damaged-\\d{8}-\\d{6}$")
                                   .arg(kept ? 0 : 1)
                                   .arg(changedRows)));
        EventStore(m_dir).LoadEvents(table);

        QStringList names;
        for (int i = 0; i < table.RecordCount(); ++i)
            names << (field == u"EvName" ? table.row(i).EvDate.toString(Qt::ISODate) : table.row(i).EvName);
        const QStringList expected = field == u"EvName"
                                         ? QStringList{"2026-12-10", "2026-12-11", "2026-12-12"}
                                     : kept ? QStringList{"one", "two", "three"}
                                            : QStringList{"one", "three"};
        QCOMPARE(names, expected);
        if (kept) {
            const EventRecord& two = table.row(1);
            const Field f = *fieldByName(field);
            if (value.isValid())
                QCOMPARE(two.value(f), value);
            else
                QVERIFY2(two.isNull(f), qPrintable(two.value(f).toString()));
            QCOMPARE(two.EvTime, QTime(9, 0));
            if (f != Field::EvType) QCOMPARE(two.EvType, int(EvOpenURL));
        }

        const QStringList copies = damagedCopies(m_dir);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readFile(m_dir + QLatin1Char('/') + copies.first()), bytes);
        // zarvo.dat now holds what the table holds, whole: the next start reads it as it is.
        QVector<EventRecord> again;
        QCOMPARE(EventStore(m_dir).load(path, again), EventStore::LoadResult::Loaded);
        QCOMPARE(again, table.rows());
        QCOMPARE(damagedCopies(m_dir), copies);
    }

    // Without a copy aside nothing is written over the original.
    void badRowsWithoutRoomForACopyLeaveTheFile()
    {
        QDir().mkpath(m_dir);
        const QString path = m_dir + QStringLiteral("/zarvo.dat");
        const QByteArray bytes = sqliteFile(
            path,
            QStringLiteral("PRAGMA user_version=1; %1 INSERT INTO events (RowNo, EvName, EvDate) VALUES "
                           "(1, 'one', '2026-12-10'), (2, 'two', '2026-02-30');")
                .arg(QLatin1String(kSchema)));
        // Permission bits do not stop root; an immutable folder does.
        const bool root = ::geteuid() == 0;
        if (root) {
            if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_dir}) != 0)
                QSKIP("cannot make the folder immutable here");
        } else {
            QVERIFY(QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::ExeOwner));
        }
        const auto unlock = qScopeGuard([&] {
            if (root) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_dir});
            QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        EvTable table;
        EventStore store(m_dir);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not be copied aside")));
        store.LoadEvents(table);
        QCOMPARE(table.RecordCount(), 1);
        QVERIFY(store.eventsFileProtected());
        QVERIFY(!store.SaveEvents(table));
        QCOMPARE(readFile(path), bytes);
    }

    void damagedCopiesNeverOverwriteEachOther()
    {
        EventStore store(m_dir);
        QDir().mkpath(m_dir);
        const QString path = store.path(EventStore::EventsFile);
        QStringList contents;
        for (int i = 0; i < 3; ++i) {
            const QByteArray bytes = QByteArray("garbage ") + QByteArray::number(i);
            contents << QString::fromLatin1(bytes);
            QVERIFY(writeFile(path, bytes));
            QVector<EventRecord> rows;
            QString keptAs;
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("kept as")));
            QCOMPARE(store.load(path, rows, &keptAs), EventStore::LoadResult::Damaged);
            QVERIFY(keptAs.startsWith(path + QStringLiteral(".damaged-")));
        }
        QStringList found;
        for (const QString& name : damagedCopies(m_dir))
            found << QString::fromLatin1(readFile(m_dir + QLatin1Char('/') + name));
        found.sort();
        QCOMPARE(found, contents);
    }

    void missingFileLeavesTableAlone()
    {
        EventStore store(m_dir);
        EvTable table;
        store.LoadEvents(table);
        QCOMPARE(table.RecordCount(), 0);
        QVERIFY(!QFileInfo::exists(m_dir)); // loading creates nothing
        // No file yet, nothing pending: a save writes an empty table.
        QVERIFY(store.SaveEvents(table));
        QVector<EventRecord> rows{EventRecord()};
        QCOMPARE(store.load(store.path(EventStore::EventsFile), rows), EventStore::LoadResult::Loaded);
        QVERIFY(rows.isEmpty());
    }

    void unreadableFileIsNeverReplaced_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("no read permission") << false;
    }
    void unreadableFileIsNeverReplaced()
    {
        QFETCH(bool, directory);
        EventStore store(m_dir);
        const QString path = store.path(EventStore::EventsFile);
        QDir().mkpath(m_dir);
        if (directory) {
            QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        } else {
            if (::geteuid() == 0) QSKIP("root reads every file");
            QVERIFY(store.save(path, sampleRows()));
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }
        EvTable table;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("cannot read .*will not be overwritten")));
        store.LoadEvents(table);
        QCOMPARE(table.RecordCount(), 0);
        QVERIFY(store.eventsFileProtected());
        table.Append();
        table.setFieldValue(Field::EvName, QStringLiteral("would replace"));
        QVERIFY(!store.SaveEvents(table));
        QCOMPARE(table.RecordCount(), 1); // posted all the same
        QVERIFY(damagedCopies(m_dir).isEmpty());
        if (directory) {
            QVERIFY(QFileInfo(path).isDir());
        } else {
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QVector<EventRecord> rows;
            QCOMPARE(store.load(path, rows), EventStore::LoadResult::Loaded);
            QCOMPARE(rows, sampleRows());
        }
        // The backup is another matter: it may be written.
        QVERIFY(store.SaveBackup(table));
    }

    void unwritableFolderFailsSilently()
    {
        // A file where the folder should be: no folder can be made, whoever runs the test.
        QVERIFY(writeFile(m_dirs->dataHome() + QStringLiteral("/blocker"), "x"));
        EventStore store(m_dirs->dataHome() + QStringLiteral("/blocker/zarvo"));
        EvTable table;
        table.replaceAll(sampleRows());
        QVERIFY(!store.SaveEvents(table));
        QVERIFY(!store.SaveBackup(table));
        QCOMPARE(table.RecordCount(), sampleRows().size());
    }

    void savesPostThePendingRow()
    {
        EventStore store(m_dir);
        EvTable table;
        table.replaceAll(sampleRows());
        table.Append();
        table.setFieldValue(Field::EvName, QStringLiteral("typed, not posted"));
        QVERIFY(store.SaveEvents(table));
        QCOMPARE(table.state(), EvTable::State::Browse);
        QVector<EventRecord> rows;
        QCOMPARE(store.load(store.path(EventStore::EventsFile), rows), EventStore::LoadResult::Loaded);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.last().EvName, QStringLiteral("typed, not posted"));

        table.First();
        table.setFieldValue(Field::EvRec, QStringLiteral("9"));
        QVERIFY(store.SaveBackup(table));
        QCOMPARE(store.load(store.path(EventStore::BackupFile), rows), EventStore::LoadResult::Loaded);
        QCOMPARE(rows.first().EvRec, 9);
    }

    void backupAndRestore()
    {
        EventStore store(m_dir);
        EvTable table;
        table.replaceAll(sampleRows());
        QVERIFY(store.SaveEvents(table));
        const QByteArray eventsFile = readFile(store.path(EventStore::EventsFile));
        QVERIFY(store.SaveBackup(table));
        const QVector<EvTable::RowId> ids = table.ids();
        // What the Properties dialog might do before Cancel.
        table.Append();
        table.setFieldValue(Field::EvName, QStringLiteral("added"));
        table.Post();
        table.First();
        table.Delete();
        table.setFieldValue(Field::EvName, QStringLiteral("renamed"));
        QVERIFY(store.RestoreBackup(table, ids));
        QCOMPARE(table.rows(), sampleRows());
        // The same rows: someone who kept a row's identity still finds it.
        QCOMPARE(table.ids(), ids);
        QCOMPARE(table.RecNo(), 1);
        QCOMPARE(table.state(), EvTable::State::Browse);
        QCOMPARE(readFile(store.path(EventStore::EventsFile)), eventsFile);
    }

    void emptyTableBackupStaysEmpty()
    {
        EventStore store(m_dir);
        EvTable table;
        store.LoadEvents(table);
        QVERIFY(store.SaveBackup(table));
        table.Append(); // Add pressed, nothing typed, Cancel
        QVERIFY(store.RestoreBackup(table, table.ids()));
        QCOMPARE(table.RecordCount(), 0);
        QCOMPARE(table.state(), EvTable::State::Browse);
    }

    void restoreWithoutUsableBackupKeepsTable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("damaged") << "damaged";
        QTest::newRow("a folder") << "folder";
    }
    void restoreWithoutUsableBackupKeepsTable()
    {
        QFETCH(QString, kind);
        EventStore store(m_dir);
        QDir().mkpath(m_dir);
        const QString backup = store.path(EventStore::BackupFile);
        if (kind == u"damaged") {
            QVERIFY(writeFile(backup, "not a table"));
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("rb.dat is not a readable")));
        } else if (kind == u"folder") {
            QVERIFY(QDir().mkpath(backup));
        }
        EvTable table;
        table.replaceAll(sampleRows());
        table.Last();
        table.Delete();
        QVERIFY(!store.RestoreBackup(table, table.ids()));
        QCOMPARE(table.RecordCount(), sampleRows().size() - 1);
    }

    void largeTable()
    {
        EventStore store(m_dir);
        EvTable table;
        table.replaceAll(makeEventRows(10000, QStringLiteral("big")));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(store.SaveEvents(table));
        const qint64 saveMs = timer.restart();
        EvTable loaded;
        store.LoadEvents(loaded);
        const qint64 loadMs = timer.elapsed();
        qInfo("10,000 rows: save %lld ms, load %lld ms, %lld bytes", saveMs, loadMs,
              QFileInfo(store.path(EventStore::EventsFile)).size());
        QCOMPARE(loaded.RecordCount(), 10000);
        QCOMPARE(loaded.rows(), table.rows());
    }

    // A save killed at any moment leaves the old table or the new one, never a broken file.
    void killedWhileSaving()
    {
        const QVector<EventRecord> a = makeEventRows(2000, QStringLiteral("A"));
        const QVector<EventRecord> b = makeEventRows(2100, QStringLiteral("B"));
        EventStore store(m_dir);
        const QString path = store.path(EventStore::EventsFile);
        QRandomGenerator rng(QRandomGenerator::global()->generate());
        int sawA = 0, sawB = 0;
        for (int round = 0; round < 20; ++round) {
            QProcess saver;
            saver.start(QStringLiteral(ZARVO_EVENTSAVER), {m_dir, QStringLiteral("2000")});
            QVERIFY2(saver.waitForStarted(10000), qPrintable(saver.errorString()));
            while (!saver.canReadLine())
                QVERIFY2(saver.waitForReadyRead(30000), "the saver did not start saving");
            QTest::qSleep(int(rng.bounded(1, 120)));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished(10000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

            QVector<EventRecord> rows;
            QCOMPARE(store.load(path, rows), EventStore::LoadResult::Loaded);
            if (rows == a)
                ++sawA;
            else if (rows == b)
                ++sawB;
            else
                QFAIL(qPrintable(
                    QStringLiteral("round %1: %2 rows, neither table").arg(round).arg(rows.size())));
        }
        qInfo("after 20 kills: old/new table A %d times, B %d times; files left: %s", sawA, sawB,
              qPrintable(QDir(m_dir).entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(' '))));
        QVERIFY(damagedCopies(m_dir).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEventStore)
#include "tst_eventstore.moc"
