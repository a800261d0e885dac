zarvo_add_test(tst_zarnotifform SOURCES forms/tst_zarnotifform.cpp LIBS zarvo_forms)
