# The system actions end to end: private buses from tools/rigs/dbusmock.sh, offscreen.
add_test(NAME e2e_shutdown COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_shutdown.sh)
set_tests_properties(e2e_shutdown PROPERTIES LABELS integration TIMEOUT 120
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
