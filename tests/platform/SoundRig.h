#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// tools/rigs/sound.sh started in a private folder: a PulseAudio of its own whose only sink is a
// recorded null sink, so a test hears what it plays and never plays on the machine's speakers.
// Start it before anything asks for an audio device: the sound server is chosen at first use.
class SoundRig
{
public:
    ~SoundRig()
    {
        if (m_started) rig({"stop"});
    }
    // Empty when the rig is up; else why not.
    QString start()
    {
        m_script = qEnvironmentVariable("ZARVO_TEST_DATA") + "/../tools/rigs/sound.sh";
        if (!QFile::exists(m_script)) return "rig script not found: " + m_script;
        if (!rig({"start"})) return "the sound rig did not start: " + m_output;
        m_started = true;
        const QString d = m_dir.path() + "/sound";
        qputenv("XDG_RUNTIME_DIR", (d + "/xdg").toUtf8());
        qputenv("PULSE_SERVER", ("unix:" + d + "/xdg/pulse/native").toUtf8());
        return {};
    }
    QString mark() { return rig({"mark"}) ? m_output.trimmed() : QString(); }
    // The loudness (RMS, 0 to 1) of everything the sink received since `mark`.
    double rmsSince(const QString& mark)
    {
        if (!rig({"since", mark})) return -1;
        const QString out = m_output.trimmed(); // "rms=<r> peak=<p>"
        return out.section(' ', 0, 0).section('=', 1).toDouble();
    }

private:
    bool rig(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RIG_DIR", m_dir.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("bash", QStringList{m_script} + args);
        const bool ok =
            p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        m_output = QString::fromUtf8(p.readAll());
        return ok;
    }

    QTemporaryDir m_dir;
    QString m_script;
    QString m_output;
    bool m_started = false;
};
