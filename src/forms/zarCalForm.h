#pragma once

#include "core/Settings.h"
#include "core/SettingsStore.h"

#include <QDate>
#include <QWidget>

class QCalendarWidget;

namespace zarvo {

// The calendar window: a small tool window with a month calendar.
class TzarCalForm : public QWidget
{
    Q_OBJECT
public:
    // Placed at CalWL, CalWT; shown when CalVis is set; the calendar set to `today`.
    TzarCalForm(Settings& settings, SettingsStore& store, const QDate& today, QWidget* parent = nullptr);

    void setToday(const QDate& today);
    // On the first start, when no place is stored: the calendar's own place on the primary
    // screen, recorded as its position.
    void placeFirst();
    QDate selectedDate() const;
    QCalendarWidget* zarCalendar() const { return m_calendar; }

protected:
    // Records the place at once and hides; CalVis stays as it is.
    void closeEvent(QCloseEvent* e) override;

private:
    Settings& m_settings;
    SettingsStore& m_store;
    QCalendarWidget* m_calendar = nullptr;
};

} // namespace zarvo
