#include "EventRecord.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using namespace zarvo;

class TestEventRecord : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fieldNames()
    {
        for (int i = 0; i < FieldCount; ++i) {
            const Field f = Field(i);
            QCOMPARE(fieldByName(QString::fromLatin1(fieldName(f))), f);
            QCOMPARE(fieldByName(QString::fromLatin1(fieldName(f)).toUpper()), f);
        }
        QCOMPARE(fieldName(Field::EvName), "EvName");
        QCOMPARE(fieldName(Field::EvRecMonth), "EvRecMonth");
        QCOMPARE(fieldKind(Field::EvDate), FieldKind::Date);
        QCOMPARE(fieldKind(Field::EvIntETime), FieldKind::Time);
        QCOMPARE(fieldKind(Field::EvShutType), FieldKind::Integer);
        QCOMPARE(fieldKind(Field::EvInterval), FieldKind::Boolean);
        QCOMPARE(fieldKind(Field::EvCS), FieldKind::Text);
        QVERIFY(!fieldByName(QStringLiteral("EvNope")));
        QVERIFY(!fieldByName(QString()));
    }

    void unsetFieldsReadAsZero()
    {
        const EventRecord r;
        for (int i = 0; i < FieldCount; ++i)
            QVERIFY(r.isNull(Field(i)));
        QCOMPARE(r.value(Field::EvDate).toDate(), QDate(1899, 12, 30));
        QCOMPARE(r.value(Field::EvTime).toTime(), QTime(0, 0));
        QCOMPARE(r.value(Field::EvType).toInt(), 0);
        QCOMPARE(r.value(Field::EvInterval).toBool(), false);
        QCOMPARE(r.value(Field::EvName).toString(), QString());
    }

    void isNullKeepsDirectAssignments()
    {
        EventRecord r;
        r.EvRec = 5;
        r.EvName = QStringLiteral("x");
        r.EvIntBTime = QTime(1, 2, 3);
        QVERIFY(!r.isNull(Field::EvRec));
        QVERIFY(!r.isNull(Field::EvName));
        QVERIFY(!r.isNull(Field::EvIntBTime));
        QVERIFY(r.isNull(Field::EvRecMonth));
        // Set to its unset value through setValue: set, so not NULL.
        r.setValue(Field::EvRecMonth, 0);
        QVERIFY(r.isSet(Field::EvRecMonth));
        QVERIFY(!r.isNull(Field::EvRecMonth));
        r.clear(Field::EvRecMonth);
        QVERIFY(r.isNull(Field::EvRecMonth));
    }

    void setValueConverts()
    {
        EventRecord r;
        r.setValue(Field::EvRec, QStringLiteral("12"));
        QCOMPARE(r.EvRec, 12);
        r.setValue(Field::EvRec, 7.6);
        QCOMPARE(r.EvRec, 8);
        QVERIFY(!r.trySetValue(Field::EvRec, QStringLiteral("1x")));
        QCOMPARE(r.EvRec, 8);
        r.setValue(Field::EvRec, QString());
        QCOMPARE(r.EvRec, 0);
        QVERIFY(r.isNull(Field::EvRec));

        QVERIFY(r.trySetValue(Field::EvType, 32767));
        QVERIFY(!r.trySetValue(Field::EvType, 32768));
        QCOMPARE(r.EvType, 32767);
        QVERIFY(!r.trySetValue(Field::EvRecMonth, qint64(1) << 40));

        r.setValue(Field::EvDate, 45351.75);
        QCOMPARE(r.EvDate, QDate(2024, 2, 29));
        r.setValue(Field::EvDate, QStringLiteral("2023-07-01"));
        QCOMPARE(r.EvDate, QDate(2023, 7, 1));
        r.setValue(Field::EvDate, QDateTime(QDate(2020, 5, 6), QTime(7, 8)));
        QCOMPARE(r.EvDate, QDate(2020, 5, 6));
        QVERIFY(!r.trySetValue(Field::EvDate, QStringLiteral("yesterday")));
        QCOMPARE(r.EvDate, QDate(2020, 5, 6));

        r.setValue(Field::EvTime, QStringLiteral("12:34:56.789"));
        QCOMPARE(r.EvTime, QTime(12, 34, 56, 789));
        r.setValue(Field::EvTime, 0.5);
        QCOMPARE(r.EvTime, QTime(12, 0));

        r.setValue(Field::EvInterval, QStringLiteral("Yes"));
        QCOMPARE(r.EvInterval, true);
        r.setValue(Field::EvInterval, 0);
        QCOMPARE(r.EvInterval, false);
        QVERIFY(r.isSet(Field::EvInterval));

        r.setValue(Field::EvName, 42);
        QCOMPARE(r.EvName, QStringLiteral("42"));
        r.setValue(Field::EvName, QVariant());
        QVERIFY(r.isNull(Field::EvName));
    }

    void textIsCutAtFieldSize()
    {
        EventRecord r;
        r.setValue(Field::EvPath, QString(300, QLatin1Char('a')));
        QCOMPARE(r.EvPath.size(), MaxTextLength);
        // Characters, not UTF-16 units: 255 letters and a character outside the BMP fit.
        const QString smiley = QString::fromUcs4(U"\U0001F600");
        r.setValue(Field::EvPath, QString(255, QLatin1Char('b')) + smiley + smiley);
        QCOMPARE(r.EvPath, QString(255, QLatin1Char('b')) + smiley);
    }

    void equality()
    {
        EventRecord a, b;
        QVERIFY(a == b);
        b.setValue(Field::EvType, 0);
        QVERIFY(!(a == b)); // set to 0 is stored as 0, unset as NULL
        a.EvType = 3;
        b.EvType = 3;
        QVERIFY(a == b); // both non-NULL with the same value
        b.EvName = QStringLiteral("n");
        QVERIFY(!(a == b));
    }

    void dateTimeValues_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("value");
        QTest::newRow("zero") << QDate(1899, 12, 30) << QTime(0, 0) << 0.0;
        QTest::newRow("1900-01-01") << QDate(1900, 1, 1) << QTime(0, 0) << 2.0;
        QTest::newRow("leap day noon") << QDate(2024, 2, 29) << QTime(12, 0) << 45351.5;
        QTest::newRow("six in the morning") << QDate(2000, 1, 1) << QTime(6, 0) << 36526.25;
        QTest::newRow("before zero") << QDate(1899, 12, 29) << QTime(6, 0) << -1.25;
        QTest::newRow("long before") << QDate(1800, 1, 1) << QTime(18, 0) << -36522.75;
    }
    void dateTimeValues()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(double, value);
        QCOMPARE(toDateTimeValue(date, time), value);
        QCOMPARE(dateFromValue(value), date);
        QCOMPARE(timeFromValue(value), time);
    }

    void dateTimeRounding()
    {
        // Just under midnight rounds up to the next day, not to 23:59:59.999 or 24:00.
        QCOMPARE(dateFromValue(45351.9999999999), QDate(2024, 3, 1));
        QCOMPARE(timeFromValue(45351.9999999999), QTime(0, 0));
        QCOMPARE(dateFromValue(-1.9999999999), QDate(1899, 12, 30));
        QCOMPARE(timeFromValue(-1.9999999999), QTime(0, 0));
        // Half a millisecond either side.
        QCOMPARE(timeFromValue(0.5 + 0.4 / 86400000.0), QTime(12, 0));
        QCOMPARE(timeFromValue(0.5 + 0.6 / 86400000.0), QTime(12, 0, 0, 1));
        // One third of a day is not a whole number of milliseconds.
        QCOMPARE(timeFromValue(1.0 / 3.0), QTime(8, 0));
        QCOMPARE(timeFromValue(2.0 / 3.0), QTime(16, 0));

        QVERIFY(!dateFromValue(std::numeric_limits<double>::quiet_NaN()).isValid());
        QVERIFY(!timeFromValue(std::numeric_limits<double>::infinity()).isValid());
        QVERIFY(!dateFromValue(1e300).isValid());
    }

    void dateTimeRoundTripIsExact()
    {
        QRandomGenerator rng(1234);
        for (int i = 0; i < 100000; ++i) {
            const QDate d = QDate(1, 1, 1).addDays(rng.bounded(3652058));
            const QTime t = QTime::fromMSecsSinceStartOfDay(int(rng.bounded(86400000)));
            const double v = toDateTimeValue(d, t);
            if (dateFromValue(v) != d || timeFromValue(v) != t)
                QFAIL(qPrintable(
                    QStringLiteral("%1 %2").arg(d.toString(Qt::ISODate), t.toString(Qt::ISODateWithMs))));
        }
    }
};

QTEST_GUILESS_MAIN(TestEventRecord)
#include "tst_eventrecord.moc"
