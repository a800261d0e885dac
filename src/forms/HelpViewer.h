#pragma once

class QWidget;

namespace zarvo {

// The program's help: HTML pages compiled into the program, shown in one help window.
namespace HelpViewer {

// The contents page.
void showContents(QWidget* parent = nullptr);
// The page of a help context number (12 Events, 17 Parameters, 14 Connection, 40 Sticker, and
// the wizard's pages); an unknown number shows the contents.
void showContext(int context, QWidget* parent = nullptr);

} // namespace HelpViewer

} // namespace zarvo
