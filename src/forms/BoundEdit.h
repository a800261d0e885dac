#pragma once

#include "core/EvTable.h"

#include <QLineEdit>

namespace zarvo {

// An edit box that shows one field of the table's current row and follows the row as it
// changes. What is typed goes into the row as it is typed (the row enters editing), so a
// firing that moves the cursor while the user types can neither lose the text nor write it
// into another row.
class BoundEdit : public QLineEdit
{
    Q_OBJECT
public:
    // Texts take at most the field's 256 characters; a count field takes at most `countDigits`
    // characters, each a digit the table allows for the field.
    BoundEdit(EvTable& table, Field field, QWidget* parent = nullptr, int countDigits = 0);

    Field field() const { return m_field; }
    // Shows the current row's value (nothing for a field that was never set).
    void refresh();

private:
    void write(const QString& text);

    EvTable& m_table;
    Field m_field;
    bool m_writing = false;
};

} // namespace zarvo
