#include "cfgEventsPage.h"

#include "EditorWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimeEdit>
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

} // namespace

CfgEventsPage::CfgEventsPage(EvTable& table, ISoundPlayer& sound, const IClock& clock,
                             QWidget* parent)
    : QWidget(parent), m_table(table), m_sound(sound), m_clock(clock)
{
    setObjectName(QStringLiteral("cfgEventsSheet"));
    buildLayout();
    connectHandlers();

    // The initial layout: no type and no recurrence until there is an event to show.
    m_typeCombo->setEnabled(false);
    m_recCheckBox->setEnabled(false);
    setRecurrenceControls(Recurrence::None);
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

    column->addWidget(makeHeading(QStringLiteral("Date & Time"), left));
    auto* when = new QGridLayout;
    m_datePicker = named(makeDatePicker(left), "cfgDatePicker");
    m_timePicker = named(makeTimePicker(left), "cfgTimePicker");
    when->addWidget(makeBuddyLabel(QStringLiteral("&Date"), m_datePicker, left), 0, 0);
    when->addWidget(m_datePicker, 0, 1);
    when->addWidget(makeBuddyLabel(QStringLiteral("&Time"), m_timePicker, left), 1, 0);
    when->addWidget(m_timePicker, 1, 1);
    column->addLayout(when);

    column->addWidget(makeHeading(QStringLiteral("Recurrence"), left));
    m_recCheckBox = named(new QCheckBox(QStringLiteral("Rec&urring"), left), "cfgRecCheckBox");
    column->addWidget(m_recCheckBox);
    auto* every = new QGridLayout;
    m_recDays = named(new QRadioButton(QStringLiteral("Every"), left), "RecDRB");
    m_recMonths = named(new QRadioButton(QStringLiteral("Every"), left), "RecMRB");
    auto* radios = new QButtonGroup(left);
    radios->addButton(m_recDays);
    radios->addButton(m_recMonths);
    m_recDays->setChecked(true);
    m_recEdit = named(new BoundEdit(m_table, Field::EvRec, left, 3), "cfgRecEdit");
    m_recMEdit = named(new BoundEdit(m_table, Field::EvRecMonth, left, 3), "cfgRecMEdit");
    m_recDaysLabel = named(makeBuddyLabel(QStringLiteral("day(&s)"), m_recEdit, left), "cfgRecDaysLabel");
    m_recMonthsLabel =
        named(makeBuddyLabel(QStringLiteral("&month(s)"), m_recMEdit, left), "cfgRecMonthsLabel");
    for (BoundEdit* edit : {m_recEdit, m_recMEdit})
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    every->addWidget(m_recDays, 0, 0);
    every->addWidget(m_recEdit, 0, 1);
    every->addWidget(m_recDaysLabel, 0, 2);
    every->addWidget(m_recMonths, 1, 0);
    every->addWidget(m_recMEdit, 1, 1);
    every->addWidget(m_recMonthsLabel, 1, 2);
    every->setColumnStretch(3, 1);
    column->addLayout(every);

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
    connect(m_datePicker, &QDateEdit::dateChanged, this, &CfgEventsPage::cfgDatePickerChange);
    connect(m_timePicker, &QTimeEdit::timeChanged, this, &CfgEventsPage::cfgTimePickerChange);
    connect(m_recCheckBox, &QCheckBox::clicked, this, &CfgEventsPage::cfgRecCheckBoxClick);
    connect(m_recDays, &QRadioButton::toggled, this, &CfgEventsPage::RecDRBClick);
    connect(m_recMonths, &QRadioButton::toggled, this, &CfgEventsPage::RecMRBClick);
    connect(m_panels->intervalCheckBox, &QCheckBox::clicked, this, &CfgEventsPage::IntervalCheckBoxClick);
    connect(m_panels->ibTimePicker, &QTimeEdit::timeChanged, this, &CfgEventsPage::IBTimePickerChange);
    connect(m_panels->ieTimePicker, &QTimeEdit::timeChanged, this, &CfgEventsPage::IETimePickerChange);
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
    m_recCheckBox->setEnabled(true);
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
    for (QWidget* w : std::initializer_list<QWidget*>{m_removeButton, m_datePicker, m_timePicker, m_nameEdit,
                                                      m_recCheckBox, m_typeCombo, m_panels->shutTypeCombo})
        w->setEnabled(on);
}

