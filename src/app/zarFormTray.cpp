// The tray menu's handlers and the protocol around the two editors.
#include "zarForm.h"

#include "forms/AboutForm.h"
#include "forms/HelpViewer.h"
#include "forms/cfgForm.h"
#include "forms/zarWizForm.h"
#include "forms/CommonDialogs.h"
#include "forms/zarCalForm.h"
#include "forms/zarStickerForm.h"

#include <QAction>

namespace zarvo {

void TzarForm::PropItemClick()
{
    // Disabled while an editor is open: a double-click on the icon must not open a second one.
    if (!m_tray.PropItem->isEnabled()) return;
    m_editing.begin();
    m_tray.PropItem->setEnabled(false);
    m_tray.WizItem->setEnabled(false);
    const bool ok = runPropertiesDialog();
    if (ok) {
        m_editing.commit();
        takeOverProperties();
    } else {
        // The user's edits go; what the scheduler did meanwhile stays.
        m_editing.rollBack();
    }
    m_scheduler.SelectNextEvent();
    m_chimes.zarCheckDing();
    m_tray.PropItem->setEnabled(true);
    m_tray.WizItem->setEnabled(true);
}

void TzarForm::WizItemClick()
{
    if (!m_tray.WizItem->isEnabled()) return;
    m_tray.PropItem->setEnabled(false);
    m_tray.WizItem->setEnabled(false);
    m_eventStore.SaveBackup(m_table);
    // On OK the wizard itself appends the row, saves the table and selects the next event.
    runWizard();
    m_tray.PropItem->setEnabled(true);
    m_tray.WizItem->setEnabled(true);
}

bool TzarForm::runPropertiesDialog()
{
    CfgServices services{m_table, m_sound, m_clock,
                         [this](int hour, int minute) { m_chimes.SpeakTime(hour, minute); }};
    StickerLook look{font(), colorFromStored(m_settings.StickerFColor), colorFromStored(m_settings.StickerColor)};
    if (m_sticker)
        look = {m_sticker->textFont(), m_sticker->textColor(), m_sticker->backgroundColor()};
    m_cfg = new TcfgForm(m_settings, services, look, this);
    const bool ok = m_cfg->exec() == QDialog::Accepted;
    // The dialog's pages are read before it goes (OK), or not at all (Cancel).
    if (ok)
        m_cfg->applyTo(m_settings);
    delete m_cfg;
    return ok;
}

bool TzarForm::runWizard()
{
    TzarWizForm wizard(m_clock, this);
    if (wizard.exec() != QDialog::Accepted)
        return false;
    wizard.appendTo(m_table);
    SaveEvents();
    m_scheduler.SelectNextEvent();
    return true;
}

void TzarForm::takeOverProperties()
{
    // The settings were copied from the pages when the dialog closed.
    if (m_sticker)
        m_sticker->applyText();
    SaveParameters();
    SaveEvents();
    SaveWindowSettings();
}

void TzarForm::ClockItemClick()
{
    if (isVisible()) {
        hide();
        m_settings.ClockVisible = false;
        m_tray.ClockItem->setText(QStringLiteral("Show &clock"));
        return;
    }
    if (m_settings.ClockOnTop) setOnTop(true);
    show();
    m_settings.ClockVisible = true;
    m_tray.ClockItem->setText(QStringLiteral("Hide &clock"));
}

void TzarForm::StickItemClick()
{
    // Only what is on screen now: ShowSticker is the Properties dialog's start-up option.
    if (!m_sticker) return;
    if (m_sticker->isVisible()) {
        m_sticker->hide();
        m_tray.StickItem->setText(QStringLiteral("Show stick&er"));
    } else {
        m_sticker->show();
        m_tray.StickItem->setText(QStringLiteral("Hide stick&er"));
    }
}

void TzarForm::CalItemClick()
{
    if (!m_cal) return;
    if (m_cal->isVisible()) {
        m_cal->hide();
        m_tray.CalItem->setText(QStringLiteral("Show calen&dar"));
        m_settings.CalVis = false;
    } else {
        m_cal->show();
        m_tray.CalItem->setText(QStringLiteral("Hide calen&dar"));
        m_settings.CalVis = true;
    }
}

void TzarForm::HelpItemClick()
{
    HelpViewer::showContents();
}

void TzarForm::AboutItemClick()
{
    // The disabled item is what keeps a second about box from opening: the tray menu stays
    // usable while the box is modal.
    m_tray.AboutItem->setEnabled(false);
    {
        TAboutForm about;
        about.exec();
    }
    m_tray.AboutItem->setEnabled(true);
}

void TzarForm::DisItemClick()
{
    if (m_settings.Disable) {
        m_tray.DisItem->setText(QStringLiteral("&Disable"));
        m_settings.Disable = false;
        m_tray.showIconFor(false);
        // What passed while disabled moves on unfired; from now on everything counts again.
        m_scheduler.SelectNextEvent();
        m_runRecord.save(m_clock.now());
    } else {
        // The event timer stays armed; a firing does nothing while events are disabled. What
        // passes from now on is passed over by the user's choice, not missed.
        m_tray.DisItem->setText(QStringLiteral("&Enable"));
        m_settings.Disable = true;
        m_tray.showIconFor(true);
        m_runRecord.save(m_clock.now());
    }
}

void TzarForm::ShutItemClick()
{
    close();
}

} // namespace zarvo
