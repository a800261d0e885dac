#pragma once

#include <QApplication>

namespace zarvo {

// The application object. An exception that escapes a handler is caught here, at the event
// loop: it is shown in the standard error box (on the offscreen platform, where nobody could
// close a box, as one line on stderr) and the program goes on, rather than ending with every
// alarm the user relies on.
class GuardedApplication : public QApplication
{
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The program's error box: a modal box, or one line on stderr on the offscreen platform,
    // where nobody could close a box and it would stop the program.
    static void showError(const QString& text);
};

} // namespace zarvo
