#include "app/ProgramIcon.h"
#include "app/TrayMenu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvo;

namespace {

// A tray that is there, shown through StatusNotifierItem or not, as the test says.
std::unique_ptr<TrayMenu> makeTray(bool sni)
{
    return std::make_unique<TrayMenu>([] { return true; },
                                      [sni](QObject*, std::function<void(bool)> answer) { answer(sni); });
}

} // namespace

class TestTrayMenu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // What each way of touching the icon does, on the two kinds of tray.
    void activation_data()
    {
        QTest::addColumn<bool>("sni");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("runsDefault");
        QTest::addColumn<bool>("opensMenu");
        using R = QSystemTrayIcon;
        // XEmbed: a click is the first half of every double-click; Qt opens the menu itself.
        QTest::newRow("xembed click") << false << int(R::Trigger) << false << false;
        QTest::newRow("xembed double-click") << false << int(R::DoubleClick) << true << false;
        QTest::newRow("xembed right button") << false << int(R::Context) << false << false;
        QTest::newRow("xembed middle button") << false << int(R::MiddleClick) << false << false;
        // StatusNotifierItem: Activate, ContextMenu and SecondaryActivate from the host.
        QTest::newRow("sni activate") << true << int(R::Trigger) << true << false;
        QTest::newRow("sni context menu") << true << int(R::Context) << false << true;
        QTest::newRow("sni secondary activate") << true << int(R::MiddleClick) << false << true;
    }
    void activation()
    {
        QFETCH(bool, sni);
        QFETCH(int, reason);
        QFETCH(bool, runsDefault);
        QFETCH(bool, opensMenu);
        auto tray = makeTray(sni);
        tray->showIconFor(false);
        QCOMPARE(tray->shownThroughSni(), sni);
        QSignalSpy activated(tray.get(), &TrayMenu::iconActivated);
        Q_EMIT tray->ZarTrayIcon->activated(QSystemTrayIcon::ActivationReason(reason));
        // Queued: the host's call returns before a dialog opens.
        QCOMPARE(activated.count(), 0);
        QCOMPARE(tray->menu()->isVisible(), opensMenu);
        QCoreApplication::processEvents();
        QCOMPARE(activated.count(), runsDefault ? 1 : 0);
        tray->menu()->hide();
    }

    // One item for both states: its picture and tip follow Disable, it is never hidden.
    void oneItemFollowsDisable()
    {
        auto tray = makeTray(true);
        QSystemTrayIcon* const item = tray->ZarTrayIcon;
        tray->showIconFor(false);
        QVERIFY(item->isVisible());
        QCOMPARE(item->toolTip(), QStringLiteral("Zarvo!"));
        const QImage normal = item->icon().pixmap(32).toImage();
        tray->showIconFor(true);
        QCOMPARE(tray->ZarTrayIcon, item);
        QVERIFY(item->isVisible());
        QCOMPARE(item->toolTip(), QStringLiteral("Zarvo! (disabled)"));
        QVERIFY(item->icon().pixmap(32).toImage() != normal);
        QCOMPARE(tray->findChildren<QSystemTrayIcon*>().size(), 1);
    }

    // Compiled in at every size, so the icon is sharp at twice the scale; the theme name only
    // once the theme has the icon, since some hosts draw nothing for a name they cannot find.
    void programIconSizesAndName()
    {
        const QIcon icon = programIcon(false);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
        QCOMPARE(programIcon(true).pixmap(QSize(24, 24), 2.0).size(), QSize(48, 48));

        QTemporaryDir themes;
        const QStringList searchPaths = QIcon::themeSearchPaths();
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("hicolor"));
        QVERIFY(programIcon(false).name().isEmpty());

        QDir().mkpath(themes.path() + "/hicolor/32x32/apps");
        QFile index(themes.path() + "/hicolor/index.theme");
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Hicolor\nDirectories=32x32/apps\n\n"
                    "[32x32/apps]\nSize=32\nType=Fixed\n");
        index.close();
        QVERIFY(QFile::copy(":/icons/hicolor/32x32/com.pelmark.Zarvo.png",
                            themes.path() + "/hicolor/32x32/apps/com.pelmark.Zarvo.png"));
        QIcon::setThemeSearchPaths({themes.path()}); // forgets what was looked up before
        const QIcon named = programIcon(false);
        QCOMPARE(named.name(), QStringLiteral("com.pelmark.Zarvo"));
        // The pictures stay the compiled ones, at every size.
        QVERIFY(named.availableSizes().contains(QSize(256, 256)));
        QVERIFY(programIcon(true).name().isEmpty()); // the disabled one is not installed here
        QIcon::setThemeSearchPaths(searchPaths);
    }
};

QTEST_MAIN(TestTrayMenu)
#include "tst_traymenu.moc"
