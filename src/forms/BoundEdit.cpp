#include "BoundEdit.h"

#include <QValidator>

namespace zarvo {

namespace {

// Refuses any character the field does not take; the digits 0 to 9 are the most a count takes.
class FieldCharsValidator : public QValidator
{
public:
    FieldCharsValidator(const EvTable& table, Field field, QObject* parent)
        : QValidator(parent), m_table(table), m_field(field)
    {
    }
    State validate(QString& input, int&) const override
    {
        for (const QChar c : input) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9') || !m_table.isCharAllowed(m_field, c))
                return Invalid;
        }
        return Acceptable;
    }

private:
    const EvTable& m_table;
    Field m_field;
};

} // namespace

BoundEdit::BoundEdit(EvTable& table, Field field, QWidget* parent, int countDigits)
    : QLineEdit(parent), m_table(table), m_field(field)
{
    if (fieldKind(field) == FieldKind::Integer) {
        setMaxLength(countDigits > 0 ? countDigits : 11);
        setValidator(new FieldCharsValidator(table, field, this));
    } else {
        setMaxLength(MaxTextLength);
    }
    connect(this, &QLineEdit::textEdited, this, &BoundEdit::write);
    connect(&table, &EvTable::AfterScroll, this, &BoundEdit::refresh);
    connect(&table, &EvTable::rowsReset, this, &BoundEdit::refresh);
    connect(&table, &EvTable::fieldChanged, this, [this](Field f) {
        if (f == m_field && !m_writing) refresh();
    });
    refresh();
}

void BoundEdit::refresh()
{
    const EventRecord& row = m_table.current();
    const QString shown = row.isNull(m_field) ? QString() : row.value(m_field).toString();
    if (shown != text()) setText(shown);
}

void BoundEdit::write(const QString& text)
{
    m_writing = true;
    m_table.setFieldValue(m_field, text);
    m_writing = false;
}

} // namespace zarvo
