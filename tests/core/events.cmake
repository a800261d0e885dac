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

# A libFuzzer target for the event file decoder (clang only). It compiles the event sources
# itself so that they carry the fuzzer's coverage instrumentation.
option(ZARVO_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(ZARVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "ZARVO_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_executable(fuzz_eventfile fuzz/fuzz_eventfile.cpp
        ${PROJECT_SOURCE_DIR}/src/core/EventStore.cpp
        ${PROJECT_SOURCE_DIR}/src/core/EventFile.cpp
        ${PROJECT_SOURCE_DIR}/src/core/EventRecord.cpp
        ${PROJECT_SOURCE_DIR}/src/core/EvTable.cpp
        ${PROJECT_SOURCE_DIR}/src/core/EvTable.h)
    target_include_directories(fuzz_eventfile PRIVATE ${PROJECT_SOURCE_DIR}/src/core)
    target_compile_options(fuzz_eventfile PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_eventfile PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_eventfile PRIVATE Qt6::Core PkgConfig::SQLITE3)
    zarvo_target_defaults(fuzz_eventfile)
    # Run as: fuzz_eventfile -max_total_time=60 <scratch dir> tests/fuzz/corpus/eventfile
endif()
