#include "NMExtstr.h"

namespace zarvo {

qsizetype TExStringList::indexOfName(const QString& name) const
{
    for (qsizetype i = 0; i < size(); ++i)
        if (at(i).section(QLatin1Char(':'), 0, 0).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString TExStringList::value(const QString& name) const
{
    const qsizetype i = indexOfName(name);
    if (i < 0) return {};
    const QString& line = at(i);
    QString v = line.mid(line.indexOf(QLatin1Char(':')) + 1);
    if (v.startsWith(QLatin1Char(' '))) v.remove(0, 1);
    return v;
}

void TExStringList::setValue(const QString& name, const QString& value)
{
    const qsizetype i = indexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0) removeAt(i);
        return;
    }
    const QString line = name + QStringLiteral(": ") + value;
    if (i >= 0)
        replace(i, line);
    else
        append(line);
}

} // namespace zarvo
