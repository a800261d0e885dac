zarvo_add_test(tst_zarnotifform SOURCES forms/tst_zarnotifform.cpp LIBS zarvo_forms)
# The about box again on a screen scaled by 2: its pictures come from the "@2x" files.
add_test(NAME tst_aboutform_x2 COMMAND tst_aboutform looksAsDesigned darkPalette)
set_tests_properties(tst_aboutform_x2 PROPERTIES LABELS unit
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2;ZARVO_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}")
zarvo_add_test(tst_commondialogs SOURCES forms/tst_commondialogs.cpp LIBS zarvo_forms)
