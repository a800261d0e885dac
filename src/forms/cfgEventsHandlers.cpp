// The Events page's handlers: each writes what its control says into the current row.
#include "CommonDialogs.h"
#include "EditorWidgets.h"
#include "cfgEventsPage.h"

#include <QComboBox>
#include <QSignalBlocker>

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
    m_when->showDate(now.date());
    m_when->showTime(wholeSeconds(now.time()));
    m_table.setFieldValue(Field::EvDate, m_when->date());
    m_table.setFieldValue(Field::EvTime, m_when->time());
    m_table.setFieldValue(Field::EvRec, 0);
    m_table.setFieldValue(Field::EvRecMonth, 0);

    {
        const QSignalBlocker typeBlock(m_typeCombo);
        m_typeCombo->setCurrentIndex(EvNotification);
    }
    m_when->showRecurrence(WhenGroup::Recurrence::None);
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
    m_table.setFieldValue(Field::EvDate, date);
    m_table.Post();
}

void CfgEventsPage::cfgTimePickerChange(const QTime& time)
{
    m_table.setFieldValue(Field::EvTime, time);
    m_table.Post();
}

void CfgEventsPage::cfgRecurrenceChange(WhenGroup::Recurrence r)
{
    // A newly recurring event, or one given the other unit, repeats every 1 day or month until
    // the user types another count; at most one of the counts is ever set.
    switch (r) {
    case WhenGroup::Recurrence::None:
        m_table.setFieldValue(Field::EvRec, 0);
        m_table.setFieldValue(Field::EvRecMonth, 0);
        break;
    case WhenGroup::Recurrence::Days:
        m_table.setFieldValue(Field::EvRec, 1);
        m_table.setFieldValue(Field::EvRecMonth, 0);
        break;
    case WhenGroup::Recurrence::Months:
        m_table.setFieldValue(Field::EvRecMonth, 1);
        m_table.setFieldValue(Field::EvRec, 0);
        break;
    }
}

void CfgEventsPage::IntervalCheckBoxClick(bool checked)
{
    m_table.setFieldValue(Field::EvInterval, checked);
    m_table.Post();
}

void CfgEventsPage::IBTimePickerChange(const QTime& time)
{
    m_table.setFieldValue(Field::EvIntBTime, time);
    m_table.Post();
}

void CfgEventsPage::IETimePickerChange(const QTime& time)
{
    // The group has snapped an end before the begin to it already.
    m_table.setFieldValue(Field::EvIntETime, time);
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
