#pragma once

#include "FakeClock.h"
#include "core/EvTable.h"
#include "core/Settings.h"
#include "core/SoundPlayer.h"
#include "forms/cfgEventsPage.h"
#include "forms/cfgForm.h"
#include "platform/Autostart.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPair>
#include <QStackedWidget>
#include <QStringList>
#include <QTest>

#include <memory>

// A named control of a dialog; a missing one ends the test at once.
template <typename W> W* control(const QObject* root, const char* name)
{
    W* found = root->findChild<W*>(QLatin1String(name));
    if (!found) qFatal("no control %s", name);
    return found;
}

// Where a user clicks: check boxes and radio buttons on their mark (their widgets may be wider
// than what reacts to the mouse), other buttons in the middle.
inline void clickControl(const QObject* root, const char* name)
{
    auto* b = control<QAbstractButton>(root, name);
    const bool mark = b->inherits("QCheckBox") || b->inherits("QRadioButton");
    QTest::mouseClick(b, Qt::LeftButton, {}, mark ? QPoint(6, b->height() / 2) : b->rect().center());
}

// Records what would have been played.
struct FakeSound : zarvo::ISoundPlayer
{
    QStringList played;
    void play(const QString& source) override { played << source; }
    void enqueue(const QString& source) override { played << source; }
    void stop() override {}
};

inline zarvo::EventRecord makeEvent(const QString& name, int type = 0, int recDays = 0, int recMonths = 0)
{
    using zarvo::Field;
    zarvo::EventRecord r;
    r.setValue(Field::EvName, name);
    r.setValue(Field::EvDate, QDate(2026, 12, 10));
    r.setValue(Field::EvTime, QTime(13, 30, 0));
    r.setValue(Field::EvType, type);
    r.setValue(Field::EvRec, recDays);
    r.setValue(Field::EvRecMonth, recMonths);
    return r;
}

// The Properties dialog over a table, with the owner's side faked: what was played, spoken and
// asked of the help.
struct CfgRig
{
    zarvo::EvTable table;
    FakeSound sound;
    FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(12, 0, 7, 450))};
    zarvo::Settings settings;
    QList<QPair<int, int>> spoken;
    QList<int> helpContexts;
    zarvo::Autostart* autostart = nullptr; // none: the dialog reads the environment's folders
    std::unique_ptr<zarvo::TcfgForm> form;

    explicit CfgRig(const QVector<zarvo::EventRecord>& rows = {})
    {
        // As the main window sets the table up.
        table.setAllowedChars(zarvo::Field::EvRec, QStringLiteral("0123456789"));
        table.setAllowedChars(zarvo::Field::EvRecMonth, QStringLiteral("0123456789"));
        table.replaceAll(rows);
    }

    zarvo::TcfgForm& open(bool show = true)
    {
        zarvo::CfgServices services{table,
                                    sound,
                                    clock,
                                    [this](int h, int m) {
                                        spoken.append({h, m});
                                    },
                                    [this](int context) { helpContexts << context; }};
        services.autostart = autostart;
        zarvo::StickerLook look{QFont(QStringLiteral("Serif"), 17), QColor(Qt::darkBlue), QColor(Qt::yellow)};
        form = std::make_unique<zarvo::TcfgForm>(settings, services, look);
        if (show) {
            form->show();
            form->activateWindow();
            if (!QTest::qWaitForWindowActive(form.get())) qWarning("dialog not active");
        }
        return *form;
    }

    template <typename W> W* w(const char* name) const { return control<W>(form.get(), name); }
    QWidget* any(const char* name) const { return w<QWidget>(name); }
    void click(const char* name) const { clickControl(form.get(), name); }
};

// The parameter panels of the Events page, in the order of their numbers, and the one in front.
inline const char* const kPanels[] = {"cfgNoneSheet",    "cfgAppSheet", "cfgShutSheet",
                                      "cfgStartupSheet", "cfgMMSheet",  "cfgURLSheet"};

inline QString frontPanel(const CfgRig& rig)
{
    return rig.form->eventsPage()->panels()->currentWidget()->objectName();
}

// Of the controls named, those the Tab key reaches, in the order it reaches them.
inline QStringList tabOrder(QWidget* window, const QStringList& names)
{
    QStringList order;
    QWidget* w = window;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && names.contains(w->objectName())) order << w->objectName();
        w = w->nextInFocusChain();
    } while (w && w != window);
    return order;
}

// The control a label's accelerator moves to ("" when no label has that caption).
inline QString acceleratorTarget(const QWidget* window, const QString& caption)
{
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text() == caption && label->buddy()) return label->buddy()->objectName();
    }
    return {};
}
