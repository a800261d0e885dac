#include "EditorRig.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSet>
#include <QTemporaryDir>

using zarvo::Autostart;

namespace {

// The package's autostart entry in a system folder of its own, and the user's folder beside it.
struct LoginFolders
{
    QTemporaryDir dir;
    QString user() const { return dir.path() + "/home"; }
    QString system() const { return dir.path() + "/etc-xdg"; }
    QString userEntry() const { return user() + "/autostart/" + Autostart::entryName(); }
    Autostart autostart{user(), {system()}, QStringLiteral("/usr/bin/zarvo")};

    LoginFolders()
    {
        QDir().mkpath(system() + "/autostart");
        QFile f(system() + "/autostart/" + Autostart::entryName());
        f.open(QIODevice::WriteOnly);
        f.write("[Desktop Entry]\nType=Application\nName=Zarvo!\nExec=zarvo\n");
    }
};

QCheckBox* loginBox(const CfgRig& rig)
{
    return rig.w<QCheckBox>("cfgStartAtLoginCheckBox");
}

// The accelerator letter of a caption ("Start at lo&gin" -> 'g'); none for "&&" or no '&'.
QChar accelerator(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != u'&') continue;
        if (text.at(i + 1) == u'&') {
            ++i;
            continue;
        }
        return text.at(i + 1).toLower();
    }
    return {};
}

} // namespace

class TestCfgStartAtLogin : public QObject
{
    Q_OBJECT
private slots:
    // The box shows what the files say at each opening, also after a change made elsewhere.
    void showsTheFilesWhenOpened()
    {
        LoginFolders f;
        CfgRig rig;
        rig.autostart = &f.autostart;
        rig.open(false);
        QVERIFY(loginBox(rig)->isChecked());
        rig.form.reset();

        QVERIFY(f.autostart.setEnabled(false)); // as a desktop's own settings would
        rig.open(false);
        QVERIFY(!loginBox(rig)->isChecked());
    }

    // Only OK writes, and only a change: Cancel, the close box and an unchanged OK leave the
    // user's folder as it was.
    void writesOnOkOnly_data()
    {
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("overrideWritten");
        QTest::newRow("unchanged, OK") << false << true << false;
        QTest::newRow("unticked, Cancel") << true << false << false;
        QTest::newRow("unticked, OK") << true << true << true;
    }
    void writesOnOkOnly()
    {
        QFETCH(bool, toggle);
        QFETCH(bool, ok);
        QFETCH(bool, overrideWritten);
        LoginFolders f;
        CfgRig rig;
        rig.autostart = &f.autostart;
        rig.open();
        control<QTabWidget>(rig.form.get(), "cfgPageControl")->setCurrentIndex(zarvo::TcfgForm::ParamPage);
        if (toggle) rig.click("cfgStartAtLoginCheckBox");
        QCOMPARE(loginBox(rig)->isChecked(), !toggle);
        rig.click(ok ? "cfgOkButton" : "cfgCancelButton");
        QCOMPARE(QFile::exists(f.userEntry()), overrideWritten);
        QCOMPARE(f.autostart.enabled(), !overrideWritten);
    }

    // "Start at login" must not take a letter that another control of the page already uses.
    void acceleratorsOfTheParametersPageDiffer()
    {
        CfgRig rig;
        LoginFolders f;
        rig.autostart = &f.autostart;
        rig.open(false);
        QWidget* page = rig.any("cfgParamSheet");
        QCOMPARE(loginBox(rig)->text(), QStringLiteral("Start at lo&gin"));
        QHash<QChar, QString> seen;
        QStringList captions;
        for (const QAbstractButton* b : page->findChildren<QAbstractButton*>())
            captions << b->text();
        for (const QLabel* l : page->findChildren<QLabel*>())
            if (l->buddy()) captions << l->text();
        for (const QString& caption : captions) {
            const QChar key = accelerator(caption);
            if (key.isNull()) continue;
            QVERIFY2(!seen.contains(key), qPrintable(caption + " and " + seen.value(key)));
            seen.insert(key, caption);
        }
        QVERIFY(seen.contains(u'g'));
    }
};

QTEST_MAIN(TestCfgStartAtLogin)
#include "tst_cfgstartatlogin.moc"
