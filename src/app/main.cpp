#include "app/GuardedApplication.h"
#include "app/Program.h"
#include "app/ProgramIcon.h"
#include "forms/AboutForm.h"
#include "forms/zarCalForm.h"
#include "forms/zarNotifForm.h"
#include "forms/zarStickerForm.h"
#include "platform/QtSoundPlayer.h"
#include "platform/SingleInstance.h"
#include "platform/SystemClock.h"
#include "platform/TerminationSignals.h"
#include "platform/XdgPaths.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

using namespace zarvo;

namespace {

// Without a display the program still runs, on Qt's offscreen platform. X11 comes first (also
// XWayland on a Wayland desktop), since Wayland clients may not place their own windows; where no
// X server answers, the program runs on Wayland, its windows placed by the compositor. Says
// whether the choice was the program's (false when the user named a platform).
bool choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return false;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // Qt tries each in turn and takes the first that connects; should no display answer, the
    // events still fire, without windows.
    if (x11)
        qputenv("QT_QPA_PLATFORM", wayland ? "xcb;wayland;offscreen" : "xcb;offscreen");
    else if (wayland)
        qputenv("QT_QPA_PLATFORM", "wayland;offscreen");
    else
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
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

} // namespace

int main(int argc, char* argv[])
{
    if (const auto status = answerCommandLine(argc, argv)) return *status;

    SingleInstance instance;
    if (!instance.tryAcquire())
        return 0; // another copy runs (silent), or the lock cannot be made (SingleInstance said why)

    // Before Qt starts any thread, so that the signals reach only the user-interface thread.
    TerminationSignals::block();
    const bool platformChosen = choosePlatform();

    GuardedApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (platformChosen) {
        // The programs that events start get the desktop's environment, not the program's choice.
        qunsetenv("QT_QPA_PLATFORM");
        if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
            std::fprintf(
                stderr,
                "zarvo: no display found; running on Qt's offscreen platform, windows are not shown\n");
    }
    QApplication::setApplicationName(QStringLiteral("zarvo"));
    // No display name: Qt would append it to every window title, and the titles are the
    // windows' own ("Calendar", "Properties", ...).
    // The desktop entry, the metainfo and the icons carry this id; Wayland compositors and
    // StatusNotifierItem hosts find the entry by it.
    QGuiApplication::setDesktopFileName(applicationId());
    QApplication::setWindowIcon(programIcon());

    int status = 0;
    try {
        // The services the program runs on: the system's clock and the sound server.
        SystemClock clock;
        QtSoundPlayer sound;
        auto program = std::make_unique<Program>(
            ProgramFiles{settingsFilePath(), eventsDir(), handledUpToFile()}, ProgramServices{clock, sound});
        auto notifForm = std::make_unique<TzarNotifForm>(nullptr, [&](TzarNotifForm* form) {
            program->setNotifForm(form); // start-up messages may already need it
            program->RunStartupHooks();
        });
        auto stickerForm = std::make_unique<TStickerForm>(program->settings(), program->settingsStore());
        program->setStickerForm(stickerForm.get());
        auto calForm =
            std::make_unique<TzarCalForm>(program->settings(), program->settingsStore(), clock.now().date());
        program->setCalForm(calForm.get());

        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::terminationRequested, program.get(),
                         &Program::ShutItemClick);

        // For the benchmark: the moment the message loop starts.
        if (qEnvironmentVariableIsSet("ZARVO_TRACE")) {
            QTimer::singleShot(0, [] {
                std::fprintf(stderr, "zarvo-trace: loop %lld\n", QDateTime::currentMSecsSinceEpoch());
            });
        }

        status = QApplication::exec();

        // The windows go in this order: the sticker writes its settings as it goes, then the
        // program writes the window settings.
        stickerForm.reset();
        calForm.reset();
        notifForm.reset();
        program.reset();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarvo: %s\n", e.what());
    }
    (void)status;
    instance.release();
    return 0;
}
