# The sticker, the calendar, the about box and the help pages. The pictures and pages are
# compiled into the tests as into the program.
zarvo_add_test(tst_stickerform SOURCES forms/tst_stickerform.cpp LIBS zarvo_forms)
zarvo_add_test(tst_calform SOURCES forms/tst_calform.cpp LIBS zarvo_forms)
zarvo_add_test(tst_aboutform SOURCES forms/tst_aboutform.cpp ${PROJECT_SOURCE_DIR}/resources/help.qrc
    LIBS zarvo_forms)
zarvo_add_test(tst_helpviewer SOURCES forms/tst_helpviewer.cpp ${PROJECT_SOURCE_DIR}/resources/help.qrc
    LIBS zarvo_forms)
