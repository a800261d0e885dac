# The main window object on the offscreen platform, with the tray's presence decided by the test.
zarvo_add_test(tst_program SOURCES app/tst_program.cpp ${PROJECT_SOURCE_DIR}/resources/icons.qrc
    LIBS zarvo_app ENV "LC_ALL=C.UTF-8")
# Cancel of an editor while the scheduler fires, in simulated time.
zarvo_add_test(tst_tablebackup SOURCES app/tst_tablebackup.cpp LIBS zarvo_app ENV "LC_ALL=C.UTF-8")
# An exception escaping a handler: shown (one stderr line offscreen), and the loop goes on.
add_executable(tst_guardedapplication app/tst_guardedapplication.cpp)
target_link_libraries(tst_guardedapplication PRIVATE zarvo_app)
zarvo_target_defaults(tst_guardedapplication)
add_test(NAME tst_guardedapplication COMMAND tst_guardedapplication)
set_tests_properties(tst_guardedapplication PROPERTIES LABELS unit
    PASS_REGULAR_EXPRESSION "zarvo: thrown in a handler\nzarvo: Unknown exception\n(.*\n)?PASS")
# The tray's icon and its activations on XEmbed and StatusNotifierItem trays.
zarvo_add_test(tst_traymenu SOURCES app/tst_traymenu.cpp ${PROJECT_SOURCE_DIR}/resources/icons.qrc LIBS zarvo_app)
