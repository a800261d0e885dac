# target_sources(zarvo_forms PRIVATE ...)
