#include "cfgParamPanels.h"

#include "EditorWidgets.h"
#include "EventTypes.h"
#include "IntervalGroup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace zarvo {

namespace {

// A panel: its heading, then a grid of labelled controls.
QWidget* makePanel(QStackedWidget* stack, const char* name, const QString& heading, QGridLayout*& grid)
{
    auto* panel = new QWidget(stack);
    panel->setObjectName(QLatin1String(name));
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(makeHeading(heading, panel));
    grid = new QGridLayout;
    column->addLayout(grid);
    column->addStretch(1);
    stack->addWidget(panel);
    return panel;
}

BoundEdit* boundEdit(EvTable& table, Field field, const char* name, QWidget* parent)
{
    auto* edit = new BoundEdit(table, field, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

CfgParamPanels::CfgParamPanels(EvTable& table, QWidget* parent) : QStackedWidget(parent)
{
    QGridLayout* grid = nullptr;

    makePanel(this, "cfgNoneSheet", QStringLiteral("No additional parameters for this event type"), grid);

    QWidget* app =
        makePanel(this, "cfgAppSheet", QStringLiteral("Launch/Open  - additional parameters"), grid);
    pathEdit = boundEdit(table, Field::EvPath, "cfgPathEdit", app);
    pathButton = new QToolButton(app);
    pathButton->setObjectName(QStringLiteral("cfgPathButton"));
    pathButton->setText(QStringLiteral("..."));
    pathButton->setToolTip(QStringLiteral("Browse"));
    paramEdit = boundEdit(table, Field::EvParam, "cfgParamEdit", app);
    grid->addWidget(makeBuddyLabel(QStringLiteral("Pat&h"), pathEdit, app), 0, 0);
    grid->addWidget(pathEdit, 0, 1);
    grid->addWidget(pathButton, 0, 2);
    grid->addWidget(makeBuddyLabel(QStringLiteral("Pa&rameters"), paramEdit, app), 1, 0);
    grid->addWidget(paramEdit, 1, 1, 1, 2);

    QWidget* shut =
        makePanel(this, "cfgShutSheet", QStringLiteral("Shutdown  - additional parameters"), grid);
    shutTypeCombo = new QComboBox(shut);
    shutTypeCombo->setObjectName(QStringLiteral("cfgShutTypeCombo"));
    shutTypeCombo->addItems(shutdownTypeNames());
    grid->addWidget(makeBuddyLabel(QStringLiteral("Shutdo&wn type"), shutTypeCombo, shut), 0, 0);
    grid->addWidget(shutTypeCombo, 0, 1);
    grid->setColumnStretch(2, 1);

    QWidget* startup =
        makePanel(this, "cfgStartupSheet", QStringLiteral("Startup message  - additional parameters"), grid);
    interval = new IntervalGroup(Qt::Horizontal, startup);
    grid->addWidget(interval, 0, 0);

    QWidget* mm = makePanel(this, "cfgMMSheet", QStringLiteral("Mail message additional parameters"), grid);
    mmAddressEdit = boundEdit(table, Field::EvMMAddress, "MMAddressEdit", mm);
    mmSubjEdit = boundEdit(table, Field::EvMMSubj, "MMSubjEdit", mm);
    grid->addWidget(makeBuddyLabel(QStringLiteral("Add&ress"), mmAddressEdit, mm), 0, 0);
    grid->addWidget(mmAddressEdit, 0, 1);
    grid->addWidget(makeBuddyLabel(QStringLiteral("Su&bject"), mmSubjEdit, mm), 1, 0);
    grid->addWidget(mmSubjEdit, 1, 1);

    QWidget* url = makePanel(this, "cfgURLSheet", QStringLiteral("Open URL  - additional parameters"), grid);
    urlEdit = boundEdit(table, Field::EvURL, "cfgURLEdit", url);
    grid->addWidget(makeBuddyLabel(QStringLiteral("&URL"), urlEdit, url), 0, 0);
    grid->addWidget(urlEdit, 0, 1);

    bringToFront(NoneSheet);
}

CfgParamPanels::Panel CfgParamPanels::panelFor(int eventType)
{
    switch (parametersOf(eventType)) {
    case TypeParameters::Launch:
        return AppSheet;
    case TypeParameters::Shutdown:
        return ShutSheet;
    case TypeParameters::Startup:
        return StartupSheet;
    case TypeParameters::Mail:
        return MMSheet;
    case TypeParameters::Url:
        return URLSheet;
    case TypeParameters::None:
        break;
    }
    return NoneSheet;
}

void CfgParamPanels::bringToFront(Panel panel)
{
    for (int i = 0; i < count(); ++i)
        widget(i)->setEnabled(i == panel);
    setCurrentIndex(panel);
}

} // namespace zarvo
