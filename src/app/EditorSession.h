#pragma once

#include "app/TableBackup.h"
#include "forms/cfgForm.h"
#include "forms/zarWizForm.h"

#include <QObject>
#include <QPointer>

namespace zarvo {

class Program;

// The two editors and the protocol around them. Opening the Properties dialog backs the table up
// and shows the dialog; its end is handled when it comes: OK takes the pages over and saves,
// Cancel (or the close box) restores the table by the backup and keeps what fired meanwhile;
// either way the next event and chime are selected again. The wizard appends its event on
// Finish. The editors are not modal and nothing waits for them: the tray menu, the clock's and
// the sticker's menus stay usable, and the greyed tray items keep a second editor from opening.
class EditorSession : public QObject
{
    Q_OBJECT
public:
    explicit EditorSession(Program& program);
    ~EditorSession() override;

    void openProperties();
    void openWizard();
    bool isOpen() const { return m_cfg || m_wiz; }
    TcfgForm* propertiesDialog() const { return m_cfg; }
    TzarWizForm* wizard() const { return m_wiz; }
    // Ends an open editor the way its Cancel does ("E&xit" while it is open).
    void cancel();
    // The sticker's font or colour changed from its own menu: the dialog's preview follows.
    void stickerStyleChanged();

Q_SIGNALS:
    void openChanged(bool open);

private:
    void propertiesClosed(int result);
    void wizardClosed(int result);

    Program& m_program;
    TableBackup m_backup;
    QPointer<TcfgForm> m_cfg;
    QPointer<TzarWizForm> m_wiz;
};

} // namespace zarvo
