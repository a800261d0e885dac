// The tray menu's handlers.
#include "Program.h"

#include "forms/AboutForm.h"
#include "forms/HelpViewer.h"
#include "forms/zarCalForm.h"
#include "forms/zarStickerForm.h"

#include <QAction>
#include <QCoreApplication>

namespace zarvo {

void Program::PropItemClick()
{
    // Disabled while an editor is open: the icon's main action must not open a second one.
    if (!m_tray.PropItem->isEnabled()) return;
    m_editors.openProperties();
}

void Program::WizItemClick()
{
    if (!m_tray.WizItem->isEnabled()) return;
    m_editors.openWizard();
}

void Program::ClockItemClick()
{
    if (m_zarForm->isVisible()) {
        m_zarForm->hide();
        m_settings.ClockVisible = false;
        m_tray.ClockItem->setText(QStringLiteral("Show &clock"));
        return;
    }
    m_zarForm->showClock();
    m_settings.ClockVisible = true;
    m_tray.ClockItem->setText(QStringLiteral("Hide &clock"));
}

void Program::StickItemClick()
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

void Program::CalItemClick()
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

void Program::HelpItemClick()
{
    HelpViewer::showContents();
}

void Program::AboutItemClick()
{
    // Not modal, and nothing waits for it; the greyed item keeps a second box from opening.
    if (m_about) return;
    m_about = new TAboutForm;
    m_about->setAttribute(Qt::WA_DeleteOnClose);
    m_about->setWindowModality(Qt::NonModal);
    m_tray.AboutItem->setEnabled(false);
    connect(m_about, &QObject::destroyed, this, [this] { m_tray.AboutItem->setEnabled(true); });
    m_about->show();
}

void Program::DisItemClick()
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

void Program::ShutItemClick()
{
    // An editor still open ends as cancelled: the user's unsaved edits go, nothing else.
    m_editors.cancel();
    delete m_about;
    m_zarForm->close();
}

} // namespace zarvo
