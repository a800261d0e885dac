# More app sources: target_sources(zarvo_app PRIVATE ...)
