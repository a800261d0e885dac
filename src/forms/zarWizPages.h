#pragma once

#include <QString>

class QComboBox;
class QLineEdit;
class QStackedWidget;
class QToolButton;

namespace zarvo {

class ClampSpinBox;
class IntervalGroup;
class WhenGroup;

// The ten pages of the events wizard, built into one stack in the order of their numbers, and
// the controls on them.
struct WizControls
{
    enum Page
    {
        WelcomePage,
        NamePage,
        TypePage,
        ShutPage,
        LaunchPage,
        MMPage,
        URLPage,
        StartupPage,
        CSPage,
        WhenPage,
        PageCount
    };

    QLineEdit* nameEdit = nullptr;
    QComboBox* typeCombo = nullptr;
    QComboBox* shutTypeCombo = nullptr;
    QLineEdit* pathEdit = nullptr;
    QToolButton* pathButton = nullptr;
    QLineEdit* paramEdit = nullptr;
    QLineEdit* mmAddressEdit = nullptr;
    QLineEdit* mmSubjEdit = nullptr;
    QLineEdit* urlEdit = nullptr;
    IntervalGroup* interval = nullptr;
    QLineEdit* csEdit = nullptr;
    QToolButton* csButton = nullptr;
    WhenGroup* when = nullptr;
    // The recurrence counts on the when page, spin edits of 1 to 999.
    ClampSpinBox* recEdit = nullptr;
    ClampSpinBox* recMEdit = nullptr;

    // Fills `stack` with the ten pages.
    void build(QStackedWidget* stack);
};

} // namespace zarvo
