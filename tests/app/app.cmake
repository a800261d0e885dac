# The main window object on the offscreen platform, with the tray's presence decided by the test.
zarvo_add_test(tst_zarform SOURCES app/tst_zarform.cpp ${PROJECT_SOURCE_DIR}/resources/icons.qrc
    LIBS zarvo_app ENV "LC_ALL=C.UTF-8")
# The tray's icon and its activations on XEmbed and StatusNotifierItem trays.
zarvo_add_test(tst_traymenu SOURCES app/tst_traymenu.cpp ${PROJECT_SOURCE_DIR}/resources/icons.qrc LIBS zarvo_app)
