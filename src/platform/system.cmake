# System actions: target_sources(zarvo_platform PRIVATE ...)
