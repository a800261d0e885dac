#include "TestDirs.h"
#include "forms/CommonDialogs.h"
#include "forms/zarStickerForm.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace zarvo;

namespace {

QAction* menuItem(const TStickerForm& form, const char* name)
{
    QAction* a = form.StickerPopupMenu()->findChild<QAction*>(QLatin1String(name));
    if (!a) {
        for (QAction* each : form.StickerPopupMenu()->actions())
            if (each->objectName() == QLatin1String(name)) a = each;
    }
    return a;
}

// A mouse event at a point within the note, with the screen position the window's place gives.
void sendMouse(TStickerForm& form, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    const QPoint global = form.pos() + local;
    QMouseEvent e(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(&form, &e);
}

} // namespace

class TestStickerForm : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDirs> m_dirs;
    std::unique_ptr<SettingsStore> m_store;
    Settings m_settings;

    QString path() const { return m_dirs->configHome() + QStringLiteral("/zarvo/settings.reg"); }

    Settings reloaded() const
    {
        Settings s;
        SettingsStore(path(), [] {}).LoadSettings(s);
        return s;
    }

private slots:
    void init()
    {
        m_dirs = std::make_unique<TestDirs>();
        m_store = std::make_unique<SettingsStore>(path(), [] { QFAIL("registry error"); });
        m_settings = Settings{};
        m_settings.StickerText = QStringLiteral("Buy milk");
        m_settings.StickerFName = QStringLiteral("DejaVu Sans");
        m_store->LoadSettings(m_settings);
    }

    void builtFromSettings()
    {
        m_settings.StickerLeft = 120;
        m_settings.StickerTop = 70;
        m_settings.StickerColor = 0x3060f0; // blue 0x30, green 0x60, red 0xf0
        m_settings.StickerFSize = 20;
        m_settings.StickerFColor = 0x0000ff;
        m_settings.StickerFB = true;
        m_settings.StickerFU = true;
        m_settings.ShowSticker = true;
        TStickerForm form(m_settings, *m_store);

        QVERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("StickerForm"));
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(form.windowType(), Qt::Tool);
        QCOMPARE(form.pos(), QPoint(120, 70));
        QCOMPARE(form.backgroundColor(), QColor(0xf0, 0x60, 0x30));
        QCOMPARE(form.textColor(), QColor(Qt::red));
        const QFont f = form.textFont();
        QCOMPARE(f.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(f.pointSize(), 20);
        QVERIFY(f.bold() && f.underline() && !f.italic() && !f.strikeOut());
        QCOMPARE(form.StickerLabel()->text(), QStringLiteral("Buy milk"));
        QCOMPARE(form.StickerLabel()->geometry(), form.rect());
        // The window colour must show through the text.
        QVERIFY(!form.StickerLabel()->autoFillBackground());

        const QStringList items{"&Hide", QString(), "&Font...", "&Color..."};
        QStringList shown;
        for (QAction* a : form.StickerPopupMenu()->actions())
            shown << a->text();
        QCOMPARE(shown, items);

        m_settings.ShowSticker = false;
        TStickerForm hidden(m_settings, *m_store);
        QVERIFY(!hidden.isVisible());
    }

