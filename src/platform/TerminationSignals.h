#pragma once

#include <QObject>

class QSocketNotifier;

namespace zarvo {

// Turns SIGTERM and SIGINT into a Qt signal on the user-interface thread, so the program ends
// the same way as by its "Exit" command.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Blocks SIGTERM and SIGINT in the calling thread and in every thread it starts later. The
    // constructor does it too; main() calls it first when threads may start before that.
    static void block();
    // Undoes block() in a child process between fork and exec (async-signal-safe), so that the
    // programs this one starts can still be ended with SIGTERM and SIGINT; for
    // QProcess::setChildProcessModifier().
    static void unblockInChild();

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace zarvo
