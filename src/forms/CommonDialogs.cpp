#include "CommonDialogs.h"

namespace zarvo::CommonDialogs {

// Placeholders until the dialogs are written: every dialog is cancelled.
std::optional<FontChoice> chooseFont(QWidget*, const FontChoice&) { return std::nullopt; }
std::optional<QColor> chooseColor(QWidget*, const QColor&) { return std::nullopt; }
std::optional<QString> chooseOpenFile(QWidget*, const QString&, const QString&) { return std::nullopt; }
void setNextFont(std::optional<FontChoice>) {}
void setNextColor(std::optional<QColor>) {}
void setNextOpenFile(std::optional<QString>) {}

} // namespace zarvo::CommonDialogs
