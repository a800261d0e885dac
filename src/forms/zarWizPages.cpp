#include "zarWizPages.h"

#include "EditorWidgets.h"
#include "cfgParamPanels.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
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
    intervalCheckBox = named(new QCheckBox(QStringLiteral("&Interval"), p), "IntervalCheckBox");
    auto* frame = new QGroupBox(p);
    auto* times = new QGridLayout(frame);
    ibTimePicker = named(makeTimePicker(frame), "IBTimePicker");
    ieTimePicker = named(makeTimePicker(frame), "IETimePicker");
    times->addWidget(makeBuddyLabel(QStringLiteral("&Begin"), ibTimePicker, frame), 0, 0);
    times->addWidget(ibTimePicker, 0, 1);
    times->addWidget(makeBuddyLabel(QStringLiteral("E&nd"), ieTimePicker, frame), 1, 0);
    times->addWidget(ieTimePicker, 1, 1);
    g->addWidget(intervalCheckBox, 0, 0, 1, 2);
    g->addWidget(frame, 1, 0, 1, 2);

    g = addPage(stack, "wizCSPanel", QStringLiteral("Select event's custom sound file and click \"Next\""),
                p);
    csEdit = edit("wizCSEdit", p);
    csButton = browseButton("cfgCSButton", p);
    g->addWidget(makeBuddyLabel(QStringLiteral("&Sound file"), csEdit, p), 0, 0);
    g->addWidget(csEdit, 0, 1);
    g->addWidget(csButton, 0, 2);

    g = addPage(stack, "wizWhenPanel", QStringLiteral("Select event's date and time and click \"Finish\""),
                p);
    auto* column = new QVBoxLayout;
    column->addWidget(makeHeading(QStringLiteral("Date & Time"), p));
    auto* when = new QGridLayout;
    datePicker = named(makeDatePicker(p), "wizDatePicker");
    timePicker = named(makeTimePicker(p), "wizTimePicker");
    when->addWidget(makeBuddyLabel(QStringLiteral("&Date"), datePicker, p), 0, 0);
    when->addWidget(datePicker, 0, 1);
    when->addWidget(makeBuddyLabel(QStringLiteral("&Time"), timePicker, p), 1, 0);
    when->addWidget(timePicker, 1, 1);
    column->addLayout(when);
    column->addWidget(makeHeading(QStringLiteral("Recurrence"), p));
    recCheckBox = named(new QCheckBox(QStringLiteral("Rec&urring"), p), "wizRecCheckBox");
    column->addWidget(recCheckBox);
    auto* every = new QGridLayout;
    dRB = named(new QRadioButton(QStringLiteral("Every"), p), "wizDRB");
    mRB = named(new QRadioButton(QStringLiteral("Every"), p), "wizMRB");
    auto* radios = new QButtonGroup(p);
    radios->addButton(dRB);
    radios->addButton(mRB);
    recEdit = named(new ClampSpinBox(1, 999, p), "wizRecEdit");
    recMEdit = named(new ClampSpinBox(1, 999, p), "wizRecMEdit");
    recDaysLabel = named(makeBuddyLabel(QStringLiteral("d&ay(s)"), recEdit, p), "wizRecDaysLabel");
    recMonthsLabel = named(makeBuddyLabel(QStringLiteral("&month(s)"), recMEdit, p), "wizRecMonthsLabel");
    every->addWidget(dRB, 0, 0);
    every->addWidget(recEdit, 0, 1);
    every->addWidget(recDaysLabel, 0, 2);
    every->addWidget(mRB, 1, 0);
    every->addWidget(recMEdit, 1, 1);
    every->addWidget(recMonthsLabel, 1, 2);
    every->setColumnStretch(3, 1);
    column->addLayout(every);
    g->addLayout(column, 0, 0, 1, 2);
}

} // namespace zarvo
