# The clock display of the clock window.
target_sources(zarvo_forms PRIVATE DingClock.h DingClock.cpp)
