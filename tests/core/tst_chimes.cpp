#include "SchedulerRig.h"

#include "core/Chimes.h"
#include "core/LocalTime.h"

#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <ctime>
#include <initializer_list>

using namespace zarvo;

namespace {

const QDate Today(2026, 12, 10);
const QString QuarterFile = QStringLiteral("/sounds/quarter.wav");
const QString HalfFile = QStringLiteral("/sounds/half.wav");
const QString HourFile = QStringLiteral("/sounds/hour.wav");

QString rec(const QString& name)
{
    return QStringLiteral("queue:") + resourceSound(name);
}

// What the chimes asked the player for, in order: "play:<source>" or "queue:<source>".
struct RecordingPlayer : ISoundPlayer
{
    QStringList calls;
    void play(const QString& source) override { calls << QStringLiteral("play:") + source; }
    void enqueue(const QString& source) override { calls << QStringLiteral("queue:") + source; }
    void stop() override { calls << QStringLiteral("stop"); }
};

// Moves the clock to `end`, checking every alarm where the program would have: at each alarm's
// own moment and just after midnight.
void runTo(FakeClock& clock, std::initializer_list<AlarmSource*> alarms, const QDateTime& end)
{
    while (clock.now() < end) {
        QDateTime step = end;
        for (AlarmSource* a : alarms) {
            const QDateTime due = a->nextAlarmMoment();
            if (due.isValid() && due > clock.now() && due < step) step = due;
        }
        const QDateTime midnight(clock.now().date().addDays(1), QTime(0, 0, 0, 100));
        if (midnight < step) step = midnight;
        clock.set(step);
        for (AlarmSource* a : alarms)
            a->Tick();
    }
}

// The chimes on the visible clock's alarm, with the clock and the sound faked.
struct ChimeRig
{
    FakeClock clock;
    Settings settings;
    ClockAlarm ding{clock};
    RecordingPlayer sound;
    Chimes chimes{clock, settings, ding, sound};
    QList<QDateTime> rang; // the moments the alarm went off

    explicit ChimeRig(const QDateTime& start)
    {
        clock.set(start);
        settings.File15 = QuarterFile;
        settings.File30 = HalfFile;
        settings.File1h = HourFile;
        QObject::connect(&ding, &ClockAlarm::OnAlarm, [this] { rang << clock.now(); });
        QObject::connect(&ding, &ClockAlarm::OnAlarm, &chimes, &Chimes::DingClockAlarm);
    }
    void enable(const QString& which)
    {
        settings.Ding15 = which.contains(QLatin1String("15"));
        settings.Ding30 = which.contains(QLatin1String("30"));
        settings.Ding1h = which.contains(QLatin1String("1h"));
    }
    void runTo(const QDateTime& end) { ::runTo(clock, {&ding}, end); }
};

struct WavFormat
{
    int format = 0, channels = 0, rate = 0, bits = 0;
    qint64 dataBytes = -1;
};

WavFormat readWav(const QString& path)
{
    WavFormat w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return w;
    const QByteArray b = f.readAll();
    if (!b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") return w;
    for (qsizetype pos = 12; pos + 8 <= b.size();) {
        const QByteArray id = b.mid(pos, 4);
        const qint64 len = qFromLittleEndian<quint32>(b.constData() + pos + 4);
        if (id == "fmt " && len >= 16 && pos + 24 <= b.size()) {
            w.format = qFromLittleEndian<quint16>(b.constData() + pos + 8);
            w.channels = qFromLittleEndian<quint16>(b.constData() + pos + 10);
            w.rate = int(qFromLittleEndian<quint32>(b.constData() + pos + 12));
            w.bits = qFromLittleEndian<quint16>(b.constData() + pos + 22);
        } else if (id == "data") {
            w.dataBytes = pos + 8 + len <= b.size() ? len : -1;
            break;
        }
        pos += 8 + len + (len & 1);
    }
    return w;
}

} // namespace

class TestChimes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void arming_data();
    void arming();
    void switchedOffKeepsItsArmingAndComesBackOnReArming();
    void whatPlays_data();
    void whatPlays();
    void testButtonsSpeakAtAnyTime();
    void everySpokenTimeHasItsRecordings();
    void chimesGoOnWhileEventsAreDisabled();
    void eventInTheMinuteOfATwelveStrikeStillFires();
};

