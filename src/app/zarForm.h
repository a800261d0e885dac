#pragma once

#include "app/ClockMenu.h"
#include "core/Clock.h"
#include "core/Settings.h"

#include <QPoint>
#include <QWidget>

namespace zarvo {

class DingClock;

// The floating clock: a frameless tool window holding the clock display (DingClock), dragged by
// the anchor rule, on top or not, with its menu (ClockPopupMenu). It shows what the settings say
// and writes back what the user changes in it; the program object decides when it is shown.
class TzarForm : public QWidget
{
    Q_OBJECT
public:
    TzarForm(Settings& settings, const IClock& clock, QWidget* parent = nullptr);

    // The look from the settings: colours, font, size, place (the first place when there was no
    // settings file), on top or not.
    void applyClockLook(bool firstStart);
    // The window's own state into the settings, before they are saved.
    void takeWindowState();
    // Shows the clock, on top when the settings say so.
    void showClock();
    // On a desktop without a tray the clock carries the tray's items too, and cannot be hidden.
    void useFloatingMenu(bool noTray, const QList<QAction*>& trayItems);

    // The clock menu's handlers.
    void HideItemClick();
    void OnTopItemClick();
    void SecItemClick();
    void FontItemClick();
    void ColorItemClick();
    void ClockPopupMenuPopup();

    DingClock* dingClockWidget() const { return m_ding; }
    ClockMenu& clockMenu() { return m_clockMenu; }
    bool onTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

Q_SIGNALS:
    // Hidden from its own menu (the tray's caption follows).
    void hiddenByUser();

protected:
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void sizeClock();
    void setOnTop(bool on);
    void keepOnScreen();

    Settings& m_settings;
    ClockMenu m_clockMenu;
    DingClock* m_ding = nullptr;
    QPoint m_dragAnchor;
};

} // namespace zarvo
