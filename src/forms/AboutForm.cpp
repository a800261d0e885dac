#include "AboutForm.h"

namespace zarvo {

// Placeholder until the about box is written.
TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {}

} // namespace zarvo
