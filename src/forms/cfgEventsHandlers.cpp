// The Events page's handlers: each writes what its control says into the current row.
#include "CommonDialogs.h"
#include "EditorWidgets.h"
#include "cfgEventsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimeEdit>

namespace zarvo {

namespace {

const QString kSoundFilter = QStringLiteral("Sound files (*.wav)");
const QString kAllFilesFilter = QStringLiteral("All files (*)");

} // namespace

void CfgEventsPage::cfgAddButtonClick()
{
    setEventControlsEnabled(true);
    // Append commits the row being edited; the new row shows as an empty one (a Notification).
    m_table.Append();

    const QDateTime now = m_clock.now();
    {
        const QSignalBlocker dateBlock(m_datePicker), timeBlock(m_timePicker);
        m_datePicker->setDate(now.date());
        m_timePicker->setTime(wholeSeconds(now.time()));
    }
    m_table.setFieldValue(Field::EvDate, m_datePicker->date());
    m_table.setFieldValue(Field::EvTime, m_timePicker->time());
    m_table.setFieldValue(Field::EvRec, 0);
    m_table.setFieldValue(Field::EvRecMonth, 0);

    {
        const QSignalBlocker typeBlock(m_typeCombo);
        m_typeCombo->setCurrentIndex(EvNotification);
    }
    m_recCheckBox->setChecked(false);
    setRecurrenceControls(Recurrence::None);
    showTypePanel(EvNotification);
    m_nameEdit->setFocus();
    m_table.Post();
}

void CfgEventsPage::cfgRemoveButtonClick()
{
    if (m_table.RecordCount() == 0 && m_table.state() != EvTable::State::Insert) return;
    // The next row, or the new last one, becomes current and is shown.
    m_table.Delete();
    if (m_table.RecordCount() == 0) NoEventsState();
}

void CfgEventsPage::cfgTypeComboChange(int index)
{
    if (m_filling || index < 0) return;
    m_table.setFieldValue(Field::EvType, index);
    // A type starts with its own parameters empty; those of the type it had are left alone.
    switch (index) {
    case EvLaunchOpen:
        m_table.setFieldValue(Field::EvPath, QString());
        m_table.setFieldValue(Field::EvParam, QString());
        break;
    case EvShutdown: {
        m_table.setFieldValue(Field::EvShutType, ShutShutdown);
        const QSignalBlocker block(m_panels->shutTypeCombo);
        m_panels->shutTypeCombo->setCurrentIndex(ShutShutdown);
        break;
    }
    case EvMailMessage:
        m_table.setFieldValue(Field::EvMMAddress, QString());
        m_table.setFieldValue(Field::EvMMSubj, QString());
        break;
    case EvOpenURL:
        m_table.setFieldValue(Field::EvURL, QString());
        break;
    default:
        break;
    }
    showTypePanel(index);
}

void CfgEventsPage::cfgShutTypeComboChange(int index)
{
    if (m_filling || index < 0) return;
    m_table.setFieldValue(Field::EvShutType, index);
}

void CfgEventsPage::cfgDatePickerChange(const QDate& date)
{
    if (m_filling) return;
    m_table.setFieldValue(Field::EvDate, date);
    m_table.Post();
}

void CfgEventsPage::cfgTimePickerChange(const QTime& time)
{
    if (m_filling) return;
    m_table.setFieldValue(Field::EvTime, time);
    m_table.Post();
}

void CfgEventsPage::cfgRecCheckBoxClick(bool checked)
{
    if (checked) {
        {
            const QSignalBlocker block(m_recDays);
            m_recDays->setChecked(true);
        }
        setRecurrenceControls(Recurrence::Days);
        // A newly recurring event repeats daily until the user types another count.
        m_table.setFieldValue(Field::EvRec, 1);
        m_table.setFieldValue(Field::EvRecMonth, 0);
    } else {
        setRecurrenceControls(Recurrence::None);
        m_table.setFieldValue(Field::EvRec, 0);
        m_table.setFieldValue(Field::EvRecMonth, 0);
    }
}

void CfgEventsPage::RecDRBClick(bool checked)
{
    if (m_filling || !checked) return;
    m_table.setFieldValue(Field::EvRec, 1);
    m_table.setFieldValue(Field::EvRecMonth, 0);
    setRecurrenceControls(Recurrence::Days);
}

void CfgEventsPage::RecMRBClick(bool checked)
{
    if (m_filling || !checked) return;
    m_table.setFieldValue(Field::EvRecMonth, 1);
    m_table.setFieldValue(Field::EvRec, 0);
    setRecurrenceControls(Recurrence::Months);
}

void CfgEventsPage::IntervalCheckBoxClick(bool checked)
{
    m_table.setFieldValue(Field::EvInterval, checked);
    m_table.Post();
    m_panels->ibTimePicker->setEnabled(checked);
    m_panels->ieTimePicker->setEnabled(checked);
}

void CfgEventsPage::IBTimePickerChange(const QTime& time)
{
    if (m_filling) return;
    m_table.setFieldValue(Field::EvIntBTime, time);
    m_table.Post();
}

void CfgEventsPage::IETimePickerChange(const QTime& time)
{
    if (m_filling) return;
    QTimeEdit* end = m_panels->ieTimePicker;
    const QTime begin = m_panels->ibTimePicker->time();
    if (time < begin) {
        const QSignalBlocker block(end);
        end->setTime(begin);
    }
    m_table.setFieldValue(Field::EvIntETime, end->time());
    m_table.Post();
}

void CfgEventsPage::cfgCSButtonClick()
{
    const auto file = CommonDialogs::chooseOpenFile(this, kSoundFilter, QStringLiteral("wav"));
    if (!file) return;
    m_table.setFieldValue(Field::EvCS, *file);
    m_table.Post();
}

void CfgEventsPage::cfgCSTestButtonClick()
{
    m_sound.play(m_table.current().EvCS);
}

void CfgEventsPage::cfgPathButtonClick()
{
    const auto file = CommonDialogs::chooseOpenFile(this, kAllFilesFilter, QString());
    if (!file) return;
    m_table.setFieldValue(Field::EvPath, *file);
    m_table.Post();
}

} // namespace zarvo
