# The Properties dialog (its pages, the event list and the parameter panels) and the events wizard,
# with the widget groups and the rules of the event types both of them use.
target_sources(zarvo_forms PRIVATE
    EditorWidgets.h EditorWidgets.cpp
    BoundEdit.h BoundEdit.cpp
    EventTypes.h EventTypes.cpp
    WhenGroup.h WhenGroup.cpp
    IntervalGroup.h IntervalGroup.cpp
    EvGridModel.h EvGridModel.cpp
    EvGrid.h EvGrid.cpp
    cfgParamPanels.h cfgParamPanels.cpp
    cfgEventsPage.h cfgEventsPage.cpp cfgEventsHandlers.cpp
    cfgParamPage.h cfgParamPage.cpp
    cfgStickerPage.h cfgStickerPage.cpp
    cfgConnectPage.h cfgConnectPage.cpp
    cfgForm.h cfgForm.cpp
    zarWizPages.h zarWizPages.cpp
    zarWizForm.h zarWizForm.cpp
)
