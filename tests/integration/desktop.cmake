# The desktop windows and the tray under a window manager and a panel with a tray, on a free display.
add_test(NAME e2e_tray COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_tray.sh)
set_tests_properties(e2e_tray PROPERTIES LABELS integration TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
# The Properties dialog under the same desktop: the tray stays usable, a firing survives Cancel.
add_test(NAME e2e_editor COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_editor.sh)
set_tests_properties(e2e_editor PROPERTIES LABELS integration TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
