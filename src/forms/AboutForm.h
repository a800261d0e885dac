#pragma once

#include "platform/SystemInfo.h"

#include <QDialog>

class QLabel;

namespace zarvo {

// The about box: pictures, "Version 4.02", a contact link and three lines about the machine.
class TAboutForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
    // With the machine's answers given, so the lines can be shown for any machine.
    explicit TAboutForm(const SystemInfo& info, QWidget* parent = nullptr);

    // The address behind the contact link.
    static QString contactAddress();
    // The program's version as the user sees it: "4.02".
    static QString version() { return QStringLiteral("4.02"); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void MailMeLabelClick();
    QLabel* m_mailLabel = nullptr;
};

} // namespace zarvo
