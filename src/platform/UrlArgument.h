#pragma once

#include <QString>

namespace zarvo {

// An address as it may be handed to a browser or to the desktop's opener as an argument of its
// own: an absolute URL with a scheme ("https://...", "mailto:...", "file:///..."), as it was
// written but for surrounding blanks. With `bareHosts`, a text without a scheme that names a
// host ("example.org/page", "localhost:8080") gets "http://" put in front, as a user typing an
// address expects. Empty for anything else, and always for a text that starts with "-": the
// program would take it for one of its options ("--new-window", "--renderer-cmd-prefix=...").
QString urlArgument(const QString& text, bool bareHosts);

} // namespace zarvo
