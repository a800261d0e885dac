#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace zarvo {

// The moment up to which every event has been dealt with (fired, or knowingly passed over while
// events were disabled), kept across runs so that a start can tell which reminders were missed
// while the program was not running. One line of ISO 8601 text; a file that cannot be read
// counts as no record.
class RunRecord
{
public:
    // An empty path keeps no record.
    explicit RunRecord(QString path);

    std::optional<QDateTime> load() const;
    // Replaces the file atomically; failures are silent (the next start then reports less).
    void save(const QDateTime& handledUpTo) const;

private:
    QString m_path;
};

} // namespace zarvo
