#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTest>

// A small program written into a test folder: when run, it records its arguments, its working
// folder and its blocked-signal mask beside itself, so a test sees exactly what it was given.
class RecordingProgram
{
public:
    // Writes the program as `dir`/`name`, executable.
    RecordingProgram(const QString& dir, const QString& name)
        : m_path(dir + u'/' + name), m_out(dir + u'/' + name + ".rec")
    {
        QFile f(m_path);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(m_path));
        // printf '%s\0' keeps arguments with blanks, quotes and newlines apart; the mv makes
        // the record appear whole.
        f.write("#!/bin/bash\n" // not dash: it clears the signal mask it was given

                "out=\"$0.rec\"\n"
                "{ pwd; grep '^SigBlk' /proc/self/status; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; }"
                " > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path() const { return m_path; }
    // Waits up to 5 s for the program to have run.
    bool waitForRun() const
    {
        return QTest::qWaitFor([this] { return QFile::exists(m_out); }, 5000);
    }
    bool ran() const { return QFile::exists(m_out); }
    QString workingDir() const { return lines().value(0); }
    // True when SIGTERM (15) and SIGINT (2) are not blocked in the program.
    bool signalsUnblocked() const
    {
        const QString line = lines().value(1);
        bool ok = false;
        const qulonglong mask = line.section(u'\t', 1).trimmed().toULongLong(&ok, 16);
        return ok && !(mask & (1ull << 14)) && !(mask & (1ull << 1));
    }
    QStringList arguments() const
    {
        const QByteArray all = read();
        const qsizetype second = all.indexOf('\n', all.indexOf('\n') + 1);
        QStringList args;
        QByteArray rest = all.mid(second + 1);
        while (!rest.isEmpty()) {
            const qsizetype nul = rest.indexOf('\0');
            args << QString::fromUtf8(rest.left(nul));
            rest = rest.mid(nul + 1);
        }
        return args;
    }

private:
    QByteArray read() const
    {
        QFile f(m_out);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList lines() const { return QString::fromUtf8(read()).split(u'\n'); }

    QString m_path;
    QString m_out;
};
