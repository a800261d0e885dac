#include "EventStore.h"

#include "SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zarvo {

namespace {

// Keeps the file aside under a name beside it that does not exist yet: moved there, or (with
// `copy`) a copy of those bytes made there. The new name, or empty when it could not be done.
QString keepAside(const QString& path, const QByteArray* copy = nullptr)
{
    const QString base = path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = n == 0 ? base : base + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink()) continue;
        // Neither a rename by QFile nor createNew ever replaces an existing file.
        if (copy ? SafeFile::createNew(candidate, *copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                 : QFile::rename(path, candidate)) {
            if (!copy) SafeFile::syncFolder(QFileInfo(path).absolutePath());
            return candidate;
        }
        if (!QFileInfo::exists(candidate)) return {}; // the folder refuses, not the name
    }
    return {};
}

} // namespace

EventStore::EventStore(QString dir) : m_dir(std::move(dir)) {}

QString EventStore::path(const char* fileName) const
{
    return m_dir + QLatin1Char('/') + QString::fromLatin1(fileName);
}

EventStore::LoadResult EventStore::load(const QString& path, QVector<EventRecord>& rows, QString* keptAs)
{
    rows.clear();
    if (keptAs) keptAs->clear();
    const QFileInfo info(path);
    if (!info.exists()) return info.isSymLink() ? LoadResult::Unreadable : LoadResult::Missing;
    // A folder or a device in its place is nothing to read, and nothing to move either.
    if (!info.isFile()) return LoadResult::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.exists() ? LoadResult::Unreadable : LoadResult::Missing;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return LoadResult::Unreadable;
    file.close();

    QString why;
    Mending mending;
    if (decode(bytes, rows, &why, &mending)) {
        if (!mending.any()) return LoadResult::Loaded;
        // Nothing stored is lost: before any of it can be written over, the file is kept
        // aside exactly as it is.
        const QString copy = keepAside(path, &bytes);
        if (keptAs) *keptAs = copy.isEmpty() ? path : copy;
        const QString counts =
            QStringLiteral("has rows that cannot be read whole (rows: %1, left out: %2, kept with values "
                           "unset or cut: %3)")
                .arg(mending.rowsRead)
                .arg(mending.leftOut)
                .arg(mending.changed);
        if (copy.isEmpty())
            qWarning("zarvo: %s %s; it could not be copied aside and is left as it is",
                     qPrintable(QDir::toNativeSeparators(path)), qPrintable(counts));
        else
            qWarning("zarvo: %s %s; the original was kept as %s", qPrintable(QDir::toNativeSeparators(path)),
                     qPrintable(counts), qPrintable(QDir::toNativeSeparators(copy)));
        return LoadResult::Mended;
    }

    const QString aside = keepAside(path);
    if (keptAs) *keptAs = aside.isEmpty() ? path : aside;
    if (aside.isEmpty())
        qWarning(
            "zarvo: %s is not a readable event file (%s); it could not be moved aside and is left as it is",
            qPrintable(QDir::toNativeSeparators(path)), qPrintable(why));
    else
        qWarning("zarvo: %s is not a readable event file (%s); it was kept as %s",
                 qPrintable(QDir::toNativeSeparators(path)), qPrintable(why),
                 qPrintable(QDir::toNativeSeparators(aside)));
    return LoadResult::Damaged;
}

bool EventStore::save(const QString& path, const QVector<EventRecord>& rows)
{
    const QByteArray bytes = encode(rows);
    if (bytes.isEmpty()) return false;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    // Whenever the process dies or the power goes, the name holds the old table or the new one.
    return SafeFile::replace(path, bytes);
}

void EventStore::LoadEvents(EvTable& table)
{
    QVector<EventRecord> rows;
    QString keptAs;
    const QString file = path(EventsFile);
    switch (load(file, rows, &keptAs)) {
    case LoadResult::Loaded:
        m_eventsFileProtected = false;
        table.replaceAll(rows);
        break;
    case LoadResult::Mended:
        // Without a copy aside the file holds what the table does not, and stays as it is.
        m_eventsFileProtected = keptAs == file;
        table.replaceAll(rows);
        if (!m_eventsFileProtected) save(file, table.rows());
        break;
    case LoadResult::Missing:
        m_eventsFileProtected = false;
        break;
    case LoadResult::Damaged:
        m_eventsFileProtected = keptAs == file;
        table.replaceAll({});
        break;
    case LoadResult::Unreadable:
        m_eventsFileProtected = true;
        qWarning("zarvo: cannot read %s; it is left as it is and will not be overwritten",
                 qPrintable(QDir::toNativeSeparators(file)));
        break;
    }
}

bool EventStore::SaveEvents(EvTable& table)
{
    table.Post();
    if (m_eventsFileProtected) return false;
    return save(path(EventsFile), table.rows());
}

bool EventStore::SaveBackup(EvTable& table)
{
    table.Post();
    return save(path(BackupFile), table.rows());
}

bool EventStore::RestoreBackup(EvTable& table, const QVector<EvTable::RowId>& ids)
{
    QVector<EventRecord> rows;
    if (load(path(BackupFile), rows) != LoadResult::Loaded) return false;
    table.replaceAll(rows, ids);
    return true;
}

} // namespace zarvo
