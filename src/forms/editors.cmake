# The Properties dialog (its pages, the event list and the parameter panels) and the events wizard.
target_sources(zarvo_forms PRIVATE
    EditorWidgets.h EditorWidgets.cpp
    BoundEdit.h BoundEdit.cpp
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
