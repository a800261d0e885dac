// The Connection page's security choices: what is stored, the ports they propose, and the
// page's accelerators.
#include "forms/EditorWidgets.h"
#include "forms/cfgConnectPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

using namespace zarvo;

class TestCfgConnectPage : public QObject
{
    Q_OBJECT
private slots:
    void storedValues_data();
    void storedValues();
    void proposedPorts_data();
    void proposedPorts();
    void accelerators();
};

void TestCfgConnectPage::storedValues_data()
{
    QTest::addColumn<int>("mail");
    QTest::addColumn<int>("smtp");
    QTest::addColumn<bool>("auth");
    QTest::addColumn<QString>("mailShown");
    QTest::addColumn<QString>("smtpShown");
    QTest::newRow("defaults") << 0 << 0 << false << "None"
                              << "None";
    QTest::newRow("STARTTLS and TLS") << 1 << 2 << true << "STARTTLS"
                                      << "TLS";
    // A value from a newer or hand-edited file is kept as it was.
    QTest::newRow("unknown values") << 7 << -1 << false << ""
                                    << "";
}

void TestCfgConnectPage::storedValues()
{
    QFETCH(int, mail);
    QFETCH(int, smtp);
    QFETCH(bool, auth);
    QFETCH(QString, mailShown);
    QFETCH(QString, smtpShown);
    CfgConnectPage page;
    Settings in;
    in.MailSecurity = mail;
    in.SMTPSecurity = smtp;
    in.SMTPAuth = auth;
    page.fill(in);
    QCOMPARE(page.findChild<QComboBox*>("cfgMailSecurityComboBox")->currentText(), mailShown);
    QCOMPARE(page.findChild<QComboBox*>("cfgSMTPSecurityComboBox")->currentText(), smtpShown);
    QCOMPARE(page.findChild<QCheckBox*>("cfgSMTPAuthCheckBox")->isChecked(), auth);
    Settings out;
    out.MailSecurity = out.SMTPSecurity = 99;
    out.SMTPAuth = !auth;
    page.applyTo(out);
    QCOMPARE(out.MailSecurity, mail);
    QCOMPARE(out.SMTPSecurity, smtp);
    QCOMPARE(out.SMTPAuth, auth);
}

void TestCfgConnectPage::proposedPorts_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("portEdit");
    QTest::addColumn<int>("security");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    const QString pop = QStringLiteral("cfgMailSecurityComboBox"), popPort = QStringLiteral("cfgPortEdit");
    const QString smtp = QStringLiteral("cfgSMTPSecurityComboBox"),
                  smtpPort = QStringLiteral("cfgSMTPPortEdit");
    QTest::newRow("POP3 none to TLS") << pop << popPort << 0 << 110 << int(Qt::Key_End) << 995;
    QTest::newRow("POP3 none to STARTTLS") << pop << popPort << 0 << 110 << int(Qt::Key_Down) << 110;
    QTest::newRow("POP3 TLS to none") << pop << popPort << 2 << 995 << int(Qt::Key_Home) << 110;
    QTest::newRow("POP3 port of the user's own") << pop << popPort << 0 << 2110 << int(Qt::Key_End) << 2110;
    QTest::newRow("SMTP none to STARTTLS") << smtp << smtpPort << 0 << 25 << int(Qt::Key_Down) << 587;
    QTest::newRow("SMTP STARTTLS to TLS") << smtp << smtpPort << 1 << 587 << int(Qt::Key_Down) << 465;
    QTest::newRow("SMTP TLS to none") << smtp << smtpPort << 2 << 465 << int(Qt::Key_Home) << 25;
    // 25 is not the usual port of STARTTLS: whoever set it meant it.
    QTest::newRow("SMTP STARTTLS on 25") << smtp << smtpPort << 1 << 25 << int(Qt::Key_End) << 25;
}

void TestCfgConnectPage::proposedPorts()
{
    QFETCH(QString, box);
    QFETCH(QString, portEdit);
    QFETCH(int, security);
    QFETCH(int, port);
    QFETCH(int, key);
    QFETCH(int, expected);
    CfgConnectPage page;
    Settings in;
    in.MailSecurity = in.SMTPSecurity = security;
    in.Port = in.SMTPPort = port;
    page.fill(in);
    auto* combo = page.findChild<QComboBox*>(box);
    QTest::keyClick(combo, Qt::Key(key));
    QCOMPARE(page.findChild<ClampSpinBox*>(portEdit)->value(), expected);
    // Filling the page proposes nothing.
    Settings out;
    page.fill(in);
    page.applyTo(out);
    QCOMPARE(out.Port, port);
    QCOMPARE(out.SMTPPort, port);
}

void TestCfgConnectPage::accelerators()
{
    CfgConnectPage page;
    QStringList captions;
    for (const QLabel* l : page.findChildren<QLabel*>())
        captions << l->text();
    for (const QAbstractButton* b : page.findChildren<QAbstractButton*>())
        captions << b->text();
    for (const char* c : {"Se&curity", "Securit&y", "Server requires &authentication"})
        QVERIFY2(captions.contains(QLatin1String(c)), c);
    QMap<QChar, QString> used;
    for (const QString& c : captions) {
        const qsizetype amp = c.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= c.size()) continue;
        const QChar key = c[amp + 1].toLower();
        QVERIFY2(!used.contains(key), qPrintable(c + QStringLiteral(" and ") + used.value(key)));
        used.insert(key, c);
    }
    // Each drop-down is reached through its label.
    for (const QLabel* l : page.findChildren<QLabel*>())
        if (l->text().startsWith(QLatin1String("Se")) && l->text().contains(QLatin1String("curit")))
            QVERIFY(qobject_cast<QComboBox*>(l->buddy()));
}

QTEST_MAIN(TestCfgConnectPage)
#include "tst_cfgconnectpage.moc"
