#include "zarCalForm.h"

namespace zarvo {

// Placeholder until the calendar is written.
TzarCalForm::TzarCalForm(Settings& settings, SettingsStore& store, const QDate&, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_store(store)
{
}
void TzarCalForm::setToday(const QDate&) {}
QDate TzarCalForm::selectedDate() const { return {}; }

} // namespace zarvo
