#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QTimeEdit;
class QToolButton;

namespace zarvo {

class ClampSpinBox;

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
    QCheckBox* intervalCheckBox = nullptr;
    QTimeEdit* ibTimePicker = nullptr;
    QTimeEdit* ieTimePicker = nullptr;
    QLineEdit* csEdit = nullptr;
    QToolButton* csButton = nullptr;
    QDateEdit* datePicker = nullptr;
    QTimeEdit* timePicker = nullptr;
    QCheckBox* recCheckBox = nullptr;
    QRadioButton* dRB = nullptr;
    QRadioButton* mRB = nullptr;
    ClampSpinBox* recEdit = nullptr;
    ClampSpinBox* recMEdit = nullptr;
    QLabel* recDaysLabel = nullptr;
    QLabel* recMonthsLabel = nullptr;

    // Fills `stack` with the ten pages.
    void build(QStackedWidget* stack);
};

} // namespace zarvo
