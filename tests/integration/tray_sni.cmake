# The tray on a StatusNotifierItem host (xfce4-panel on a private session bus, free display), and
# the program on a Wayland compositor with no X server.
add_test(NAME e2e_sni COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_sni.sh)
set_tests_properties(e2e_sni PROPERTIES LABELS integration TIMEOUT 180 RESOURCE_LOCK zarvo_install
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>;ZARVO_BUILD_DIR=${PROJECT_BINARY_DIR}")
add_test(NAME e2e_wayland COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/e2e_wayland.sh)
set_tests_properties(e2e_wayland PROPERTIES LABELS integration TIMEOUT 120
    ENVIRONMENT "ZARVO_BIN=$<TARGET_FILE:zarvo>")
