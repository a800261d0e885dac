// The clock window: painting, dragging, its menu and the calendar's turn at midnight.
#include "zarForm.h"

#include "forms/CommonDialogs.h"
#include "forms/DingClock.h"
#include "forms/zarCalForm.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTimer>

namespace zarvo {

void TzarForm::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    // The window starts on top; "not on top" takes effect at its first painting. Changing the
    // window flags re-creates the window, which must not happen inside its own paint event.
    if (!m_settings.ClockOnTop && onTop()) QTimer::singleShot(0, this, [this] { setOnTop(false); });
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
    m_tray.ClockItem->setText(QStringLiteral("Show &clock"));
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
    QFont f = chosen->font;
    // A size in pixels (no point size) is taken as points, as the size rule counts them.
    if (f.pointSize() <= 0) f.setPointSize(qMax(1, f.pixelSize()));
    m_settings.ClockFSize = f.pointSize();
    m_settings.ClockFColor = colorToStored(chosen->color);
    m_settings.ClockFB = f.bold();
    m_settings.ClockFI = f.italic();
    m_settings.ClockFU = f.underline();
    m_settings.ClockFS = f.strikeOut();
    f.setPointSize(clockFontSize());
    m_ding->setFont(f);
    m_ding->setTextColor(chosen->color);
    sizeClock();
}

void TzarForm::ColorItemClick()
{
    const auto chosen = CommonDialogs::chooseColor(this, colorFromStored(m_settings.ClockColor));
    if (!chosen) return;
    m_settings.ClockColor = colorToStored(*chosen);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromStored(m_settings.ClockColor));
    setPalette(pal);
}

void TzarForm::DingClockGetTime(const QDateTime& now)
{
    // Ticks come every 450 ms, so one of them falls within the first 0.6 s of every day, also
    // while the clock is hidden.
    if (m_cal && DingClock::isMidnightTurn(now.time())) m_cal->setToday(now.date());
}

} // namespace zarvo
