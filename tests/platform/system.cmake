# The system actions. The D-Bus tests start their own private buses with tools/rigs/dbusmock.sh
# and refuse to run on any other bus.
zarvo_add_test(tst_shellopen SOURCES platform/tst_shellopen.cpp platform/RecordingProgram.h LIBS zarvo_platform)
zarvo_add_test(tst_urllauncher SOURCES platform/tst_urllauncher.cpp platform/RecordingProgram.h LIBS zarvo_platform)
zarvo_add_test(tst_dbusactions SOURCES platform/tst_dbusactions.cpp platform/DBusMockRig.h LIBS zarvo_platform)
set_tests_properties(tst_dbusactions PROPERTIES TIMEOUT 180)
zarvo_add_test(tst_desktopnotifier SOURCES platform/tst_desktopnotifier.cpp platform/DBusMockRig.h LIBS zarvo_platform)
set_tests_properties(tst_desktopnotifier PROPERTIES TIMEOUT 120)
