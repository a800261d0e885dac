#pragma once

#include <QDialog>

namespace zarvo {

// The about box: pictures, "Version 4.02", a contact link and three lines about the machine.
class TAboutForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
};

} // namespace zarvo
