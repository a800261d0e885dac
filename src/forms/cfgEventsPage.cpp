#include "cfgEventsPage.h"

#include "EditorWidgets.h"
#include "EventTypes.h"
#include "IntervalGroup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace zarvo {

namespace {

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QToolButton* smallButton(const char* name, const QString& text, const QString& tip, QWidget* parent)
{
    auto* button = named(new QToolButton(parent), name);
    button->setText(text);
    button->setToolTip(tip);
    return button;
}

const WhenGroup::Names kWhenNames{.datePicker = "cfgDatePicker",
                                  .timePicker = "cfgTimePicker",
                                  .recurring = "cfgRecCheckBox",
                                  .daysButton = "RecDRB",
                                  .monthsButton = "RecMRB",
                                  .daysEdit = "cfgRecEdit",
                                  .monthsEdit = "cfgRecMEdit",
                                  .daysLabel = "cfgRecDaysLabel",
                                  .monthsLabel = "cfgRecMonthsLabel",
                                  .daysCaption = QStringLiteral("day(&s)")};

} // namespace

CfgEventsPage::CfgEventsPage(EvTable& table, ISoundPlayer& sound, const IClock& clock, QWidget* parent)
    : QWidget(parent), m_table(table), m_sound(sound), m_clock(clock)
{
    setObjectName(QStringLiteral("cfgEventsSheet"));
    buildLayout();
    connectHandlers();

    // The initial layout: no type and no recurrence until there is an event to show.
    m_typeCombo->setEnabled(false);
    m_when->setRecurringUsable(false);
}

QWidget* CfgEventsPage::buildLeftColumn()
{
    auto* left = new QWidget(this);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);

    column->addWidget(makeHeading(QStringLiteral("Event"), left));
    auto* event = new QGridLayout;
    m_nameEdit = named(new BoundEdit(m_table, Field::EvName, left), "cfgEvEdit");
    m_typeCombo = named(new QComboBox(left), "cfgTypeCombo");
    m_typeCombo->addItems(eventTypeNames());
    event->addWidget(makeBuddyLabel(QStringLiteral("Nam&e"), m_nameEdit, left), 0, 0);
    event->addWidget(m_nameEdit, 0, 1);
    event->addWidget(makeBuddyLabel(QStringLiteral("T&ype"), m_typeCombo, left), 1, 0);
    event->addWidget(m_typeCombo, 1, 1);
    column->addLayout(event);

    // The counts are typed straight into the row: digits only, three at most.
    const auto countEdit = [this](WhenGroup::Recurrence unit, QWidget* parent) {
        const Field field = unit == WhenGroup::Recurrence::Days ? Field::EvRec : Field::EvRecMonth;
        auto* edit = new BoundEdit(m_table, field, parent, 3);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
        return edit;
    };
    m_when = new WhenGroup(kWhenNames, WhenGroup::OnTick::ChooseDays, countEdit, left);
    column->addWidget(m_when);

    column->addWidget(makeHeading(QStringLiteral("Custom sound"), left));
    auto* sound = new QHBoxLayout;
    m_csEdit = named(new BoundEdit(m_table, Field::EvCS, left), "cfgCSEdit");
    m_csButton = smallButton("cfgCSButton", QStringLiteral("..."), QStringLiteral("Browse"), left);
    m_csTestButton = smallButton("cfgCSTestButton", QStringLiteral(">"), QStringLiteral("Test"), left);
    sound->addWidget(m_csEdit, 1);
    sound->addWidget(m_csButton);
    sound->addWidget(m_csTestButton);
    column->addLayout(sound);
    column->addStretch(1);
    return left;
}

void CfgEventsPage::buildLayout()
{
    auto* right = new QVBoxLayout;
    m_grid = named(new EvGrid(m_table, this), "EvGrid");
    m_grid->setMinimumSize(330, 220);
    right->addWidget(m_grid, 1);
    auto* buttons = new QHBoxLayout;
    m_addButton = named(new QPushButton(QStringLiteral("&Add"), this), "cfgAddButton");
    m_removeButton = named(new QPushButton(QStringLiteral("&Remove"), this), "cfgRemoveButton");
    for (QPushButton* b : {m_addButton, m_removeButton})
        b->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_removeButton);
    right->addLayout(buttons);

    auto* top = new QHBoxLayout;
    top->addWidget(buildLeftColumn());
    top->addLayout(right, 1);

    m_panels = new CfgParamPanels(m_table, this);
    auto* page = new QVBoxLayout(this);
    page->addLayout(top, 1);
    page->addWidget(m_panels);
}