void TestChimes::initTestCase()
{
    // A zone with daylight-saving changes, whatever the machine's own zone is.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QVERIFY(hasOffsetChange(QDate(2026, 3, 29)));
}

void TestChimes::arming_data()
{
    QTest::addColumn<QString>("enabled"); // "15", "30", "1h" in any combination
    QTest::addColumn<QTime>("now");
    QTest::addColumn<QDateTime>("first"); // when it goes off; invalid: the alarm is off
    QTest::addColumn<int>("kind");
    QTest::addColumn<QTime>("second"); // the chime armed by the first one
    const QDate tomorrow = Today.addDays(1);

    QTest::newRow("hour only at 23:40")
        << "1h" << QTime(23, 40) << QDateTime(tomorrow, QTime(0, 0)) << 2 << QTime(1, 0);
    QTest::newRow("quarter only at 10:25")
        << "15" << QTime(10, 25) << QDateTime(Today, QTime(10, 45)) << 0 << QTime(11, 15);
    QTest::newRow("all three at 10:15:00, just after the quarter")
        << "15 30 1h" << QTime(10, 15) << QDateTime(Today, QTime(10, 30)) << 1 << QTime(10, 45);
    QTest::newRow("half only at 10:40")
        << "30" << QTime(10, 40) << QDateTime(Today, QTime(11, 30)) << 1 << QTime(12, 30);
    QTest::newRow("all three at 10:59:59")
        << "15 30 1h" << QTime(10, 59, 59) << QDateTime(Today, QTime(11, 0)) << 2 << QTime(11, 15);
    QTest::newRow("all three at 10:44")
        << "15 30 1h" << QTime(10, 44) << QDateTime(Today, QTime(10, 45)) << 0 << QTime(11, 0);
    QTest::newRow("half and hour at 10:05, second choice")
        << "30 1h" << QTime(10, 5) << QDateTime(Today, QTime(10, 30)) << 1 << QTime(11, 0);
    QTest::newRow("hour only at 10:05, third choice")
        << "1h" << QTime(10, 5) << QDateTime(Today, QTime(11, 0)) << 2 << QTime(12, 0);
    QTest::newRow("quarter and half at 23:50, past midnight")
        << "15 30" << QTime(23, 50) << QDateTime(tomorrow, QTime(0, 15)) << 0 << QTime(0, 30);
    QTest::newRow("half only at 23:35")
        << "30" << QTime(23, 35) << QDateTime(tomorrow, QTime(0, 30)) << 1 << QTime(1, 30);
    QTest::newRow("none") << "" << QTime(10, 5) << QDateTime() << 0 << QTime();
}

void TestChimes::arming()
{
    QFETCH(QString, enabled);
    QFETCH(QTime, now);
    QFETCH(QDateTime, first);
    QFETCH(int, kind);
    QFETCH(QTime, second);

    ChimeRig rig(QDateTime(Today, now));
    rig.enable(enabled);
    rig.ding.setAlarmEnabled(true); // must be switched off when no chime is on
    rig.chimes.zarCheckDing();
    QCOMPARE(rig.ding.AlarmEnabled(), first.isValid());
    if (!first.isValid()) {
        rig.runTo(QDateTime(Today.addDays(1), QTime(2, 0)));
        QVERIFY(rig.rang.isEmpty());
        QVERIFY(rig.sound.calls.isEmpty());
        return;
    }
    QCOMPARE(rig.chimes.ChimeKind, kind);
    QCOMPARE(rig.ding.alarmTime(), first.time());
    rig.runTo(first.addSecs(1));
    QCOMPARE(rig.rang, QList<QDateTime>{first});
    QVERIFY(!rig.sound.calls.isEmpty());
    // The chime re-armed the clock, in its own minute, for the chime after it.
    QCOMPARE(rig.ding.alarmTime(), second);
    QVERIFY(rig.ding.AlarmEnabled());
}

