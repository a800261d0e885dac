# The Properties dialog and the events wizard.
zarvo_add_test(tst_cfgeventspage SOURCES forms/tst_cfgeventspage.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_cfgform SOURCES forms/tst_cfgform.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_evgrid SOURCES forms/tst_evgrid.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_zarwizform SOURCES forms/tst_zarwizform.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_cfgfiring SOURCES forms/tst_cfgfiring.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_cfgstartatlogin SOURCES forms/tst_cfgstartatlogin.cpp forms/EditorRig.h LIBS zarvo_forms)
zarvo_add_test(tst_cfgconnectpage SOURCES forms/tst_cfgconnectpage.cpp LIBS zarvo_forms)
