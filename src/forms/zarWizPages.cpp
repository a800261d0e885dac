#include "zarWizPages.h"

#include "EditorWidgets.h"
#include "EventTypes.h"
#include "IntervalGroup.h"
#include "WhenGroup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace zarvo {

namespace {

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A page: its heading over a rule, then a grid for its controls.
QGridLayout* addPage(QStackedWidget* stack, const char* name, const QString& heading, QWidget*& page)
{
    page = named(new QWidget(stack), name);
    auto* column = new QVBoxLayout(page);
    column->addWidget(makeHeading(heading, page));
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    column->addLayout(grid);
    column->addStretch(1);
    stack->addWidget(page);
    return grid;
}

QLineEdit* edit(const char* name, QWidget* parent)
{
    // The wizard takes texts of any length; the event keeps the first 256 characters.
    return named(new QLineEdit(parent), name);
}

QToolButton* browseButton(const char* name, QWidget* parent)
{
    auto* button = named(new QToolButton(parent), name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(QStringLiteral("Browse"));
    return button;
}

const WhenGroup::Names kWhenNames{.datePicker = "wizDatePicker",
                                  .timePicker = "wizTimePicker",
                                  .recurring = "wizRecCheckBox",
                                  .daysButton = "wizDRB",
                                  .monthsButton = "wizMRB",
                                  .daysEdit = "wizRecEdit",
                                  .monthsEdit = "wizRecMEdit",
                                  .daysLabel = "wizRecDaysLabel",
                                  .monthsLabel = "wizRecMonthsLabel",
                                  .daysCaption = QStringLiteral("d&ay(s)")};

} // namespace

void WizControls::build(QStackedWidget* stack)
{
    QWidget* p = nullptr;
    QGridLayout* g =
        addPage(stack, "wizWelcomePanel", QStringLiteral("Welcome to the Zarvo! Events Wizard"), p);
    auto* welcome = new QLabel(QStringLiteral("This wizard will help you to create new event.\n\n"
                                              "Click the \"Next\" button to proceed."),
                               p);
    welcome->setTextFormat(Qt::PlainText);
    g->addWidget(welcome, 0, 0, 1, 2);

    g = addPage(stack, "wizNamePanel", QStringLiteral("Select new event's name and click \"Next\""), p);
    nameEdit = edit("wizNameEdit", p);
    g->addWidget(makeBuddyLabel(QStringLiteral("N&ame"), nameEdit, p), 0, 0);
    g->addWidget(nameEdit, 0, 1);

    g = addPage(stack, "wizTypePanel", QStringLiteral("Select new event's type and click \"Next\""), p);
    typeCombo = named(new QComboBox(p), "wizTypeCombo");
    typeCombo->addItems(eventTypeNames());
    g->addWidget(makeBuddyLabel(QStringLiteral("Event t&ype"), typeCombo, p), 0, 0);
    g->addWidget(typeCombo, 0, 1);

    g = addPage(stack, "wizShutPanel", QStringLiteral("Select shutdown type and click \"Next\""), p);
    shutTypeCombo = named(new QComboBox(p), "wizShutTypeCombo");
    shutTypeCombo->addItems(shutdownTypeNames());
    g->addWidget(makeBuddyLabel(QStringLiteral("Shutdo&wn type"), shutTypeCombo, p), 0, 0);
    g->addWidget(shutTypeCombo, 0, 1);

    g = addPage(stack, "wizLaunchPanel", QStringLiteral("Select application or document and click \"Next\""),
                p);
    pathEdit = edit("wizPathEdit", p);
    pathButton = browseButton("cfgS15Button", p);
    paramEdit = edit("wizParamEdit", p);
    g->addWidget(makeBuddyLabel(QStringLiteral("P&ath"), pathEdit, p), 0, 0);
    g->addWidget(pathEdit, 0, 1);
    g->addWidget(pathButton, 0, 2);
    g->addWidget(makeBuddyLabel(QStringLiteral("Para&meters"), paramEdit, p), 1, 0);
    g->addWidget(paramEdit, 1, 1, 1, 2);

    g = addPage(stack, "wizMMPanel", QStringLiteral("Select mail message parameters and click \"Next\""), p);
    mmAddressEdit = edit("wizMMAddressEdit", p);
    mmSubjEdit = edit("wizMMSubjEdit", p);
    g->addWidget(makeBuddyLabel(QStringLiteral("&Address"), mmAddressEdit, p), 0, 0);
    g->addWidget(mmAddressEdit, 0, 1);
    g->addWidget(makeBuddyLabel(QStringLiteral("&Subject"), mmSubjEdit, p), 1, 0);
    g->addWidget(mmSubjEdit, 1, 1);

    g = addPage(stack, "wizURLPanel", QStringLiteral("Select URL to open and click \"Next\""), p);
    urlEdit = edit("wizURLEdit", p);
    g->addWidget(makeBuddyLabel(QStringLiteral("&URL"), urlEdit, p), 0, 0);
    g->addWidget(urlEdit, 0, 1);

    g = addPage(stack, "wizStartupPanel", QStringLiteral("Select startup interval and click \"Next\""), p);
    interval = new IntervalGroup(Qt::Vertical, p);
    g->addWidget(interval, 0, 0, 1, 2);

    g = addPage(stack, "wizCSPanel", QStringLiteral("Select event's custom sound file and click \"Next\""),
                p);
    csEdit = edit("wizCSEdit", p);
    csButton = browseButton("cfgCSButton", p);
    g->addWidget(makeBuddyLabel(QStringLiteral("&Sound file"), csEdit, p), 0, 0);
    g->addWidget(csEdit, 0, 1);
    g->addWidget(csButton, 0, 2);

    g = addPage(stack, "wizWhenPanel", QStringLiteral("Select event's date and time and click \"Finish\""),
                p);
    const auto countEdit = [this](WhenGroup::Recurrence unit, QWidget* parent) {
        auto* spin = new ClampSpinBox(1, 999, parent);
        (unit == WhenGroup::Recurrence::Days ? recEdit : recMEdit) = spin;
        return spin;
    };
    when = new WhenGroup(kWhenNames, WhenGroup::OnTick::KeepUnit, countEdit, p);
    g->addWidget(when, 0, 0, 1, 2);
}

} // namespace zarvo
