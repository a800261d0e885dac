# Scheduling runs in a zone with daylight-saving changes, so both changes can be tested.
zarvo_add_test(tst_scheduler SOURCES core/tst_scheduler.cpp core/SchedulerRig.h LIBS zarvo_core
    ENV "TZ=Europe/Berlin;LC_ALL=C.UTF-8")
