// The floating clock: painting, dragging, its look and its menu.
#include "zarForm.h"

#include "forms/CommonDialogs.h"
#include "forms/DingClock.h"
#include "forms/StoredFont.h"
#include "forms/WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace zarvo {

TzarForm::TzarForm(Settings& settings, const IClock& clock, QWidget* parent)
    // A tool window keeps the clock off the task bar, also after it is hidden and shown again.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_settings(settings)
{
    setWindowTitle(QStringLiteral("Zarvo!"));
    move(-500, -500);
    m_ding = new DingClock(this);
    m_ding->setClock(&clock);
    m_ding->move(0, 0);

    connect(m_clockMenu.HideItem, &QAction::triggered, this, &TzarForm::HideItemClick);
    connect(m_clockMenu.OnTopItem, &QAction::triggered, this, &TzarForm::OnTopItemClick);
    connect(m_clockMenu.SecItem, &QAction::triggered, this, &TzarForm::SecItemClick);
    connect(m_clockMenu.FontItem, &QAction::triggered, this, &TzarForm::FontItemClick);
    connect(m_clockMenu.ColorItem, &QAction::triggered, this, &TzarForm::ColorItemClick);
    connect(m_clockMenu.menu(), &QMenu::aboutToShow, this, &TzarForm::ClockPopupMenuPopup);
}

void TzarForm::applyClockLook(bool firstStart)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromStored(m_settings.ClockColor));
    setPalette(pal);
    setAutoFillBackground(true);
    const StoredFont stored = StoredFont::clock(m_settings);
    m_ding->setTextColor(stored.color());
    m_ding->setFont(stored.font());
    m_ding->setSecondsVisible(m_settings.SecVisible);
    m_clockMenu.SecItem->setText(m_settings.SecVisible ? QStringLiteral("Hide &seconds")
                                                       : QStringLiteral("Show &seconds"));
    sizeClock();
    move(firstStart ? firstPlace(FirstPlace::Clock, size())
                    : QPoint(m_settings.ClockLeft, m_settings.ClockTop));
    keepOnScreen();
    // The window is made on top; a stored "not on top" must hold even if it is never shown,
    // or saving would turn it on behind the user's back.
    if (!m_settings.ClockOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, false);
}

void TzarForm::takeWindowState()
{
    // The clock window's own state is what counts, not what was loaded.
    m_settings.ClockLeft = pos().x();
    m_settings.ClockTop = pos().y();
    m_settings.ClockOnTop = onTop();
    m_settings.ClockFName = m_ding->font().family();
}

void TzarForm::showClock()
{
    if (m_settings.ClockOnTop) setOnTop(true);
    show();
}

void TzarForm::useFloatingMenu(bool noTray, const QList<QAction*>& trayItems)
{
    if (noTray)
        m_clockMenu.setBorrowedItems(trayItems);
    else
        m_clockMenu.dropBorrowedItems();
    // Hiding the clock while there is no tray would leave nothing to bring the program back.
    m_clockMenu.HideItem->setEnabled(!noTray);
}

void TzarForm::sizeClock()
{
    // The size rule counts the font size as pixels; it is the shown size, never a damaged one.
    const int size = StoredFont::clock(m_settings).displaySize();
    m_ding->resize(size * (m_settings.SecVisible ? 7 : 5), size + 4);
    setFixedSize(m_ding->size());
}

void TzarForm::keepOnScreen()
{
    const QRect r = frameGeometry();
    const auto screens = QGuiApplication::screens();
    for (const QScreen* s : screens) {
        if (s->geometry().intersects(r)) return;
    }
    // A position saved on a screen that is gone: bring the clock back where it can be seen.
    if (const QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().topLeft());
}

void TzarForm::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    // The window starts on top; "not on top" takes effect at its first painting. Changing the
    // window flags re-creates the window, which must not happen inside its own paint event.
    if (!m_settings.ClockOnTop && onTop()) QTimer::singleShot(0, this, [this] { setOnTop(false); });
}

void TzarForm::closeEvent(QCloseEvent* e)
{
    // The clock has no close box; closing it (the window manager's close, "E&xit") ends the
    // program's loop.
    e->accept();
    QCoreApplication::exit(0);
}

void TzarForm::setOnTop(bool on)
{
    if (onTop() == on) return;
    const bool shown = isVisible();
    const QPoint where = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    move(where);
    if (shown) show(); // changing the flags hides the window
}

void TzarForm::mousePressEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton) m_dragAnchor = e->position().toPoint();
}

void TzarForm::mouseMoveEvent(QMouseEvent* e)
{
    if (!(e->buttons() & Qt::LeftButton)) return;
    // The anchor stays: the window follows the pointer, so the pointer keeps its place in it.
    const QPoint p = e->position().toPoint();
    const QPoint delta = p - m_dragAnchor;
    if (!delta.isNull()) move(pos() + delta);
}

void TzarForm::contextMenuEvent(QContextMenuEvent* e)
{
    m_clockMenu.menu()->popup(e->globalPos());
}

void TzarForm::ClockPopupMenuPopup()
{
    m_clockMenu.OnTopItem->setChecked(onTop());
}

void TzarForm::HideItemClick()
{
    hide();
    m_settings.ClockVisible = false;
    Q_EMIT hiddenByUser();
}

void TzarForm::OnTopItemClick()
{
    const bool on = !onTop();
    setOnTop(on);
    m_settings.ClockOnTop = on;
    m_clockMenu.OnTopItem->setChecked(on);
}

void TzarForm::SecItemClick()
{
    m_settings.SecVisible = !m_settings.SecVisible;
    m_ding->setSecondsVisible(m_settings.SecVisible);
    m_clockMenu.SecItem->setText(m_settings.SecVisible ? QStringLiteral("Hide &seconds")
                                                       : QStringLiteral("Show &seconds"));
    sizeClock();
}

void TzarForm::FontItemClick()
{
    const auto chosen = CommonDialogs::chooseFont(this, {m_ding->font(), m_ding->textColor()});
    if (!chosen) return;
    StoredFont stored = StoredFont::clock(m_settings);
    stored.store(chosen->font, chosen->color);
    m_ding->setFont(stored.shown(chosen->font));
    m_ding->setTextColor(chosen->color);
    sizeClock();
}

void TzarForm::ColorItemClick()
{
    const auto chosen = CommonDialogs::chooseColor(this, colorFromStored(m_settings.ClockColor));
    if (!chosen) return;
    m_settings.ClockColor = colorToStored(*chosen);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, *chosen);
    setPalette(pal);
}

} // namespace zarvo
