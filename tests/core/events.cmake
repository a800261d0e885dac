# Event record, event table and event files.
zarvo_add_test(tst_eventrecord SOURCES core/tst_eventrecord.cpp LIBS zarvo_core)
zarvo_add_test(tst_evtable SOURCES core/tst_evtable.cpp LIBS zarvo_core)

# Saves two tables alternately until killed; tst_eventstore kills it at random moments.
add_executable(zarvo_eventsaver core/eventsaver_main.cpp core/EventRows.h)
target_link_libraries(zarvo_eventsaver PRIVATE zarvo_core)
zarvo_target_defaults(zarvo_eventsaver)

zarvo_add_test(tst_eventstore SOURCES core/tst_eventstore.cpp core/EventRows.h
    LIBS zarvo_core PkgConfig::SQLITE3)
target_compile_definitions(tst_eventstore PRIVATE ZARVO_EVENTSAVER="$<TARGET_FILE:zarvo_eventsaver>")
add_dependencies(tst_eventstore zarvo_eventsaver)

# The saves of settings and events seen under strace: each rename is followed by a folder sync.
zarvo_add_test(tst_durablesaves SOURCES core/tst_durablesaves.cpp core/EventRows.h
    LIBS zarvo_core PkgConfig::SQLITE3)
