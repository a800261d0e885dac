# The Properties dialog and the events wizard.
zarvo_add_test(tst_cfgeventspage SOURCES forms/tst_cfgeventspage.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_cfgform SOURCES forms/tst_cfgform.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_evgrid SOURCES forms/tst_evgrid.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_zarwizform SOURCES forms/tst_zarwizform.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_cfgfiring SOURCES forms/tst_cfgfiring.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_cfgstartatlogin SOURCES forms/tst_cfgstartatlogin.cpp forms/EditorRig.h LIBS zarvo_forms)
# The grid's column widths again under the long date and time formats of two more locales.
foreach(locale bg_BG ko_KR)
    add_test(NAME tst_evgrid_${locale} COMMAND tst_evgrid columnWidths)
    set_tests_properties(tst_evgrid_${locale} PROPERTIES LABELS unit
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_TIME=${locale}.UTF-8;ZARVO_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}"
        ENVIRONMENT_MODIFICATION "LC_ALL=unset:")
endforeach()
zarvo_add_test(tst_cfgconnectpage SOURCES forms/tst_cfgconnectpage.cpp LIBS zarvo_forms)
