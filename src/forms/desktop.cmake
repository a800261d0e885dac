# The sticker, the calendar, the about box and the help window share this helper; the about box
# asks the system through SystemInfo.
target_sources(zarvo_forms PRIVATE
    WindowPlacement.h WindowPlacement.cpp
)
target_sources(zarvo_platform PRIVATE
    ${PROJECT_SOURCE_DIR}/src/platform/SystemInfo.h
    ${PROJECT_SOURCE_DIR}/src/platform/SystemInfo.cpp
)
