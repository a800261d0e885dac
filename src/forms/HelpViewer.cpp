#include "HelpViewer.h"

namespace zarvo::HelpViewer {

// Placeholders until the help window is written.
void showContents(QWidget*) {}
void showContext(int, QWidget*) {}

} // namespace zarvo::HelpViewer