void TestChimes::switchedOffKeepsItsArmingAndComesBackOnReArming()
{
    ChimeRig rig(QDateTime(Today, QTime(10, 25)));
    rig.enable("15");
    rig.chimes.zarCheckDing();
    QCOMPARE(rig.ding.alarmTime(), QTime(10, 45));
    QCOMPARE(rig.chimes.ChimeKind, Chimes::KindQuarter);

    // Every chime switched off in the Properties dialog: the alarm is off, its time kept.
    rig.enable("");
    rig.chimes.zarCheckDing();
    QVERIFY(!rig.ding.AlarmEnabled());
    QCOMPARE(rig.ding.alarmTime(), QTime(10, 45));
    rig.runTo(QDateTime(Today, QTime(13, 0)));
    QVERIFY(rig.rang.isEmpty());

    // One switched on again: armed when the dialog closes.
    rig.enable("1h");
    rig.chimes.zarCheckDing();
    QVERIFY(rig.ding.AlarmEnabled());
    QCOMPARE(rig.ding.alarmTime(), QTime(14, 0));
    QCOMPARE(rig.chimes.ChimeKind, Chimes::KindHour);
    rig.runTo(QDateTime(Today, QTime(16, 30)));
    QCOMPARE(rig.rang, (QList<QDateTime>{QDateTime(Today, QTime(14, 0)), QDateTime(Today, QTime(15, 0)),
                                         QDateTime(Today, QTime(16, 0))}));
}

void TestChimes::whatPlays_data()
{
    // Settings as words: Ding15 Ding30 Ding1h Sound15 Sound30 Sound1h Repeat, and "nofiles".
    QTest::addColumn<QString>("config");
    QTest::addColumn<QDateTime>("chime"); // the moment of the one chime; the run starts a minute before
    QTest::addColumn<QStringList>("calls");

    const auto at = [](int h, int m) { return QDateTime(Today, QTime(h, m)); };
    const QStringList twelve(12, "queue:" + HourFile);

    QTest::newRow("talk at 14:15") << "Ding15" << at(14, 15)
                                   << QStringList{rec("ZARWTIS"), rec("ZARW14"), rec("ZARW15M")};
    QTest::newRow("talk at 9:45") << "Ding15" << at(9, 45)
                                  << QStringList{rec("ZARWTIS"), rec("ZARW9"), rec("ZARW45M")};
    QTest::newRow("talk at 10:30") << "Ding30" << at(10, 30)
                                   << QStringList{rec("ZARWTIS"), rec("ZARW10"), rec("ZARW30M")};
    QTest::newRow("talk at 14:00, no minutes")
        << "Ding1h" << at(14, 0) << QStringList{rec("ZARWTIS"), rec("ZARW14")};
    QTest::newRow("talk at midnight")
        << "Ding1h" << QDateTime(Today.addDays(1), QTime(0, 0)) << QStringList{rec("ZARWTIS"), rec("ZARW0")};
    QTest::newRow("quarter file") << "Ding15 Sound15" << at(10, 45) << QStringList{"play:" + QuarterFile};
    QTest::newRow("half file") << "Ding30 Sound30" << at(10, 30) << QStringList{"play:" + HalfFile};
    QTest::newRow("hour file once") << "Ding1h Sound1h" << at(15, 0) << QStringList{"play:" + HourFile};
    QTest::newRow("strike at 00:00") << "Ding1h Sound1h Repeat" << QDateTime(Today.addDays(1), QTime(0, 0))
                                     << twelve;
    QTest::newRow("strike at 12:00") << "Ding1h Sound1h Repeat" << at(12, 0) << twelve;
    QTest::newRow("strike at 13:00") << "Ding1h Sound1h Repeat" << at(13, 0)
                                     << QStringList{"queue:" + HourFile};
    QTest::newRow("strike at 23:00") << "Ding1h Sound1h Repeat" << at(23, 0) << twelve.mid(1);
    QTest::newRow("repeat means nothing when talking")
        << "Ding1h Repeat" << at(13, 0) << QStringList{rec("ZARWTIS"), rec("ZARW13")};
    // An empty file name plays nothing and does not cut short what is playing.
    QTest::newRow("empty quarter file") << "Ding15 Sound15 nofiles" << at(10, 15) << QStringList{};
    QTest::newRow("empty strike file") << "Ding1h Sound1h Repeat nofiles" << at(12, 0) << QStringList{};
    // 2:00 does not exist that night: the chime comes when the gap ends and tells that time.
    QTest::newRow("hour skipped in spring") << "Ding1h" << QDateTime(QDate(2026, 3, 29), QTime(3, 0))
                                            << QStringList{rec("ZARWTIS"), rec("ZARW3")};
    QTest::newRow("strike after the skipped hour")
        << "Ding1h Sound1h Repeat" << QDateTime(QDate(2026, 3, 29), QTime(3, 0)) << twelve.mid(9);
}

