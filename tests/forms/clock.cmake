zarvo_add_test(tst_dingclock SOURCES forms/tst_dingclock.cpp LIBS zarvo_forms)
