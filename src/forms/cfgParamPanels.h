#pragma once

#include "BoundEdit.h"

#include <QStackedWidget>

class QComboBox;
class QToolButton;

namespace zarvo {

class IntervalGroup;

// The strip of parameter panels at the bottom of the Events page: six panels in one place, the
// one of the event's type in front and enabled, the others disabled so that the keyboard never
// lands on a hidden control.
class CfgParamPanels : public QStackedWidget
{
    Q_OBJECT
public:
    enum Panel
    {
        NoneSheet,
        AppSheet,
        ShutSheet,
        StartupSheet,
        MMSheet,
        URLSheet,
        PanelCount
    };

    explicit CfgParamPanels(EvTable& table, QWidget* parent = nullptr);

    // The panel an event type shows; types without parameters (and unknown ones) show none.
    static Panel panelFor(int eventType);
    void bringToFront(Panel panel);
    Panel front() const { return Panel(currentIndex()); }

    BoundEdit* pathEdit = nullptr;
    QToolButton* pathButton = nullptr;
    BoundEdit* paramEdit = nullptr;
    QComboBox* shutTypeCombo = nullptr;
    IntervalGroup* interval = nullptr;
    BoundEdit* mmAddressEdit = nullptr;
    BoundEdit* mmSubjEdit = nullptr;
    BoundEdit* urlEdit = nullptr;
};

} // namespace zarvo