    void sizeFollowsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("widest");
        QTest::addColumn<int>("lines");
        QTest::newRow("one line") << "Buy milk"
                                  << "Buy milk" << 1;
        QTest::newRow("three lines") << "short\nthe longest line of all\nmiddle one"
                                     << "the longest line of all" << 3;
        QTest::newRow("markup is text") << "<b>x</b> & y"
                                        << "<b>x</b> & y" << 1;
        QTest::newRow("empty") << ""
                               << " " << 1;
    }
    void sizeFollowsText()
    {
        QFETCH(QString, text);
        QFETCH(QString, widest);
        QFETCH(int, lines);
        m_settings.StickerText = QStringLiteral("x");
        TStickerForm form(m_settings, *m_store);
        const int lineHeight = form.height();
        m_settings.StickerText = text;
        form.applyText();

        const QFontMetrics fm(form.textFont());
        QCOMPARE(form.width(), fm.size(0, widest).width());
        QVERIFY2(qAbs(form.height() - lines * lineHeight) <= lines,
                 qPrintable(QString::number(form.height())));
        QCOMPARE(form.StickerLabel()->size(), form.size());
        QCOMPARE(form.StickerLabel()->text(), text);
    }

    void fontDialog()
    {
        TStickerForm form(m_settings, *m_store);
        QSignalSpy changed(&form, &TStickerForm::styleChanged);
        const QSize before = form.size();

        CommonDialogs::setNextFont(std::nullopt);
        menuItem(form, "StFontItem")->trigger();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(form.size(), before);
        QCOMPARE(form.textFont().pointSize(), 14);

        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPointSize(28);
        chosen.setItalic(true);
        chosen.setStrikeOut(true);
        CommonDialogs::setNextFont(FontChoice{chosen, QColor(0, 0x80, 0)});
        menuItem(form, "StFontItem")->trigger();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(form.textFont().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(form.textColor(), QColor(0, 0x80, 0));
        QVERIFY(form.height() > before.height());
        QCOMPARE(form.StickerLabel()->size(), form.size());
        QCOMPARE(m_settings.StickerFSize, 28);
        QCOMPARE(m_settings.StickerFColor, 0x8000);
        QVERIFY(!m_settings.StickerFB && m_settings.StickerFI && !m_settings.StickerFU &&
                m_settings.StickerFS);
        // The name is taken from the note's font when the settings are saved, not before.
        QCOMPARE(m_settings.StickerFName, QStringLiteral("DejaVu Sans"));
    }

    void colorDialog()
    {
        TStickerForm form(m_settings, *m_store);
        QSignalSpy changed(&form, &TStickerForm::styleChanged);

        CommonDialogs::setNextColor(std::nullopt);
        menuItem(form, "StColorItem")->trigger();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(m_settings.StickerColor, 65280);
        QCOMPARE(form.backgroundColor(), QColor(0, 255, 0));

        CommonDialogs::setNextColor(QColor(0x11, 0x22, 0x33));
        menuItem(form, "StColorItem")->trigger();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_settings.StickerColor, 0x332211);
        QCOMPARE(form.backgroundColor(), QColor(0x11, 0x22, 0x33));
    }

    void dragMovesByTheAnchor()
    {
        m_settings.StickerLeft = 100;
        m_settings.StickerTop = 100;
        m_settings.ShowSticker = true;
        TStickerForm form(m_settings, *m_store);
        QCOMPARE(form.pos(), QPoint(100, 100));

        // Moving without a button records the place but does not move.
        m_settings.StickerLeft = m_settings.StickerTop = -1;
        sendMouse(form, QEvent::MouseMove, {9, 9}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(form.pos(), QPoint(100, 100));
        QCOMPARE(QPoint(m_settings.StickerLeft, m_settings.StickerTop), QPoint(100, 100));

        // The right button does not drag.
        sendMouse(form, QEvent::MouseButtonPress, {4, 3}, Qt::RightButton, Qt::RightButton);
        sendMouse(form, QEvent::MouseMove, {30, 20}, Qt::NoButton, Qt::RightButton);
        QCOMPARE(form.pos(), QPoint(100, 100));
        sendMouse(form, QEvent::MouseButtonRelease, {30, 20}, Qt::RightButton, Qt::NoButton);

        sendMouse(form, QEvent::MouseButtonPress, {4, 3}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(form, QEvent::MouseMove, {24, 13}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(form.pos(), QPoint(120, 110));
        // Each step is taken from where the window now is: no drift over several steps.
        sendMouse(form, QEvent::MouseMove, {1, 8}, Qt::NoButton, Qt::LeftButton);
        sendMouse(form, QEvent::MouseMove, {4, 3}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(form.pos(), QPoint(117, 115));
        QCOMPARE(QPoint(m_settings.StickerLeft, m_settings.StickerTop), QPoint(117, 115));
        sendMouse(form, QEvent::MouseButtonRelease, {4, 3}, Qt::LeftButton, Qt::NoButton);
    }

    void hideAndCloseLeaveShowStickerAlone()
    {
        m_settings.ShowSticker = true;
        TStickerForm form(m_settings, *m_store);
        QSignalSpy hidden(&form, &TStickerForm::hiddenByUser);
        const QPoint where = form.pos();

        menuItem(form, "StHideItem")->trigger();
        QVERIFY(!form.isVisible());
        QCOMPARE(hidden.count(), 1);

        form.show();
        QCOMPARE(form.pos(), where);
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
        QCOMPARE(hidden.count(), 2);
        QVERIFY(m_settings.ShowSticker);
    }

    // Bold and italic, the place and the chosen font's name come back after a restart; the text
    // itself is saved by the Properties dialog, not by the note.
    void stylesAndPlaceSurviveRestart()
    {
        m_settings.ShowSticker = true;
        {
            TStickerForm form(m_settings, *m_store);
            QFont chosen(QStringLiteral("DejaVu Serif"));
            chosen.setPointSize(17);
            chosen.setBold(true);
            chosen.setItalic(true);
            CommonDialogs::setNextFont(FontChoice{chosen, QColor(0x40, 0, 0)});
            menuItem(form, "StFontItem")->trigger();
            sendMouse(form, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton, Qt::LeftButton);
            sendMouse(form, QEvent::MouseMove, {52, 42}, Qt::NoButton, Qt::LeftButton);
            m_settings.StickerText = QStringLiteral("not saved by the note");
        }
        Settings next = reloaded();
        QCOMPARE(QPoint(next.StickerLeft, next.StickerTop), QPoint(50, 40));
        QCOMPARE(next.StickerFName, QStringLiteral("DejaVu Serif"));
        QCOMPARE(next.StickerFSize, 17);
        QCOMPARE(next.StickerFColor, 0x40);
        QCOMPARE(next.StickerText, QStringLiteral("Buy milk"));

        TStickerForm again(next, *m_store);
        QVERIFY(again.textFont().bold());
        QVERIFY(again.textFont().italic());
        QCOMPARE(again.pos(), QPoint(50, 40));
    }

    // What a hand-edited file may hold: the note still shows, on a screen, and the stored values
    // are written back as they were.
    void badValuesAreContained_data()
    {
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("color");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("unknown font") << "No Such Font 123" << 14 << 65280 << QPoint(10, 10);
        QTest::newRow("size zero") << "DejaVu Sans" << 0 << 65280 << QPoint(10, 10);
        QTest::newRow("negative size") << "DejaVu Sans" << -7 << 65280 << QPoint(10, 10);
        QTest::newRow("huge size") << "DejaVu Sans" << 100000 << 65280 << QPoint(10, 10);
        QTest::newRow("colour out of range") << "DejaVu Sans" << 14 << -1 << QPoint(10, 10);
        QTest::newRow("off every screen") << "DejaVu Sans" << 14 << 65280 << QPoint(-40000, 90000);
    }
    void badValuesAreContained()
    {
        QFETCH(QString, fontName);
        QFETCH(int, size);
        QFETCH(int, color);
        QFETCH(QPoint, place);
        m_settings.StickerFName = fontName;
        m_settings.StickerFSize = size;
        m_settings.StickerColor = color;
        m_settings.StickerLeft = place.x();
        m_settings.StickerTop = place.y();
        m_settings.ShowSticker = true;
        {
            TStickerForm form(m_settings, *m_store);
            QVERIFY(!form.size().isEmpty());
            QVERIFY(form.width() < 32768 && form.height() < 32768);
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY(screen.intersects(form.frameGeometry()));
        }
        const Settings next = reloaded();
        QCOMPARE(next.StickerFName, fontName);
        QCOMPARE(next.StickerFSize, size);
        QCOMPARE(next.StickerColor, color);
        QCOMPARE(QPoint(next.StickerLeft, next.StickerTop), place);
    }
};

QTEST_MAIN(TestStickerForm)
#include "tst_stickerform.moc"
