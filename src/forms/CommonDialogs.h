#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace zarvo {

// A font together with the colour of its text, as the font dialog edits them.
struct FontChoice
{
    QFont font;
    QColor color;
};

// The standard font, colour and open-file dialogs, each with a hook through which a test gives
// the answer before the dialog would open (so no modal dialog ever blocks a test).
namespace CommonDialogs {

std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial);
std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial);
// `filter` in the form "Sound files (*.wav)"; returns the full path of the chosen file.
std::optional<QString> chooseOpenFile(QWidget* parent, const QString& filter, const QString& defaultSuffix);

// Test hooks: the next call of the matching function returns this answer at once (an empty
// optional: the user cancelled). One answer per call.
void setNextFont(std::optional<FontChoice> answer);
void setNextColor(std::optional<QColor> answer);
void setNextOpenFile(std::optional<QString> answer);

} // namespace CommonDialogs

// Colours are stored as red + 256 x green + 65536 x blue.
inline QColor colorFromStored(int c)
{
    return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}
inline int colorToStored(const QColor& c)
{
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

} // namespace zarvo
