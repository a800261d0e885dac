#include "TestDirs.h"
#include "forms/WindowPlacement.h"
#include "forms/zarCalForm.h"
#include "forms/zarStickerForm.h"

#include <QCalendarWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace zarvo;

class TestCalForm : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDirs> m_dirs;
    std::unique_ptr<SettingsStore> m_store;
    Settings m_settings;

    QString path() const { return m_dirs->configHome() + QStringLiteral("/zarvo/settings.reg"); }

private slots:
    void init()
    {
        m_dirs = std::make_unique<TestDirs>();
        m_store = std::make_unique<SettingsStore>(path(), [] { QFAIL("registry error"); });
        m_settings = Settings{};
        m_settings.CalVis = true;
        m_settings.CalWL = 150;
        m_settings.CalWT = 300;
        m_store->LoadSettings(m_settings);
    }

    void startsWhereItWasWithToday()
    {
        const QDate today(2024, 2, 29);
        TzarCalForm form(m_settings, *m_store, today);
        QVERIFY(form.isVisible());
        QCOMPARE(form.pos(), QPoint(150, 300));
        QCOMPARE(form.windowTitle(), QStringLiteral("Calendar"));
        QCOMPARE(form.windowType(), Qt::Tool);
        QVERIFY(!(form.windowFlags() &
                  (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(form.width() >= 176 && form.height() >= 153);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.zarCalendar()->geometry(), form.rect());
        QCOMPARE(form.selectedDate(), today);
        QCOMPARE(form.zarCalendar()->monthShown(), 2);
        QCOMPARE(form.zarCalendar()->yearShown(), 2024);

        // After midnight, even when the user has browsed to another month.
        form.zarCalendar()->setCurrentPage(2023, 7);
        form.setToday(QDate(2024, 3, 1));
        QCOMPARE(form.selectedDate(), QDate(2024, 3, 1));
        QCOMPARE(form.zarCalendar()->monthShown(), 3);

        m_settings.CalVis = false;
        TzarCalForm hidden(m_settings, *m_store, today);
        QVERIFY(!hidden.isVisible());
    }

    void closeRecordsThePlaceAtOnceAndKeepsCalVis()
    {
        TzarCalForm form(m_settings, *m_store, QDate(2024, 5, 1));
        form.move(321, 222);
        // Another group changed in memory must not be written by the close.
        m_settings.ClockLeft = 999;
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
        QVERIFY(m_settings.CalVis);
        QCOMPARE(QPoint(m_settings.CalWL, m_settings.CalWT), QPoint(321, 222));

        Settings stored;
        SettingsStore(path(), [] {}).LoadSettings(stored);
        QCOMPARE(QPoint(stored.CalWL, stored.CalWT), QPoint(321, 222));
        QVERIFY(stored.CalVis);
        QCOMPARE(stored.ClockLeft, 0);

        // Shown again from the tray, at the same place.
        form.show();
        QCOMPARE(form.pos(), QPoint(321, 222));
    }

    // A place saved on a monitor that is gone: the calendar is shown where it can be seen, and
    // the stored place stays until the calendar is closed.
    void placeOffEveryScreenIsBroughtBack()
    {
        m_settings.CalWL = 25000;
        m_settings.CalWT = 9000;
        TzarCalForm form(m_settings, *m_store, QDate(2024, 5, 1));
        // The window manager's frame is not known before the first showing; all but that shows.
        const QRect frame = form.frameGeometry();
        const QRect seen = QGuiApplication::primaryScreen()->availableGeometry().intersected(frame);
        QVERIFY2(seen.width() >= frame.width() - 8 && seen.height() >= frame.height() - 8,
                 qPrintable(QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y())));
        QCOMPARE(m_settings.CalWL, 25000);
    }

    // On the first start the clock, the sticker and the calendar each get a place of their own
    // on the primary screen, kept as their stored places from then on.
    void firstPlacesApart()
    {
        m_settings.ShowSticker = true;
        m_settings.StickerText = QStringLiteral("A note\nof two lines");
        TzarCalForm cal(m_settings, *m_store, QDate(2024, 5, 1));
        TStickerForm sticker(m_settings, *m_store);
        cal.placeFirst();
        sticker.placeFirst();
        const QSize clockSize(98, 18);
        const QRect clock(firstPlace(FirstPlace::Clock, clockSize), clockSize);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QList<QRect> windows{clock, sticker.frameGeometry(), cal.frameGeometry()};
        for (int i = 0; i < windows.size(); ++i) {
            QVERIFY2(area.contains(windows[i]), qPrintable(QStringLiteral("window %1").arg(i)));
            for (int j = i + 1; j < windows.size(); ++j)
                QVERIFY2(!windows[i].intersects(windows[j]),
                         qPrintable(QStringLiteral("%1 and %2").arg(i).arg(j)));
        }
        QCOMPARE(QPoint(m_settings.CalWL, m_settings.CalWT), cal.pos());
        QCOMPARE(QPoint(m_settings.StickerLeft, m_settings.StickerTop), sticker.pos());
    }
};

QTEST_MAIN(TestCalForm)
#include "tst_calform.moc"
