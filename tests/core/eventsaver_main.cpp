// Helper of tst_eventstore: saves two different tables alternately to <dir>/zarvo.dat, forever,
// until the test kills it. "ready" goes to stdout once the first save is on disk.
#include "EventRows.h"
#include "EventStore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    zarvo::EventStore store(QString::fromLocal8Bit(argv[1]));
    const int count = argc > 2 ? std::atoi(argv[2]) : 2000;
    const QVector<zarvo::EventRecord> tables[2] = {makeEventRows(count, QStringLiteral("A")),
                                                   makeEventRows(count + 100, QStringLiteral("B"))};
    const QString path = store.path(zarvo::EventStore::EventsFile);
    if (!store.save(path, tables[0])) return 1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (unsigned long i = 1;; ++i) {
        if (!store.save(path, tables[i % 2])) return 1;
    }
}
