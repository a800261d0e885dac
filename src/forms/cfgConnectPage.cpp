#include "cfgConnectPage.h"

#include "EditorWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace zarvo {

namespace {

constexpr int kPasswordLength = 50;

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// One group: its heading with a picture, then a grid of labelled controls.
QGridLayout* addGroup(QVBoxLayout* page, QWidget* parent, const QString& heading, QStyle::StandardPixmap icon)
{
    page->addWidget(makeHeading(heading, parent, parent->style()->standardIcon(icon)));
    auto* grid = new QGridLayout;
    grid->setContentsMargins(22, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    page->addLayout(grid);
    return grid;
}

void addRow(QGridLayout* grid, int row, const QString& caption, QWidget* field, QWidget* parent,
            const QString& unit = {})
{
    grid->addWidget(makeBuddyLabel(caption, field, parent), row, 0);
    grid->addWidget(field, row, 1);
    if (!unit.isEmpty()) grid->addWidget(new QLabel(unit, parent), row, 2);
}

} // namespace

QStringList CfgConnectPage::timeServers()
{
    return {QStringLiteral("time.nist.gov"), QStringLiteral("time-a-g.nist.gov"),
            QStringLiteral("time-b-g.nist.gov"), QStringLiteral("time-a-wwv.nist.gov"),
            QStringLiteral("time-b-wwv.nist.gov")};
}

CfgConnectPage::CfgConnectPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("cfgConnectSheet"));
    auto* page = new QVBoxLayout(this);

    QGridLayout* in = addGroup(page, this, QStringLiteral("Incoming mail"), QStyle::SP_ArrowDown);
    m_user = named(new QLineEdit(this), "cfgUserEdit");
    m_password = named(new QLineEdit(this), "cfgPasswordEdit");
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(kPasswordLength);
    m_host = named(new QLineEdit(this), "cfgHostEdit");
    m_port = named(new ClampSpinBox(0, 10000, this), "cfgPortEdit");
    addRow(in, 0, QStringLiteral("&User"), m_user, this);
    addRow(in, 1, QStringLiteral("Pass&word"), m_password, this);
    addRow(in, 2, QStringLiteral("&Host"), m_host, this);
    addRow(in, 3, QStringLiteral("&Port"), m_port, this);
    secure(m_mailSecurity, named(new QComboBox(this), "cfgMailSecurityComboBox"), m_port, kPop3Ports);
    addRow(in, 4, QStringLiteral("Se&curity"), m_mailSecurity.box, this);

    QGridLayout* out = addGroup(page, this, QStringLiteral("Outcoming mail"), QStyle::SP_ArrowUp);
    m_returnAddress = named(new QLineEdit(this), "cfgRetAddressEdit");
    m_smtpHost = named(new QLineEdit(this), "cfgSMTPHostEdit");
    m_smtpPort = named(new ClampSpinBox(0, 10000, this), "cfgSMTPPortEdit");
    addRow(out, 0, QStringLiteral("R&eturn address"), m_returnAddress, this);
    addRow(out, 1, QStringLiteral("H&ost"), m_smtpHost, this);
    addRow(out, 2, QStringLiteral("Po&rt"), m_smtpPort, this);
    secure(m_smtpSecurity, named(new QComboBox(this), "cfgSMTPSecurityComboBox"), m_smtpPort, kSmtpPorts);
    addRow(out, 3, QStringLiteral("Securit&y"), m_smtpSecurity.box, this);
    m_smtpAuth =
        named(new QCheckBox(QStringLiteral("Server requires &authentication"), this), "cfgSMTPAuthCheckBox");
    out->addWidget(m_smtpAuth, 4, 1);

    QGridLayout* wait =
        addGroup(page, this, QStringLiteral("Mail servers timeout"), QStyle::SP_BrowserReload);
    m_timeout = named(new ClampSpinBox(1, 5, this), "cfgTimeoutEdit");
    addRow(wait, 0, QStringLiteral("Ti&meOut"), m_timeout, this, QStringLiteral("min."));

    QGridLayout* sync = addGroup(page, this, QStringLiteral("Time synchronization"), QStyle::SP_ComputerIcon);
    m_syncHost = named(new QComboBox(this), "SyncHostComboBox");
    m_syncHost->setEditable(true);
    m_syncHost->setInsertPolicy(QComboBox::NoInsert);
    m_syncHost->addItems(timeServers());
    m_syncPort = named(new ClampSpinBox(0, 10000, this), "SyncPortEdit");
    m_syncTimeout = named(new ClampSpinBox(1, 5, this), "SyncTOutEdit");
    addRow(sync, 0, QStringLiteral("Ho&st"), m_syncHost, this);
    addRow(sync, 1, QStringLiteral("Por&t"), m_syncPort, this);
    addRow(sync, 2, QStringLiteral("T&imeOut"), m_syncTimeout, this, QStringLiteral("min."));
    page->addStretch(1);
}

