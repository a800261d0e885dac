# The system actions: session end, launching and opening files, the browser, the dial-up guard.
target_sources(zarvo_platform PRIVATE
    ShellWords.h ShellWords.cpp
    ShellOpen.h ShellOpen.cpp
    DesktopDefaults.h DesktopDefaults.cpp
    UrlArgument.h UrlArgument.cpp
    URLLauncher.h URLLauncher.cpp
    SessionEnd.h SessionEnd.cpp
    DialUpGuard.h DialUpGuard.cpp
    SystemActions.h SystemActions.cpp
)
