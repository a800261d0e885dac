#pragma once

#include "BoundEdit.h"
#include "EvGrid.h"
#include "WhenGroup.h"
#include "cfgParamPanels.h"

#include "core/Clock.h"
#include "core/SoundPlayer.h"

#include <QWidget>

class QComboBox;
class QPushButton;
class QToolButton;

namespace zarvo {

// The "Events" page of the Properties dialog: the list of events and, beside it, the controls
// that edit the table's current row live. Nothing here saves; the dialog's owner saves on OK and
// restores its backup otherwise. The page follows the table's cursor whoever moves it, so a
// firing that advances or deletes the row shown leaves the page showing what the table holds.
class CfgEventsPage : public QWidget
{
    Q_OBJECT
public:
    CfgEventsPage(EvTable& table, ISoundPlayer& sound, const IClock& clock, QWidget* parent = nullptr);

    // The state the page opens in: the current row shown, or NoEventsState on an empty table.
    void openPage();
    // Fills the page from the current row; nothing happens on an empty table.
    void ShowCurrentEvent();
    // Everything but Add disabled and no parameters shown: there is no event to edit.
    void NoEventsState();

    EvGrid* grid() const { return m_grid; }
    CfgParamPanels* panels() const { return m_panels; }

private:
    void buildLayout();
    QWidget* buildLeftColumn();
    void connectHandlers();
    void setEventControlsEnabled(bool on);
    void setCustomSoundEnabled(bool on);
    void showTypePanel(int eventType);
    void onAfterScroll();
    void onFieldChanged(Field f);

    void cfgAddButtonClick();
    void cfgRemoveButtonClick();
    void cfgTypeComboChange(int index);
    void cfgShutTypeComboChange(int index);
    void cfgDatePickerChange(const QDate& date);
    void cfgTimePickerChange(const QTime& time);
    // Recurring ticked or unticked, or the other unit chosen.
    void cfgRecurrenceChange(WhenGroup::Recurrence r);
    void IntervalCheckBoxClick(bool checked);
    void IBTimePickerChange(const QTime& time);
    void IETimePickerChange(const QTime& time);
    void cfgCSButtonClick();
    void cfgCSTestButtonClick();
    void cfgPathButtonClick();

    EvTable& m_table;
    ISoundPlayer& m_sound;
    const IClock& m_clock;
    bool m_filling = false; // controls set from the row: their change handlers stay quiet

    BoundEdit* m_nameEdit = nullptr;
    QComboBox* m_typeCombo = nullptr;
    WhenGroup* m_when = nullptr;
    BoundEdit* m_csEdit = nullptr;
    QToolButton* m_csButton = nullptr;
    QToolButton* m_csTestButton = nullptr;
    EvGrid* m_grid = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    CfgParamPanels* m_panels = nullptr;
};

} // namespace zarvo
