#include "RunRecord.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zarvo {

RunRecord::RunRecord(QString path) : m_path(std::move(path)) {}

std::optional<QDateTime> RunRecord::load() const
{
    if (m_path.isEmpty()) return std::nullopt;
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    // Anything longer than one time stamp is not ours.
    const QByteArray text = f.read(64).trimmed();
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    if (!t.isValid()) return std::nullopt;
    return t.toLocalTime();
}

void RunRecord::save(const QDateTime& handledUpTo) const
{
    if (m_path.isEmpty() || !handledUpTo.isValid()) return;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) return;
    const QDateTime withOffset = handledUpTo.toOffsetFromUtc(handledUpTo.offsetFromUtc());
    SafeFile::replace(m_path, withOffset.toString(Qt::ISODateWithMs).toLatin1() + '\n');
}

} // namespace zarvo
