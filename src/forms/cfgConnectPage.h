#pragma once

#include "core/Settings.h"

#include <QWidget>

class QCheckBox;
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
    // The usual port of each security choice (none, STARTTLS, TLS).
    static constexpr int kPop3Ports[3] = {110, 110, 995};
    static constexpr int kSmtpPorts[3] = {25, 587, 465};

    void fill(const Settings& s);
    // Numbers still being typed are brought into their ranges first.
    void applyTo(Settings& s) const;

private:
    struct Security
    {
        QComboBox* box = nullptr;
        ClampSpinBox* port = nullptr;
        const int* ports = nullptr;
        int shown = 0;  // the choice before the current one
        int stored = 0; // the value read, kept when the list cannot show it
    };
    void secure(Security& s, QComboBox* box, ClampSpinBox* port, const int* ports);
    // A port still at the usual one of the former choice moves to that of the new one.
    static void proposePort(Security& s, int chosen);
    static void fillSecurity(Security& s, int stored);
    static int securityOf(const Security& s);

    Security m_mailSecurity;
    Security m_smtpSecurity;
    QCheckBox* m_smtpAuth = nullptr;
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
