#pragma once

#include <QUrl>

class QWidget;

namespace zarvo {

// The program's help: HTML pages compiled into the program, shown in one help window.
namespace HelpViewer {

// The contents page.
void showContents(QWidget* parent = nullptr);
// The page of a help context number (11 the wizard, 12 Events, 14 Connection, 17 Parameters,
// 40 Sticker); an unknown number shows the contents.
//
// The window is made on first use and reused. Opened with a parent, it belongs to the parent's
// window until that window hides, so it works while that window is modal and outlives it.
void showContext(int context, QWidget* parent = nullptr);

QUrl contentsUrl();
// The page a context number leads to: the contents for an unknown number.
QUrl contextUrl(int context);
// The help window, or nullptr while none has been opened.
QWidget* helpWindow();

} // namespace HelpViewer

} // namespace zarvo
