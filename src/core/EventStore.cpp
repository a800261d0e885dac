#include "EventStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zarvo {

namespace {

// The file's new name beside it, one that does not exist yet; empty when it could not be moved.
QString moveAside(const QString& path)
{
    const QString base = path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = n == 0 ? base : base + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink()) continue;
        // QFile::rename never replaces an existing file.
        if (QFile::rename(path, candidate)) return candidate;
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
    if (decode(bytes, rows, &why)) return LoadResult::Loaded;

    const QString aside = moveAside(path);
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
    // QSaveFile writes a new file beside the old one, syncs it and renames it over: whenever the
    // process dies, the name holds either the old table or the new one.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
