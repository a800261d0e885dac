# The libFuzzer targets, one per parser of what others write: the settings file, the event
# files, the desktop files of the browser lookup, the server replies (POP3, SMTP, time protocol). Built with clang only, in a build folder of
# their own: tools/fuzz.sh configures it (-DZARVO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++), runs each
# target for a bounded time from its corpus and is part of tools/test.sh. Each target compiles
# the sources it reads itself, so that they carry the fuzzer's coverage instrumentation, and
# CTest replays its corpus, tests/fuzz/corpus/NAME (label "fuzz").
#
# A new target: tests/fuzz/fuzz_NAME.cpp, its corpus folder, a zarvo_add_fuzzer() line below and
# NAME in the list of tools/fuzz.sh.
option(ZARVO_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(NOT ZARVO_FUZZ)
    return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZARVO_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
endif()

# zarvo_add_fuzzer(NAME SOURCES... [LIBS libs...]): the target fuzz_NAME and its corpus replay.
function(zarvo_add_fuzzer name)
    cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(fuzz_${name} ${F_SOURCES})
    target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/core)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_${name} PRIVATE Qt6::Core ${F_LIBS})
    zarvo_target_defaults(fuzz_${name})
    add_test(NAME fuzz_${name}_corpus
             COMMAND fuzz_${name} -runs=0 ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(fuzz_${name}_corpus PROPERTIES LABELS fuzz)
endfunction()

set(core ${PROJECT_SOURCE_DIR}/src/core)
set(platform ${PROJECT_SOURCE_DIR}/src/platform)
zarvo_add_fuzzer(regfile SOURCES fuzz/fuzz_regfile.cpp ${core}/RegFile.cpp)
# The file format alone: the store's file handling around it is not what the bytes steer.
zarvo_add_fuzzer(eventfile
    SOURCES fuzz/fuzz_eventfile.cpp ${core}/EventFile.cpp ${core}/EventRecord.cpp ${core}/TextLimits.cpp
    LIBS PkgConfig::SQLITE3)
zarvo_add_fuzzer(desktopentry
    SOURCES fuzz/fuzz_desktopentry.cpp ${platform}/DesktopDefaults.cpp ${platform}/ShellWords.cpp
        ${platform}/KeyFile.cpp ${platform}/XdgPaths.cpp)
# What servers send: the clients' real reply handling, over loopback connections whose server
# side is written in advance.
set(net ${PROJECT_SOURCE_DIR}/src/net)
zarvo_add_fuzzer(replies
    SOURCES fuzz/fuzz_replies.cpp ${net}/NetErrors.cpp ${net}/HostLookup.cpp ${net}/TcpConnect.cpp
        ${net}/TlsTrust.cpp ${net}/Powersock.h ${net}/Powersock.cpp ${net}/NMpop3.h ${net}/NMpop3.cpp
        ${net}/NMExtstr.cpp ${net}/MailMime.cpp ${net}/NMsmtp.h ${net}/NMsmtp.cpp ${net}/NMTime.h
        ${net}/NMTime.cpp ${core}/LocalTime.cpp
    LIBS Qt6::Network)
