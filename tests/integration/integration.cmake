# End-to-end tests of the built program; they start their own X server and sound server.
add_test(NAME e2e_notification COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_notification.sh)
set_tests_properties(e2e_notification PROPERTIES LABELS integration TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
add_test(NAME e2e_bad_input COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_bad_input.sh)
set_tests_properties(e2e_bad_input PROPERTIES LABELS integration TIMEOUT 120
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
add_test(NAME e2e_chimes COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/chimes.sh)
set_tests_properties(e2e_chimes PROPERTIES LABELS integration TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
add_test(NAME e2e_missed COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_missed.sh)
set_tests_properties(e2e_missed PROPERTIES LABELS integration TIMEOUT 180 RUN_SERIAL TRUE
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
# A new user's first alarm: made in the wizard, heard (the desktop's alarm sound), seen (the
# Notifications window and a desktop notification on a mocked service).
add_test(NAME e2e_desktop_alarm COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_desktop_alarm.sh)
set_tests_properties(e2e_desktop_alarm PROPERTIES LABELS integration TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
