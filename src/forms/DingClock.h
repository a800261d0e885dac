#pragma once

#include "core/Clock.h"

#include <QDateTime>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace zarvo {

// The visible clock: the time of day as 24-hour digits, each character in a cell as wide as an
// "8" of the clock's font so that nothing shifts as the digits change. Only the cells whose
// character changed are repainted on a tick. It draws no background: the window's colour shows.
//
// While it is shown it also turns at each whole second (each whole minute without seconds) by a
// timer aimed at that moment, so the digits change with the real second rather than at the
// next tick, up to 450 ms later. Hidden, it keeps no timer of its own.
class DingClock : public QWidget
{
    Q_OBJECT
public:
    explicit DingClock(QWidget* parent = nullptr);

    // Where the clock reads the time at its turns; the system's clock when none is given.
    void setClock(const IClock* clock) { m_clock = clock; }
    // Milliseconds until the next turn, or -1 while there is none to come (hidden).
    int nextTurnMs() const { return m_turn.isActive() ? m_turn.remainingTime() : -1; }

    void setSecondsVisible(bool on);
    bool secondsVisible() const { return m_seconds; }
    void setTextColor(const QColor& color);
    QColor textColor() const;

    // One tick: offers the moment to OnGetTime, then shows its time of day.
    void tick(const QDateTime& now);
    // What the clock shows now ("hh:mm" or "hh:mm:ss" with the locale's separator).
    QString shownText() const { return m_text; }
    // The rectangle of character cell `index` of the shown text.
    QRect cellRect(int index) const;

    // The locale's time separator; ':' when its time format names none.
    static QChar timeSeparator();
    // A tick at most 7e-6 of a day (0.6048 s) after midnight turns the calendar.
    static bool isMidnightTurn(const QTime& t);

Q_SIGNALS:
    // The moment the clock is about to show.
    void OnGetTime(const QDateTime& now);

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    QDateTime now() const;
    void aimTurn();
    void onTurn();
    QString format(const QTime& t) const;
    int cellWidth() const;
    void setText(const QString& text);

    bool m_seconds = true;
    QTime m_time;
    QString m_text;
    QChar m_separator;
    const IClock* m_clock = nullptr;
    QTimer m_turn;
};

} // namespace zarvo
