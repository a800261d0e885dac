# Settings, their file and the password scrambling.
zarvo_add_test(tst_encrypt SOURCES core/tst_encrypt.cpp LIBS zarvo_core)
zarvo_add_test(tst_regfile SOURCES core/tst_regfile.cpp LIBS zarvo_core)
zarvo_add_test(tst_settingsstore SOURCES core/tst_settingsstore.cpp LIBS zarvo_core)
