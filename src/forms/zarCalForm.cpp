#include "zarCalForm.h"

#include "WindowPlacement.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace zarvo {

namespace {
const QSize kClientSize(176, 153);
}

TzarCalForm::TzarCalForm(Settings& settings, SettingsStore& store, const QDate& today, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_settings(settings),
      m_store(store)
{
    setObjectName(QStringLiteral("zarCalForm"));
    setWindowTitle(QStringLiteral("Calendar"));

    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(QStringLiteral("zarCalendar"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_calendar);
    // The month view needs more room than the nominal client area with most styles and fonts;
    // the window then takes what the calendar needs and never cuts it off. Its needs are known
    // once the style has been applied.
    ensurePolished();
    m_calendar->ensurePolished();
    setFixedSize(kClientSize.expandedTo(m_calendar->minimumSizeHint()));

    setToday(today);
    move(placeOnScreen(QPoint(m_settings.CalWL, m_settings.CalWT), frameGeometry().size()));
    if (m_settings.CalVis) show();
}

void TzarCalForm::setToday(const QDate& today)
{
    m_calendar->setSelectedDate(today);
    m_calendar->setCurrentPage(today.year(), today.month());
}

void TzarCalForm::placeFirst()
{
    // The window manager's title bar is not there yet; the style's guess at it keeps the whole
    // window above the bottom margin.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    move(firstPlace(FirstPlace::Calendar, frameGeometry().size() + QSize(0, titleBar)));
    m_settings.CalWL = x();
    m_settings.CalWT = y();
}

QDate TzarCalForm::selectedDate() const
{
    return m_calendar->selectedDate();
}

void TzarCalForm::closeEvent(QCloseEvent* e)
{
    m_settings.CalWL = x();
    m_settings.CalWT = y();
    m_store.SaveCalendarPosition(m_settings);
    e->accept();
}

} // namespace zarvo