void CfgConnectPage::secure(Security& s, QComboBox* box, ClampSpinBox* port, const int* ports)
{
    s.box = box;
    s.port = port;
    s.ports = ports;
    box->addItems({QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS")});
    connect(box, &QComboBox::activated, this, [&s](int chosen) { proposePort(s, chosen); });
}

void CfgConnectPage::proposePort(Security& s, int chosen)
{
    s.port->commitTyped();
    if (s.shown >= 0 && s.shown <= 2 && s.port->value() == s.ports[s.shown])
        s.port->setValue(s.ports[chosen]);
    s.shown = chosen;
}

void CfgConnectPage::fillSecurity(Security& s, int stored)
{
    s.stored = stored;
    s.shown = stored;
    s.box->setCurrentIndex(stored >= 0 && stored <= 2 ? stored : -1);
}

int CfgConnectPage::securityOf(const Security& s)
{
    // A value this program does not know stays as it was until a choice is made.
    return s.box->currentIndex() >= 0 ? s.box->currentIndex() : s.stored;
}

void CfgConnectPage::fill(const Settings& s)
{
    // The list offers hosts; the text is always the server in use, whatever it is.
    m_syncHost->setEditText(s.SyncServer);
    m_syncPort->setValue(s.SyncPort);
    m_syncTimeout->setValue(s.SyncTimeout);
    m_user->setText(s.User);
    // A longer password stored by other means must survive an OK untouched.
    m_password->setMaxLength(std::max<int>(kPasswordLength, int(s.Pas.size())));
    m_password->setText(s.Pas);
    m_host->setText(s.Server);
    m_port->setValue(s.Port);
    m_timeout->setValue(s.Timeout);
    m_smtpHost->setText(s.SMTPServer);
    m_smtpPort->setValue(s.SMTPPort);
    m_returnAddress->setText(s.ReturnAddress);
    fillSecurity(m_mailSecurity, s.MailSecurity);
    fillSecurity(m_smtpSecurity, s.SMTPSecurity);
    m_smtpAuth->setChecked(s.SMTPAuth);
}

void CfgConnectPage::applyTo(Settings& s) const
{
    for (ClampSpinBox* spin : {m_port, m_smtpPort, m_timeout, m_syncPort, m_syncTimeout})
        spin->commitTyped();
    s.SyncServer = m_syncHost->currentText();
    s.SyncPort = m_syncPort->value();
    s.SyncTimeout = m_syncTimeout->value();
    s.User = m_user->text();
    s.Pas = m_password->text();
    s.Server = m_host->text();
    s.Port = m_port->value();
    s.SMTPServer = m_smtpHost->text();
    s.SMTPPort = m_smtpPort->value();
    s.ReturnAddress = m_returnAddress->text();
    s.Timeout = m_timeout->value();
    s.MailSecurity = securityOf(m_mailSecurity);
    s.SMTPSecurity = securityOf(m_smtpSecurity);
    s.SMTPAuth = m_smtpAuth->isChecked();
}

} // namespace zarvo
