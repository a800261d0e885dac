#pragma once

#include <QStringList>

namespace zarvo {

// A list of header lines "Name: value" with access by name. Names compare case-insensitively
// with the text before the first ":" of each line, from the top.
class TExStringList : public QStringList
{
public:
    using QStringList::QStringList;

    QString value(const QString& name) const;
    // A non-empty value replaces the line of that name or is appended; an empty one deletes it.
    void setValue(const QString& name, const QString& value);

private:
    qsizetype indexOfName(const QString& name) const;
};

} // namespace zarvo
