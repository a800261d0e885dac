zarvo_add_test(tst_singleinstance SOURCES platform/tst_singleinstance.cpp LIBS zarvo_platform)
zarvo_add_test(tst_wallclocktimer SOURCES platform/tst_wallclocktimer.cpp LIBS zarvo_platform)
zarvo_add_test(tst_clockdriver SOURCES platform/tst_clockdriver.cpp LIBS zarvo_platform)
zarvo_add_test(tst_terminationsignals SOURCES platform/tst_terminationsignals.cpp LIBS zarvo_platform)
zarvo_add_test(tst_xdgpaths SOURCES platform/tst_xdgpaths.cpp LIBS zarvo_platform)
# It starts tools/rigs/sound.sh of its own and checks what gets played; without PulseAudio it
# checks only that the queue runs dry. The program's own recordings are compiled in.
zarvo_add_test(tst_qtsoundplayer SOURCES platform/tst_qtsoundplayer.cpp platform/SoundRig.h
    ${PROJECT_SOURCE_DIR}/resources/sounds.qrc LIBS zarvo_platform)
zarvo_add_test(tst_soundtheme SOURCES platform/tst_soundtheme.cpp LIBS zarvo_platform)
# Starting at login: the system's and the user's autostart entries in private folders.
zarvo_add_test(tst_autostart SOURCES platform/tst_autostart.cpp LIBS zarvo_platform)