void TestChimes::whatPlays()
{
    QFETCH(QString, config);
    QFETCH(QDateTime, chime);
    QFETCH(QStringList, calls);

    ChimeRig rig(chime.addSecs(-60));
    const QStringList words = config.split(' ');
    rig.settings.Ding15 = words.contains("Ding15");
    rig.settings.Ding30 = words.contains("Ding30");
    rig.settings.Ding1h = words.contains("Ding1h");
    rig.settings.Sound15 = words.contains("Sound15");
    rig.settings.Sound30 = words.contains("Sound30");
    rig.settings.Sound1h = words.contains("Sound1h");
    rig.settings.Repeat = words.contains("Repeat");
    if (words.contains("nofiles"))
        rig.settings.File15 = rig.settings.File30 = rig.settings.File1h = QString();
    rig.chimes.zarCheckDing();
    rig.runTo(chime.addSecs(59));

    QCOMPARE(rig.rang, QList<QDateTime>{chime});
    QCOMPARE(rig.sound.calls, calls);
}

void TestChimes::testButtonsSpeakAtAnyTime()
{
    ChimeRig rig(QDateTime(Today, QTime(17, 3, 12)));
    rig.enable("15");
    rig.chimes.zarCheckDing();
    const QTime armed = rig.ding.alarmTime();
    const int kind = rig.chimes.ChimeKind;

    rig.chimes.SpeakTime(10, 15);
    rig.chimes.SpeakTime(10, 30);
    rig.chimes.SpeakTime(10, 0);
    QCOMPARE(rig.sound.calls, (QStringList{rec("ZARWTIS"), rec("ZARW10"), rec("ZARW15M"), rec("ZARWTIS"),
                                           rec("ZARW10"), rec("ZARW30M"), rec("ZARWTIS"), rec("ZARW10")}));
    // Testing a voice does not touch the armed chime.
    QCOMPARE(rig.ding.alarmTime(), armed);
    QCOMPARE(rig.chimes.ChimeKind, kind);
}

