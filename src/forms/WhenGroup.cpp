#include "WhenGroup.h"

#include "EditorWidgets.h"
#include "EventTypes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace zarvo {

namespace {

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

WhenGroup::WhenGroup(const Names& names, OnTick onTick, const CountEditMaker& makeCountEdit, QWidget* parent)
    : QWidget(parent), m_onTick(onTick)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    column->addWidget(makeHeading(QStringLiteral("Date & Time"), this));
    auto* when = new QGridLayout;
    m_date = named(makeDatePicker(this), names.datePicker);
    m_time = named(makeTimePicker(this), names.timePicker);
    when->addWidget(makeBuddyLabel(QStringLiteral("&Date"), m_date, this), 0, 0);
    when->addWidget(m_date, 0, 1);
    when->addWidget(makeBuddyLabel(QStringLiteral("&Time"), m_time, this), 1, 0);
    when->addWidget(m_time, 1, 1);
    column->addLayout(when);

    column->addWidget(makeHeading(QStringLiteral("Recurrence"), this));
    m_recurring = named(new QCheckBox(QStringLiteral("Rec&urring"), this), names.recurring);
    column->addWidget(m_recurring);
    auto* every = new QGridLayout;
    m_days = named(new QRadioButton(QStringLiteral("Every"), this), names.daysButton);
    m_months = named(new QRadioButton(QStringLiteral("Every"), this), names.monthsButton);
    auto* units = new QButtonGroup(this);
    units->addButton(m_days);
    units->addButton(m_months);
    m_days->setChecked(true);
    m_daysEdit = named(makeCountEdit(Recurrence::Days, this), names.daysEdit);
    m_monthsEdit = named(makeCountEdit(Recurrence::Months, this), names.monthsEdit);
    m_daysLabel = named(makeBuddyLabel(names.daysCaption, m_daysEdit, this), names.daysLabel);
    m_monthsLabel = named(makeBuddyLabel(QStringLiteral("&month(s)"), m_monthsEdit, this), names.monthsLabel);
    every->addWidget(m_days, 0, 0);
    every->addWidget(m_daysEdit, 0, 1);
    every->addWidget(m_daysLabel, 0, 2);
    every->addWidget(m_months, 1, 0);
    every->addWidget(m_monthsEdit, 1, 1);
    every->addWidget(m_monthsLabel, 1, 2);
    every->setColumnStretch(3, 1);
    column->addLayout(every);
    followRecurring();

    connect(m_date, &QDateEdit::dateChanged, this, &WhenGroup::dateChanged);
    connect(m_time, &QTimeEdit::timeChanged, this, &WhenGroup::timeChanged);
    connect(m_recurring, &QCheckBox::clicked, this, &WhenGroup::onRecurringClicked);
    connect(m_days, &QRadioButton::toggled, this, &WhenGroup::onUnitToggled);
    connect(m_months, &QRadioButton::toggled, this, &WhenGroup::onUnitToggled);
}

QDate WhenGroup::date() const
{
    return m_date->date();
}

QTime WhenGroup::time() const
{
    return m_time->time();
}

WhenGroup::Recurrence WhenGroup::recurrence() const
{
    if (!m_recurring->isChecked()) return Recurrence::None;
    return m_months->isChecked() ? Recurrence::Months : Recurrence::Days;
}

void WhenGroup::showDate(const QDate& date)
{
    const QSignalBlocker block(m_date);
    m_date->setDate(date);
}

void WhenGroup::showTime(const QTime& time)
{
    const QSignalBlocker block(m_time);
    m_time->setTime(time);
}

void WhenGroup::showRecurrence(Recurrence r)
{
    const QSignalBlocker checkBlock(m_recurring), daysBlock(m_days), monthsBlock(m_months);
    m_recurring->setChecked(r != Recurrence::None);
    if (r == Recurrence::Days) m_days->setChecked(true);
    if (r == Recurrence::Months) m_months->setChecked(true);
    followRecurring();
}

void WhenGroup::setUsable(bool on)
{
    m_date->setEnabled(on);
    m_time->setEnabled(on);
    setRecurringUsable(on);
}

void WhenGroup::setRecurringUsable(bool on)
{
    m_recurring->setEnabled(on);
    followRecurring();
}

void WhenGroup::showForType(int eventType)
{
    m_time->setEnabled(takesTimeOfDay(eventType));
}

void WhenGroup::followRecurring()
{
    // A ticked box that cannot be used (no event to edit) leaves its choices unusable too.
    const bool recurring = m_recurring->isChecked() && m_recurring->isEnabledTo(this);
    const bool days = recurring && m_days->isChecked();
    const bool months = recurring && m_months->isChecked();
    m_days->setEnabled(recurring);
    m_months->setEnabled(recurring);
    m_daysEdit->setEnabled(days);
    m_daysLabel->setEnabled(days);
    m_monthsEdit->setEnabled(months);
    m_monthsLabel->setEnabled(months);
}

void WhenGroup::onRecurringClicked(bool ticked)
{
    if (ticked && m_onTick == OnTick::ChooseDays) {
        const QSignalBlocker block(m_days);
        m_days->setChecked(true);
    }
    followRecurring();
    emit recurrenceChanged(recurrence());
}

void WhenGroup::onUnitToggled(bool chosen)
{
    // The button left emits too; the one chosen speaks for both.
    if (!chosen) return;
    followRecurring();
    emit recurrenceChanged(recurrence());
}

} // namespace zarvo
