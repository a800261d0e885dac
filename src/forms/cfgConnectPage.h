#pragma once

#include "core/Settings.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace zarvo {

class ClampSpinBox;

// The "Connection" page: the mailbox, the outgoing mail server and the time server.
class CfgConnectPage : public QWidget
{
    Q_OBJECT
public:
    explicit CfgConnectPage(QWidget* parent = nullptr);

    // Public servers of the time protocol offered in the host list; nothing here contacts them.
    static QStringList timeServers();

    void fill(const Settings& s);
    // Numbers still being typed are brought into their ranges first.
    void applyTo(Settings& s) const;

private:
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_host = nullptr;
    ClampSpinBox* m_port = nullptr;
    QLineEdit* m_returnAddress = nullptr;
    QLineEdit* m_smtpHost = nullptr;
    ClampSpinBox* m_smtpPort = nullptr;
    ClampSpinBox* m_timeout = nullptr;
    QComboBox* m_syncHost = nullptr;
    ClampSpinBox* m_syncPort = nullptr;
    ClampSpinBox* m_syncTimeout = nullptr;
};

} // namespace zarvo
