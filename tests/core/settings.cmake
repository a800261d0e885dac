# Settings, their file and the password scrambling.
zarvo_add_test(tst_encrypt SOURCES core/tst_encrypt.cpp LIBS zarvo_core)
zarvo_add_test(tst_regfile SOURCES core/tst_regfile.cpp LIBS zarvo_core)
zarvo_add_test(tst_settingsstore SOURCES core/tst_settingsstore.cpp LIBS zarvo_core)

# The settings file parser under libFuzzer: cmake -DZARVO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++,
# then `fuzz_regfile tests/fuzz/corpus/regfile`. The parser is compiled into the target itself so
# that it carries the fuzzer's coverage instrumentation. CTest replays the corpus.
option(ZARVO_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(ZARVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "ZARVO_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_executable(fuzz_regfile fuzz/fuzz_regfile.cpp ${PROJECT_SOURCE_DIR}/src/core/RegFile.cpp)
    target_include_directories(fuzz_regfile PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/core)
    target_link_libraries(fuzz_regfile PRIVATE Qt6::Core)
    target_compile_options(fuzz_regfile PRIVATE -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)
    target_link_options(fuzz_regfile PRIVATE -fsanitize=fuzzer,address,undefined)
    zarvo_target_defaults(fuzz_regfile)
    add_test(NAME fuzz_regfile_corpus
             COMMAND fuzz_regfile -runs=0 ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/regfile)
    set_tests_properties(fuzz_regfile_corpus PROPERTIES LABELS fuzz)
endif()
