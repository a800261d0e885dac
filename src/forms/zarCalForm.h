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
    QDate selectedDate() const;

private:
    Settings& m_settings;
    SettingsStore& m_store;
    QCalendarWidget* m_calendar = nullptr;
};

} // namespace zarvo
