# The clock window's and the tray's handlers, and the two menus.
target_sources(zarvo_app PRIVATE
    zarFormClock.cpp zarFormTray.cpp
    AppActions.h AppActions.cpp
    EditorSession.h EditorSession.cpp
    GuardedApplication.h GuardedApplication.cpp
    ClockMenu.h ClockMenu.cpp
    TrayMenu.h TrayMenu.cpp
    ProgramIcon.h ProgramIcon.cpp
)
