#include "app/zarForm.h"
#include "forms/AboutForm.h"
#include "forms/zarCalForm.h"
#include "forms/zarNotifForm.h"
#include "forms/zarStickerForm.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/XdgPaths.h"

#include <QApplication>
#include <QDateTime>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

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

// --help and --version are answered on the spot, before the single-instance lock, so they
// neither reach a running copy nor touch a file. Any other argument is ignored.
std::optional<int> answerCommandLine(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Zarvo! %s\n", qPrintable(TAboutForm::version()));
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: zarvo [--help | --version]\n"
                        "\n"
                        "Zarvo! sits in the system tray and carries out your events when they fall due:\n"
                        "reminders, programs, documents, web pages, mail, mailbox checks, chimes. One copy\n"
                        "runs per user; starting it again while it runs does nothing.\n"
                        "\n"
                        "  --help     show this text and leave\n"
                        "  --version  show the version and leave\n"
                        "\n"
                        "Settings: $XDG_CONFIG_HOME/zarvo/settings.reg (default ~/.config/zarvo/)\n"
                        "Events:   $XDG_DATA_HOME/zarvo/zarvo.dat (default ~/.local/share/zarvo/)\n");
            return 0;
        }
    }
    return std::nullopt;
}

// Every window carries it (task switchers, notifications); the installed icon where there is
// one, the program's own pictures otherwise.
QIcon windowIcon()
{
    QIcon own;
    for (int size : {16, 32, 48, 64})
        own.addFile(QStringLiteral(":/icons/zarvo-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(DesktopNotifier::iconName(), own);
}

} // namespace

int main(int argc, char* argv[])
{
    if (const auto status = answerCommandLine(argc, argv)) return *status;

    SingleInstance instance;
    if (!instance.tryAcquire())
        return 0; // another copy runs (or the lock cannot be made): leave without a trace

    // Before Qt starts any thread, so that the signals reach only the user-interface thread.
    TerminationSignals::block();
    choosePlatform();

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("zarvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zarvo!"));
    QApplication::setWindowIcon(windowIcon());

    int status = 0;
    try {
        auto zarForm = std::make_unique<TzarForm>(settingsFilePath(), eventsDir());
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