void CfgEventsPage::setRecurrenceControls(Recurrence r)
{
    const bool recurring = r != Recurrence::None;
    m_recDays->setEnabled(recurring);
    m_recMonths->setEnabled(recurring);
    m_recEdit->setEnabled(r == Recurrence::Days);
    m_recDaysLabel->setEnabled(r == Recurrence::Days);
    m_recMEdit->setEnabled(r == Recurrence::Months);
    m_recMonthsLabel->setEnabled(r == Recurrence::Months);
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
    setCustomSoundEnabled(eventType == EvNotification || eventType == EvCheckMailbox ||
                          eventType == EvStartupMessage);
    m_timePicker->setEnabled(eventType != EvStartupMessage);
}

void CfgEventsPage::ShowCurrentEvent()
{
    if (m_table.RecordCount() == 0 && m_table.state() != EvTable::State::Insert) return;
    const EventRecord r = m_table.current();
    const QSignalBlocker typeBlock(m_typeCombo), dateBlock(m_datePicker), timeBlock(m_timePicker);
    const QSignalBlocker daysBlock(m_recDays), monthsBlock(m_recMonths);
    const QSignalBlocker shutBlock(m_panels->shutTypeCombo), ibBlock(m_panels->ibTimePicker),
        ieBlock(m_panels->ieTimePicker);
    m_filling = true;

    // Leaving NoEventsState because rows came back from elsewhere than Add is the same as Add's.
    setEventControlsEnabled(true);
    m_typeCombo->setCurrentIndex(r.EvType >= 0 && r.EvType < m_typeCombo->count() ? r.EvType : -1);
    m_datePicker->setDate(r.EvDate);
    m_timePicker->setTime(r.EvTime);

    // Showing the recurrence never writes it: the stored counts stay what they are.
    if (r.EvRec != 0) {
        m_recCheckBox->setChecked(true);
        m_recDays->setChecked(true);
        setRecurrenceControls(Recurrence::Days);
    } else if (r.EvRecMonth != 0) {
        m_recCheckBox->setChecked(true);
        m_recMonths->setChecked(true);
        setRecurrenceControls(Recurrence::Months);
    } else {
        m_recCheckBox->setChecked(false);
        setRecurrenceControls(Recurrence::None);
    }

    showTypePanel(r.EvType);
    if (r.EvType == EvShutdown)
        m_panels->shutTypeCombo->setCurrentIndex(r.EvShutType >= 0 && r.EvShutType < 4 ? r.EvShutType : -1);
    if (r.EvType == EvStartupMessage) {
        m_panels->intervalCheckBox->setChecked(r.EvInterval);
        m_panels->ibTimePicker->setTime(r.EvIntBTime);
        m_panels->ieTimePicker->setTime(r.EvIntETime);
        m_panels->ibTimePicker->setEnabled(r.EvInterval);
        m_panels->ieTimePicker->setEnabled(r.EvInterval);
    }
    m_filling = false;
}

void CfgEventsPage::NoEventsState()
{
    setEventControlsEnabled(false);
    m_recDays->setEnabled(false);
    m_recMonths->setEnabled(false);
    setRecurrenceControls(Recurrence::None);
    setCustomSoundEnabled(false);
    m_panels->bringToFront(CfgParamPanels::NoneSheet);
    m_addButton->setEnabled(true);
}

void CfgEventsPage::onFieldChanged(Field f)
{
    // Another handler, or a firing, wrote a field an unbound control shows.
    const EventRecord& r = m_table.current();
    m_filling = true;
    switch (f) {
    case Field::EvDate: {
        const QSignalBlocker block(m_datePicker);
        m_datePicker->setDate(r.EvDate);
        break;
    }
    case Field::EvTime: {
        const QSignalBlocker block(m_timePicker);
        m_timePicker->setTime(r.EvTime);
        break;
    }
    default:
        break;
    }
    m_filling = false;
}

} // namespace zarvo
