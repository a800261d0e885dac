#include "app/GuardedApplication.h"

#include <QTimer>

#include <cstdio>
#include <stdexcept>

// An exception that escapes a handler is shown and the program goes on: the event loop keeps
// delivering events and a later timer still runs. (Its own main: the application object is the
// one under test.)
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    zarvo::GuardedApplication app(argc, argv);
    int after = 0;
    QTimer::singleShot(0, [] { throw std::runtime_error("thrown in a handler"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(10, [&] {
        ++after;
        QCoreApplication::exit(0);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
    const int status = QCoreApplication::exec();
    if (status != 0 || after != 1) {
        std::fprintf(stderr, "FAIL: the loop did not go on (status %d)\n", status);
        return 1;
    }
    std::fprintf(stderr, "PASS\n");
    return 0;
}
