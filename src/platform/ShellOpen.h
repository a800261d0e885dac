#pragma once

#include <QString>
#include <QStringList>

namespace zarvo {

// Starts a program detached with an argument list, never through a shell, and with the signals
// this program blocks for itself unblocked again. True when the program was started.
bool startDetachedProgram(const QString& program, const QStringList& arguments,
                          const QString& workingDirectory = QString());

// Opens a file as the desktop would on a double click: an executable file is started with the
// parameters (split as a shell would, without one) in the current folder; a document or a folder
// opens in the desktop's application for it through the desktop's opener (xdg-open), and the
// parameters do not apply. A bare name that is no file here is looked up on PATH. A path that
// names no file but is an address with a scheme ("https://...", "mailto:...", "file:///...") is
// handed to the desktop's opener too. Nothing is reported: false only tells a test that nothing
// was started (empty or missing path, program that would not start).
bool ShellOpen(const QString& file, const QString& parameters);

} // namespace zarvo
