# The program object and its tray handlers, the editors' protocol, the actions, the two menus.
target_sources(zarvo_app PRIVATE
    Program.h Program.cpp ProgramTray.cpp
    EditorSession.h EditorSession.cpp
    TableBackup.h TableBackup.cpp
    AppActions.h AppActions.cpp
    GuardedApplication.h GuardedApplication.cpp
    ClockMenu.h ClockMenu.cpp
    TrayMenu.h TrayMenu.cpp
    ProgramIcon.h ProgramIcon.cpp
)