void TestChimes::everySpokenTimeHasItsRecordings()
{
    // Every source any chime can speak is one of the program's recordings, in the format the
    // player was checked with: PCM, mono, 11025 Hz, 8 bits, well under a second.
    FakeClock clock;
    Settings settings;
    ClockAlarm ding(clock);
    RecordingPlayer sound;
    Chimes chimes(clock, settings, ding, sound);
    for (int h = 0; h < 24; ++h)
        for (int m : {0, 15, 30, 45})
            chimes.SpeakTime(h, m);
    QStringList sources;
    for (const QString& c : std::as_const(sound.calls)) {
        QVERIFY(c.startsWith("queue:"));
        if (!sources.contains(c.mid(6))) sources << c.mid(6);
    }
    QCOMPARE(sources.size(), 28);
    for (const QString& s : std::as_const(sources)) {
        const WavFormat w = readWav(s);
        QVERIFY2(w.dataBytes > 0, qPrintable(s));
        QCOMPARE(w.format, 1);
        QCOMPARE(w.channels, 1);
        QCOMPARE(w.rate, 11025);
        QCOMPARE(w.bits, 8);
        QVERIFY2(w.dataBytes < 11025 * 9 / 10, qPrintable(s)); // under 0.9 s
    }
}

void TestChimes::chimesGoOnWhileEventsAreDisabled()
{
    SchedulerRig rig(QDateTime(Today, QTime(9, 50)));
    ClockAlarm ding(rig.clock);
    Chimes chimes(rig.clock, rig.settings, ding, rig);
    QObject::connect(&ding, &ClockAlarm::OnAlarm, &chimes, &Chimes::DingClockAlarm);
    rig.add("Meeting", Today, QTime(10, 20));
    rig.scheduler.SelectNextEvent();
    rig.settings.Disable = true; // from the tray
    rig.settings.Ding15 = rig.settings.Ding30 = rig.settings.Ding1h = true;
    rig.settings.Sound15 = rig.settings.Sound30 = rig.settings.Sound1h = true;
    rig.settings.File15 = QuarterFile;
    rig.settings.File30 = HalfFile;
    rig.settings.File1h = HourFile;
    chimes.zarCheckDing();

    runTo(rig.clock, {&rig.alarm, &ding}, QDateTime(Today, QTime(11, 1)));
    QVERIFY(rig.lines.isEmpty());
    QCOMPARE(rig.sounds, (QStringList{HourFile, QuarterFile, HalfFile, QuarterFile, HourFile}));
}

void TestChimes::eventInTheMinuteOfATwelveStrikeStillFires()
{
    // Twelve strikes of a two-second file take 24 s. Waiting for them would hold up the event
    // due five seconds into the same minute until its minute had passed, and it would never fire.
    SchedulerRig rig(QDateTime(Today, QTime(11, 59)));
    ClockAlarm ding(rig.clock);
    Chimes chimes(rig.clock, rig.settings, ding, rig);
    QObject::connect(&ding, &ClockAlarm::OnAlarm, &chimes, &Chimes::DingClockAlarm);
    QList<QDateTime> fired;
    QObject::connect(&rig.alarm, &EventAlarm::OnAlarm, [&] { fired << rig.clock.now(); });
    rig.settings.Ding1h = rig.settings.Sound1h = rig.settings.Repeat = true;
    rig.settings.File1h = HourFile;
    rig.settings.SoundFile = QStringLiteral("/sounds/event.wav");
    rig.add("Lunch", Today, QTime(12, 0, 5));
    rig.scheduler.SelectNextEvent();
    chimes.zarCheckDing();

    runTo(rig.clock, {&rig.alarm, &ding}, QDateTime(Today, QTime(12, 1)));

    // The chime handed all twelve strikes to the player at noon and re-armed for 13:00.
    QCOMPARE(ding.alarmTime(), QTime(13, 0));
    QStringList expected(12, "queued:" + HourFile);
    expected << QStringLiteral("/sounds/event.wav");
    QCOMPARE(rig.sounds, expected);
    // The event went off on its own second, while the strikes were still due to play.
    QCOMPARE(fired, QList<QDateTime>{QDateTime(Today, QTime(12, 0, 5))});
    QCOMPARE(rig.lines, QStringList{"Lunch - " + longTimeText(QTime(12, 0, 5))});
}

QTEST_GUILESS_MAIN(TestChimes)
#include "tst_chimes.moc"
