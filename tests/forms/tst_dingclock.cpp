#include "FakeClock.h"
#include "forms/DingClock.h"

#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace zarvo;

namespace {

// Collects the regions of the paint events a widget receives.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget* w) { w->installEventFilter(this); }
    QRegion painted;
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(e)->region();
            ++count;
        }
        return false;
    }
};

QDateTime at(int h, int m, int s, int ms = 0)
{
    return QDateTime(QDate(2026, 3, 1), QTime(h, m, s, ms));
}

} // namespace

class TestDingClock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void cellsAreEqualAndCentred();
    void onlyChangedCellsRepaint_data();
    void onlyChangedCellsRepaint();
    void offersTheTimeBeforeShowingIt();
    void midnightTurn_data();
    void midnightTurn();
    void turnsAtTheWholeSecond_data();
    void turnsAtTheWholeSecond();
    void measureTurns();
};

void TestDingClock::text_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<QString>("expected"); // '|' stands for the locale's separator
    QTest::newRow("afternoon with seconds") << at(21, 5, 9) << true << "21|05|09";
    QTest::newRow("afternoon without") << at(21, 5, 9) << false << "21|05";
    QTest::newRow("early hours keep two digits") << at(3, 0, 0) << true << "03|00|00";
    QTest::newRow("just before midnight") << at(23, 59, 59, 999) << true << "23|59|59";
}

void TestDingClock::text()
{
    QFETCH(QDateTime, now);
    QFETCH(bool, seconds);
    QFETCH(QString, expected);
    DingClock clock;
    clock.setSecondsVisible(seconds);
    clock.tick(now);
    QCOMPARE(clock.shownText(), expected.replace(QLatin1Char('|'), DingClock::timeSeparator()));
}

void TestDingClock::cellsAreEqualAndCentred()
{
    DingClock clock;
    clock.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
    clock.resize(98, 18);
    clock.tick(at(11, 11, 11));
    const int eight = clock.fontMetrics().horizontalAdvance(QLatin1Char('8'));
    const int n = int(clock.shownText().size());
    for (int i = 0; i < n; ++i) {
        QCOMPARE(clock.cellRect(i).width(), eight);
        if (i > 0) QCOMPARE(clock.cellRect(i).left(), clock.cellRect(i - 1).right() + 1);
    }
    const int leftGap = clock.cellRect(0).left();
    const int rightGap = clock.width() - 1 - clock.cellRect(n - 1).right();
    QVERIFY2(qAbs(leftGap - rightGap) <= 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(leftGap).arg(rightGap)));
}

void TestDingClock::onlyChangedCellsRepaint_data()
{
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<QList<int>>("cells");
    QTest::newRow("a second") << at(12, 0, 1) << at(12, 0, 2) << QList<int>{7};
    QTest::newRow("ten seconds") << at(12, 0, 9) << at(12, 0, 10) << QList<int>{6, 7};
    QTest::newRow("a minute") << at(12, 9, 59) << at(12, 10, 0) << QList<int>{3, 4, 6, 7};
    QTest::newRow("a day") << at(23, 59, 59) << at(0, 0, 0) << QList<int>{0, 1, 3, 4, 6, 7};
    QTest::newRow("same second, later tick") << at(12, 0, 1) << at(12, 0, 1, 450) << QList<int>{};
}

void TestDingClock::onlyChangedCellsRepaint()
{
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(QList<int>, cells);
    // A clock that stands at the last tick's time: the display's own turn at the next real
    // second then shows nothing new, and only the ticks decide what is drawn.
    FakeClock still(from);
    QWidget window;
    window.resize(98, 18);
    auto* clock = new DingClock(&window);
    clock->setClock(&still);
    clock->resize(98, 18);
    clock->tick(from);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();

    PaintRecorder recorder(clock);
    still.set(to);
    clock->tick(to);
    QRegion expected;
    for (int i : cells)
        expected += clock->cellRect(i);
    if (cells.isEmpty()) {
        QTest::qWait(50);
        QCOMPARE(recorder.count, 0);
        return;
    }
    QTRY_VERIFY(recorder.count > 0);
    QCOMPARE(recorder.painted, expected);
}

