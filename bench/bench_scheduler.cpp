// Times the scheduler and the event files with 10,000 events:
//   SelectNextEvent, SaveEvents, LoadEvents (median of repeated runs, in milliseconds), and the
//   first selection after a load, which also moves on the recurring events left in the past.
#include "core/EvTable.h"
#include "core/EventAlarm.h"
#include "core/EventStore.h"
#include "core/Scheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace zarvo;

namespace {

struct Clock : IClock
{
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 10), QTime(12, 0)); }
};

struct Host : SchedulerHost, ISoundPlayer
{
    void SaveParameters() override {}
    void SaveEvents() override {}
    void SaveWindowSettings() override {}
    void AddNotification(const QString&) override {}
    void play(const QString&) override {}
    void enqueue(const QString&) override {}
    void stop() override {}
};

double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;

    QVector<EventRecord> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        EventRecord r;
        r.setValue(Field::EvName, QStringLiteral("Event number %1 with a longer text").arg(i));
        r.setValue(Field::EvDate, QDate(2026, 12, 10).addDays(i % 400 - 100));
        r.setValue(Field::EvTime, QTime(0, 0).addSecs((i * 7919) % 86400));
        r.setValue(Field::EvType, i % 8);
        r.setValue(Field::EvRec, i % 3);
        r.setValue(Field::EvCS, QStringLiteral("/usr/share/sounds/event.wav"));
        rows.append(r);
    }

    Clock clock;
    Settings settings;
    EvTable table;
    table.replaceAll(rows);
    EventAlarm alarm(clock);
    Host host;
    EventActions actions;
    Scheduler scheduler(clock, settings, table, alarm, host, host, actions);

    QTemporaryDir dir;
    EventStore store(dir.path());

    int passed = 0;
    for (const EventRecord& r : rows)
        passed += r.EvRec != 0 && QDateTime(r.EvDate, r.EvTime) <= clock.now();
    const double first = medianMs(1, [&] { scheduler.SelectNextEvent(); });
    const double select = medianMs(50, [&] { scheduler.SelectNextEvent(); });
    const double save = medianMs(15, [&] { store.SaveEvents(table); });
    const double load = medianMs(15, [&] { store.LoadEvents(table); });

    std::printf("events: %d\n", count);
    std::printf("First selection: %.3f ms (moving on %d passed recurring events)\n", first, passed);
    std::printf("SelectNextEvent: %.3f ms (median of 50)\n", select);
    std::printf("SaveEvents:      %.3f ms (median of 15)\n", save);
    std::printf("LoadEvents:      %.3f ms (median of 15)\n", load);
    return 0;
}
