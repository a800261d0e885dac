#pragma once

#include <QDate>
#include <QTime>
#include <QWidget>

#include <functional>

class QCheckBox;
class QDateEdit;
class QLabel;
class QRadioButton;
class QTimeEdit;

namespace zarvo {

// When an event is due: the "Date & Time" group (date and time pickers) and the "Recurrence"
// group ("Rec&urring", then "Every" N days and "Every" N months, each with its count edit and
// unit label). The radio buttons can be used only while Recurring is ticked and can be used
// itself, and of the two count edits and labels only those of the chosen unit.
//
// The Events page writes each change into the row as it comes (the signals) and shows rows with
// the setters; the wizard reads the values when it builds its event. Setters never signal.
class WhenGroup : public QWidget
{
    Q_OBJECT
public:
    enum class Recurrence
    {
        None,
        Days,
        Months
    };
    Q_ENUM(Recurrence)

    // What the two editors name and caption differently.
    struct Names
    {
        const char* datePicker;
        const char* timePicker;
        const char* recurring;
        const char* daysButton;
        const char* monthsButton;
        const char* daysEdit;
        const char* monthsEdit;
        const char* daysLabel;
        const char* monthsLabel;
        QString daysCaption; // the accelerator differs
    };

    // What ticking Recurring chooses: every 1 day on the Events page, which writes the count at
    // once; the wizard keeps the unit chosen before, and its counts with it.
    enum class OnTick
    {
        ChooseDays,
        KeepUnit
    };

    // The count edits are the editor's own (bound to the row, or spin edits); the group asks for
    // them while it builds itself, so that they stand in the focus order after the radio buttons.
    using CountEditMaker = std::function<QWidget*(Recurrence unit, QWidget* parent)>;

    WhenGroup(const Names& names, OnTick onTick, const CountEditMaker& makeCountEdit,
              QWidget* parent = nullptr);

    QDate date() const;
    QTime time() const;
    // None unless Recurring is ticked; otherwise the unit chosen.
    Recurrence recurrence() const;

    void showDate(const QDate& date);
    void showTime(const QTime& time);
    // Ticks Recurring and chooses the unit, or unticks it keeping the unit chosen.
    void showRecurrence(Recurrence r);
    // Without an event to edit nothing can be used; with one, the pickers and Recurring can be
    // and the rest follows Recurring.
    void setUsable(bool on);
    // Recurring alone: the Events page opens with it unusable until it has an event to show.
    void setRecurringUsable(bool on);
    // The time picker is usable only for a type due at a time of day.
    void showForType(int eventType);

    QDateEdit* datePicker() const { return m_date; }
    QTimeEdit* timePicker() const { return m_time; }
    QCheckBox* recurringBox() const { return m_recurring; }
    QRadioButton* daysButton() const { return m_days; }
    QRadioButton* monthsButton() const { return m_months; }
    QWidget* daysEdit() const { return m_daysEdit; }
    QWidget* monthsEdit() const { return m_monthsEdit; }

signals:
    // Only what the user changes.
    void dateChanged(const QDate& date);
    void timeChanged(const QTime& time);
    // Recurring ticked or unticked, or the other unit chosen.
    void recurrenceChanged(zarvo::WhenGroup::Recurrence r);

private:
    void followRecurring();
    void onRecurringClicked(bool ticked);
    void onUnitToggled(bool chosen);

    OnTick m_onTick;
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_time = nullptr;
    QCheckBox* m_recurring = nullptr;
    QRadioButton* m_days = nullptr;
    QRadioButton* m_months = nullptr;
    QWidget* m_daysEdit = nullptr;
    QWidget* m_monthsEdit = nullptr;
    QLabel* m_daysLabel = nullptr;
    QLabel* m_monthsLabel = nullptr;
};

} // namespace zarvo
