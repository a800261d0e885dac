#include "DingClock.h"

#include <QEvent>
#include <QHideEvent>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QShowEvent>

namespace zarvo {

DingClock::DingClock(QWidget* parent) : QWidget(parent), m_separator(timeSeparator())
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_turn.setSingleShot(true);
    m_turn.setTimerType(Qt::PreciseTimer);
    connect(&m_turn, &QTimer::timeout, this, &DingClock::onTurn);
}

QDateTime DingClock::now() const
{
    return m_clock ? m_clock->now() : QDateTime::currentDateTime();
}

void DingClock::aimTurn()
{
    // One millisecond past the turn, so that the time read then is already the new one.
    const QTime t = now().time();
    const int period = m_seconds ? 1000 : 60000;
    const int into = m_seconds ? t.msec() : t.second() * 1000 + t.msec();
    m_turn.start(period - into + 1);
}

void DingClock::onTurn()
{
    // Only the display turns here; the calendar and the alarms keep to the tick.
    m_time = now().time();
    setText(format(m_time));
    aimTurn();
}

void DingClock::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    aimTurn();
}

void DingClock::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    m_turn.stop();
}

QChar DingClock::timeSeparator()
{
    // The first character after the hours that is not part of a field or of an AM/PM marker.
    const QString f = QLocale::system().timeFormat(QLocale::LongFormat);
    const qsizetype h = f.indexOf(QRegularExpression(QStringLiteral("[hH]")));
    if (h < 0) return QLatin1Char(':');
    for (qsizetype i = h; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == QLatin1Char('h') || c == QLatin1Char('H')) continue;
        if (c.isLetter() || c.isSpace() || c == QLatin1Char('\'')) break;
        return c;
    }
    return QLatin1Char(':');
}

bool DingClock::isMidnightTurn(const QTime& t)
{
    return t.isValid() && t.msecsSinceStartOfDay() <= 604.8;
}

void DingClock::setSecondsVisible(bool on)
{
    if (m_seconds == on) return;
    m_seconds = on;
    if (m_time.isValid()) setText(format(m_time));
    if (m_turn.isActive()) aimTurn();
    update();
}

void DingClock::setTextColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
    update();
}

QColor DingClock::textColor() const
{
    return palette().color(QPalette::WindowText);
}

QString DingClock::format(const QTime& t) const
{
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    QString s = two(t.hour()) + m_separator + two(t.minute());
    if (m_seconds) s += m_separator + two(t.second());
    return s;
}

void DingClock::tick(const QDateTime& now)
{
    Q_EMIT OnGetTime(now);
    const QTime t = now.time();
    // Most ticks fall in a second (or minute) already shown, by the turn or an earlier tick:
    // nothing to make or draw then.
    const bool same = m_time.isValid() && t.hour() == m_time.hour() && t.minute() == m_time.minute() &&
                      (!m_seconds || t.second() == m_time.second());
    m_time = t;
    if (!same) setText(format(t));
}

void DingClock::setText(const QString& text)
{
    if (text == m_text) return;
    if (text.size() != m_text.size()) {
        // The row is laid out afresh: every cell moves.
        m_text = text;
        update();
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != m_text.at(i)) update(cellRect(int(i)));
    }
    m_text = text;
}

int DingClock::cellWidth() const
{
    return qMax(1, fontMetrics().horizontalAdvance(QLatin1Char('8')));
}

QRect DingClock::cellRect(int index) const
{
    const int cw = cellWidth();
    const int rowWidth = cw * int(m_text.size());
    const int h = fontMetrics().height();
    const int x0 = (width() - rowWidth) / 2;
    const int y0 = (height() - h) / 2;
    return QRect(x0 + index * cw, y0, cw, h);
}

void DingClock::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.setPen(textColor());
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        const QRect cell = cellRect(int(i));
        if (e->region().intersects(cell)) p.drawText(cell, Qt::AlignCenter, QString(m_text.at(i)));
    }
}

void DingClock::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange) update();
    QWidget::changeEvent(e);
}

} // namespace zarvo