void CfgEventsPage::connectHandlers()
{
    connect(m_addButton, &QPushButton::clicked, this, &CfgEventsPage::cfgAddButtonClick);
    connect(m_removeButton, &QPushButton::clicked, this, &CfgEventsPage::cfgRemoveButtonClick);
    connect(m_typeCombo, &QComboBox::currentIndexChanged, this, &CfgEventsPage::cfgTypeComboChange);
    connect(m_panels->shutTypeCombo, &QComboBox::currentIndexChanged, this,
            &CfgEventsPage::cfgShutTypeComboChange);
    connect(m_when, &WhenGroup::dateChanged, this, &CfgEventsPage::cfgDatePickerChange);
    connect(m_when, &WhenGroup::timeChanged, this, &CfgEventsPage::cfgTimePickerChange);
    connect(m_when, &WhenGroup::recurrenceChanged, this, &CfgEventsPage::cfgRecurrenceChange);
    connect(m_panels->interval, &IntervalGroup::intervalClicked, this, &CfgEventsPage::IntervalCheckBoxClick);
    connect(m_panels->interval, &IntervalGroup::beginChanged, this, &CfgEventsPage::IBTimePickerChange);
    connect(m_panels->interval, &IntervalGroup::endChanged, this, &CfgEventsPage::IETimePickerChange);
    connect(m_csButton, &QToolButton::clicked, this, &CfgEventsPage::cfgCSButtonClick);
    connect(m_csTestButton, &QToolButton::clicked, this, &CfgEventsPage::cfgCSTestButtonClick);
    connect(m_panels->pathButton, &QToolButton::clicked, this, &CfgEventsPage::cfgPathButtonClick);

    connect(&m_table, &EvTable::AfterScroll, this, &CfgEventsPage::onAfterScroll);
    connect(&m_table, &EvTable::fieldChanged, this, &CfgEventsPage::onFieldChanged);
}

void CfgEventsPage::openPage()
{
    if (m_table.RecordCount() == 0 && m_table.state() != EvTable::State::Insert) {
        NoEventsState();
        return;
    }
    m_typeCombo->setEnabled(true);
    m_when->setRecurringUsable(true);
    ShowCurrentEvent();
}

void CfgEventsPage::onAfterScroll()
{
    if (m_table.RecordCount() == 0 && m_table.state() != EvTable::State::Insert)
        NoEventsState();
    else
        ShowCurrentEvent();
}

void CfgEventsPage::setEventControlsEnabled(bool on)
{
    // The shutdown list is among them: once disabled with the rest, nothing else would enable it
    // again, and a Shutdown event added afterwards could not have its kind chosen.
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_removeButton, m_nameEdit, m_typeCombo, m_panels->shutTypeCombo})
        w->setEnabled(on);
    m_when->setUsable(on);
}

void CfgEventsPage::setCustomSoundEnabled(bool on)
{
    m_csEdit->setEnabled(on);
    m_csButton->setEnabled(on);
    m_csTestButton->setEnabled(on);
}

void CfgEventsPage::showTypePanel(int eventType)
{
    m_panels->bringToFront(CfgParamPanels::panelFor(eventType));
    setCustomSoundEnabled(takesCustomSound(eventType));
    m_when->showForType(eventType);
}

void CfgEventsPage::ShowCurrentEvent()
{
    if (m_table.RecordCount() == 0 && m_table.state() != EvTable::State::Insert) return;
    const EventRecord r = m_table.current();
    const QSignalBlocker typeBlock(m_typeCombo), shutBlock(m_panels->shutTypeCombo);
    m_filling = true;

    // Leaving NoEventsState because rows came back from elsewhere than Add is the same as Add's.
    setEventControlsEnabled(true);
    m_typeCombo->setCurrentIndex(r.EvType >= 0 && r.EvType < m_typeCombo->count() ? r.EvType : -1);
    m_when->showDate(r.EvDate);
    m_when->showTime(r.EvTime);
    // Showing the recurrence never writes it: the stored counts stay what they are, and the
    // bound edits show them.
    m_when->showRecurrence(r.EvRec != 0        ? WhenGroup::Recurrence::Days
                           : r.EvRecMonth != 0 ? WhenGroup::Recurrence::Months
                                               : WhenGroup::Recurrence::None);

    showTypePanel(r.EvType);
    if (r.EvType == EvShutdown)
        m_panels->shutTypeCombo->setCurrentIndex(r.EvShutType >= 0 && r.EvShutType < 4 ? r.EvShutType : -1);
    if (r.EvType == EvStartupMessage)
        m_panels->interval->showWindow(r.EvInterval, r.EvIntBTime, r.EvIntETime);
    m_filling = false;
}

void CfgEventsPage::NoEventsState()
{
    setEventControlsEnabled(false);
    setCustomSoundEnabled(false);
    m_panels->bringToFront(CfgParamPanels::NoneSheet);
    m_addButton->setEnabled(true);
}

void CfgEventsPage::onFieldChanged(Field f)
{
    // Another handler, or a firing, wrote a field an unbound control shows.
    const EventRecord& r = m_table.current();
    if (f == Field::EvDate) m_when->showDate(r.EvDate);
    if (f == Field::EvTime) m_when->showTime(r.EvTime);
}

} // namespace zarvo
