#pragma once

#include <QDateEdit>
#include <QSpinBox>
#include <QTimeEdit>

class QLabel;

namespace zarvo {

// A bold heading over a horizontal rule: how every group on the editors' pages starts. An icon,
// when given, stands at the left of the heading.
QWidget* makeHeading(const QString& text, QWidget* parent, const QIcon& icon = {});
// A label whose accelerator moves the focus to `buddy`.
QLabel* makeBuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);

// A date picker in the locale's short date format with a drop-down month calendar. A short
// format with a two-digit year shows all four digits: typed two-digit years would otherwise land
// in the wrong century.
QDateEdit* makeDatePicker(QWidget* parent);
// A time picker in the locale's long time format, changed with up/down arrows.
QTimeEdit* makeTimePicker(QWidget* parent);
// Pickers show whole seconds; a time taken from the clock is cut to them.
QTime wholeSeconds(const QTime& t);

// A spin edit that lets any whole number be typed and brings it into its range when it loses
// focus (65535 in 0..10000 becomes 10000), instead of refusing the keystroke.
class ClampSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    ClampSpinBox(int minimum, int maximum, QWidget* parent = nullptr);
    // Takes what was typed, brought into range, as the value (focus loss does this too).
    void commitTyped();
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    void focusOutEvent(QFocusEvent* e) override;
};

} // namespace zarvo