void TestDingClock::offersTheTimeBeforeShowingIt()
{
    DingClock clock;
    clock.tick(at(8, 0, 0));
    const QString before = clock.shownText();
    QString shownWhenOffered;
    connect(&clock, &DingClock::OnGetTime, this, [&] { shownWhenOffered = clock.shownText(); });
    QSignalSpy spy(&clock, &DingClock::OnGetTime);
    clock.tick(at(8, 0, 1));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toDateTime(), at(8, 0, 1));
    QCOMPARE(shownWhenOffered, before);
}

void TestDingClock::midnightTurn_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<bool>("turns");
    QTest::newRow("midnight") << QTime(0, 0) << true;
    QTest::newRow("0.604 s after") << QTime(0, 0, 0, 604) << true;
    QTest::newRow("0.605 s after") << QTime(0, 0, 0, 605) << false;
    QTest::newRow("one second after") << QTime(0, 0, 1) << false;
    QTest::newRow("just before midnight") << QTime(23, 59, 59, 999) << false;
    QTest::newRow("noon") << QTime(12, 0) << false;
}

void TestDingClock::midnightTurn()
{
    QFETCH(QTime, time);
    QFETCH(bool, turns);
    QCOMPARE(DingClock::isMidnightTurn(time), turns);
}

QTEST_MAIN(TestDingClock)
#include "tst_dingclock.moc"

void TestDingClock::turnsAtTheWholeSecond_data()
{
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<QDateTime>("shown");  // the last tick
    QTest::addColumn<int>("untilTurn");    // ms from then to the whole second or minute
    QTest::addColumn<QString>("turnedTo"); // '|' stands for the locale's separator
    QTest::newRow("seconds, late in the second") << true << at(12, 0, 0, 700) << 300 << "12|00|01";
    QTest::newRow("seconds, early in the second") << true << at(12, 0, 0, 20) << 980 << "12|00|01";
    QTest::newRow("into the next day") << true << at(23, 59, 59, 600) << 400 << "00|00|00";
    QTest::newRow("minutes only") << false << at(12, 0, 59, 500) << 500 << "12|01";
}

// Shown, the clock turns at the whole second (or minute) without waiting for a tick; hidden,
// it keeps no timer.
void TestDingClock::turnsAtTheWholeSecond()
{
    QFETCH(bool, seconds);
    QFETCH(QDateTime, shown);
    QFETCH(int, untilTurn);
    QFETCH(QString, turnedTo);
    FakeClock clock(shown);
    DingClock ding;
    ding.setClock(&clock);
    ding.setSecondsVisible(seconds);
    ding.resize(98, 18);
    ding.tick(shown);
    QCOMPARE(ding.nextTurnMs(), -1);
    ding.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ding));
    // Aimed at the turn (less the time the test itself took, plus the one millisecond past it).
    const int aimed = ding.nextTurnMs();
    QVERIFY2(aimed > untilTurn - 100 && aimed <= untilTurn + 1, qPrintable(QString::number(aimed)));

    clock.set(shown.addMSecs(untilTurn + 1));
    QTRY_COMPARE_WITH_TIMEOUT(ding.shownText(),
                              turnedTo.replace(QLatin1Char('|'), DingClock::timeSeparator()), 3000);
    // And aimed at the one after, from the new time.
    QVERIFY(ding.nextTurnMs() > (seconds ? 900 : 59000));

    ding.hide();
    QCOMPARE(ding.nextTurnMs(), -1);
}

// A measurement, not a check: how late after the real second the shown seconds change, on the
// system's clock, over a few seconds. Run with ZARVO_MEASURE_TURNS=<seconds>.
void TestDingClock::measureTurns()
{
    const int seconds = qEnvironmentVariableIntValue("ZARVO_MEASURE_TURNS");
    if (seconds <= 0) QSKIP("a measurement: set ZARVO_MEASURE_TURNS to the number of seconds");
    DingClock ding;
    ding.resize(98, 18);
    ding.tick(QDateTime::currentDateTime());
    ding.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ding));
    QList<int> late;
    QString last = ding.shownText();
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    connect(&poll, &QTimer::timeout, &ding, [&] {
        if (ding.shownText() == last) return;
        last = ding.shownText();
        late << QTime::currentTime().msec();
    });
    poll.start(0);
    QTest::qWait(seconds * 1000);
    poll.stop();
    QVERIFY(!late.isEmpty());
    std::sort(late.begin(), late.end());
    qInfo("%lld turns; the shown second changed %d to %d ms after the real one (median %d)",
          qsizetype(late.size()), late.first(), late.last(), late.at(late.size() / 2));
}
