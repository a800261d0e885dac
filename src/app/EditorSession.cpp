#include "EditorSession.h"

#include "app/Program.h"
#include "forms/CommonDialogs.h"
#include "forms/StoredFont.h"
#include "forms/cfgForm.h"
#include "forms/zarStickerForm.h"
#include "forms/zarWizForm.h"

namespace zarvo {

EditorSession::EditorSession(Program& program)
    : m_program(program), m_backup(program.events(), program.eventStore(), program.scheduler())
{
}

EditorSession::~EditorSession()
{
    delete m_cfg;
    delete m_wiz;
}

void EditorSession::openProperties()
{
    if (isOpen()) return;
    m_backup.begin();
    Program& p = m_program;
    CfgServices services{p.events(), p.sound(), p.clock(),
                         [&p](int hour, int minute) { p.chimes().SpeakTime(hour, minute); }};
    const StoredFont stored = StoredFont::sticker(p.settings());
    StickerLook look{stored.font(), stored.color(), colorFromStored(p.settings().StickerColor)};
    if (const TStickerForm* sticker = p.stickerForm())
        look = {sticker->textFont(), sticker->textColor(), sticker->backgroundColor()};
    m_cfg = new TcfgForm(p.settings(), services, look);
    // Not modal: the rest of the program stays usable while the dialog is open.
    m_cfg->setWindowModality(Qt::NonModal);
    connect(m_cfg, &QDialog::finished, this, &EditorSession::propertiesClosed);
    Q_EMIT openChanged(true);
    m_cfg->show();
    m_cfg->raise();
    m_cfg->activateWindow();
}

void EditorSession::propertiesClosed(int result)
{
    TcfgForm* dialog = m_cfg;
    if (!dialog) return;
    m_cfg = nullptr;
    Program& p = m_program;
    if (result == QDialog::Accepted) {
        // The pages are read before the dialog goes.
        dialog->applyTo(p.settings());
        m_backup.commit();
        if (TStickerForm* sticker = p.stickerForm()) sticker->applyText();
        p.SaveParameters();
        p.SaveEvents();
        p.SaveWindowSettings();
    } else {
        // The user's edits go; what the scheduler did meanwhile stays.
        m_backup.rollBack();
    }
    dialog->deleteLater();
    p.scheduler().SelectNextEvent();
    p.chimes().zarCheckDing();
    Q_EMIT openChanged(false);
}

void EditorSession::openWizard()
{
    if (isOpen()) return;
    m_program.eventStore().SaveBackup(m_program.events());
    m_wiz = new TzarWizForm(m_program.clock());
    m_wiz->setWindowModality(Qt::NonModal);
    connect(m_wiz, &QDialog::finished, this, &EditorSession::wizardClosed);
    Q_EMIT openChanged(true);
    m_wiz->show();
    m_wiz->raise();
    m_wiz->activateWindow();
}

void EditorSession::wizardClosed(int result)
{
    TzarWizForm* wizard = m_wiz;
    if (!wizard) return;
    m_wiz = nullptr;
    if (result == QDialog::Accepted) {
        wizard->appendTo(m_program.events());
        m_program.SaveEvents();
        m_program.scheduler().SelectNextEvent();
    }
    wizard->deleteLater();
    Q_EMIT openChanged(false);
}

void EditorSession::cancel()
{
    if (m_cfg) m_cfg->reject();
    if (m_wiz) m_wiz->reject();
}

void EditorSession::stickerStyleChanged()
{
    const TStickerForm* sticker = m_program.stickerForm();
    if (!m_cfg || !sticker) return;
    m_cfg->setStickerFont(sticker->textFont());
    m_cfg->setStickerFontColor(sticker->textColor());
    m_cfg->setStickerColor(sticker->backgroundColor());
}

} // namespace zarvo
