#include "EditorWidgets.h"

#include "core/LocalTime.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace zarvo {

QWidget* makeHeading(const QString& text, QWidget* parent, const QIcon& icon)
{
    auto* box = new QWidget(parent);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 4, 0, 2);
    column->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    if (!icon.isNull()) {
        auto* picture = new QLabel(box);
        picture->setPixmap(icon.pixmap(16, 16));
        row->addWidget(picture);
    }
    auto* caption = new QLabel(text, box);
    caption->setTextFormat(Qt::PlainText);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    row->addWidget(caption, 1);
    column->addLayout(row);
    auto* rule = new QFrame(box);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addWidget(rule);
    return box;
}

QLabel* makeBuddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QDateEdit* makeDatePicker(QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    picker->setDisplayFormat(format);
    picker->setCalendarPopup(true);
    // Whatever a file holds is shown as it is, as far as the picker can show dates at all.
    picker->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    return picker;
}

QTimeEdit* makeTimePicker(QWidget* parent)
{
    auto* picker = new QTimeEdit(parent);
    picker->setDisplayFormat(longTimeFormat());
    return picker;
}

QTime wholeSeconds(const QTime& t)
{
    return t.isValid() ? QTime(t.hour(), t.minute(), t.second()) : QTime(0, 0);
}

ClampSpinBox::ClampSpinBox(int minimum, int maximum, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State ClampSpinBox::validate(QString& input, int& pos) const
{
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid) return state;
    // Out of range is not wrong while typing; focus loss brings it in. Ten digits is all any
    // range here could need.
    const QString digits = input.trimmed();
    if (digits == QLatin1String("-") || digits == QLatin1String("+")) return QValidator::Intermediate;
    bool ok = false;
    if (digits.size() <= 11) digits.toLongLong(&ok);
    return ok ? QValidator::Intermediate : state;
}

void ClampSpinBox::commitTyped()
{
    bool ok = false;
    const qint64 typed = cleanText().trimmed().toLongLong(&ok);
    if (ok)
        setValue(int(std::clamp<qint64>(typed, minimum(), maximum())));
    else
        setValue(value()); // nothing usable typed: show the value again
}

void ClampSpinBox::focusOutEvent(QFocusEvent* e)
{
    commitTyped();
    QSpinBox::focusOutEvent(e);
}

} // namespace zarvo
