#include "app/GuardedApplication.h"
#include "app/zarForm.h"
#include "forms/zarCalForm.h"
#include "forms/zarNotifForm.h"
#include "forms/zarStickerForm.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/XdgPaths.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace zarvo;

namespace {

// Without a display the program still runs, on Qt's offscreen platform. Where only Wayland is
// offered, ask for X11 (XWayland), since Wayland clients may not place their own windows.
void choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (x11 && wayland) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else if (!x11 && !wayland) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        std::fprintf(stderr,
                     "zarvo: no display found; running on Qt's offscreen platform, windows are not shown\n");
    }
}

} // namespace

int main(int argc, char* argv[])
{
    SingleInstance instance;
    if (!instance.tryAcquire())
        return 0; // another copy runs (or the lock cannot be made): leave without a trace

    // Before Qt starts any thread, so that the signals reach only the user-interface thread.
    TerminationSignals::block();
    choosePlatform();

    GuardedApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("zarvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zarvo!"));

    int status = 0;
    try {
        auto zarForm = std::make_unique<TzarForm>(settingsFilePath(), eventsDir(), TrayMenu::TrayProbe{},
                                                  handledUpToFile());
        auto notifForm = std::make_unique<TzarNotifForm>(nullptr, [&](TzarNotifForm* form) {
            zarForm->setNotifForm(form); // start-up messages may already need it
            zarForm->RunStartupHooks();
        });
        auto stickerForm = std::make_unique<TStickerForm>(zarForm->settings(), zarForm->settingsStore());
        zarForm->setStickerForm(stickerForm.get());
        auto calForm = std::make_unique<TzarCalForm>(zarForm->settings(), zarForm->settingsStore(),
                                                     QDate::currentDate());
        zarForm->setCalForm(calForm.get());

        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::terminationRequested, zarForm.get(),
                         &TzarForm::ShutItemClick);

        // For the benchmark: the moment the message loop starts.
        if (qEnvironmentVariableIsSet("ZARVO_TRACE")) {
            QTimer::singleShot(0, [] {
                std::fprintf(stderr, "zarvo-trace: loop %lld\n", QDateTime::currentMSecsSinceEpoch());
            });
        }

        status = QApplication::exec();

        // The windows go in this order: the sticker writes its settings as it goes, then the
        // main window writes the window settings.
        stickerForm.reset();
        calForm.reset();
        notifForm.reset();
        zarForm.reset();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarvo: %s\n", e.what());
    }
    (void)status;
    instance.release();
    return 0;
}
