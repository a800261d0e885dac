# Chimes run in a zone with daylight-saving changes, so the night the clocks go forward is tested.
zarvo_add_test(tst_chimes SOURCES core/tst_chimes.cpp core/SchedulerRig.h
    ${PROJECT_SOURCE_DIR}/resources/sounds.qrc LIBS zarvo_core
    ENV "TZ=Europe/Berlin;LC_ALL=C.UTF-8")
