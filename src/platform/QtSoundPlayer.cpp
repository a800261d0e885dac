#include "platform/QtSoundPlayer.h"

#include "platform/SoundConverter.h"
#include "platform/SoundTheme.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

namespace zarvo {

namespace {

// A local WAV file decodes in milliseconds; one whose header promises data that never comes
// would otherwise keep the effect loading, and the queue waiting, for ever.
constexpr int kLoadLimitMs = 2000;
// A theme's sound of a few seconds decodes in a fraction of a second; a decoder that takes
// longer than this is not going to finish, and the program's own recording plays instead.
constexpr int kDecodeLimitMs = 5000;

// No WAV plays slower than 8-bit mono at 8 kHz, so its size bounds how long it may take. The
// bound only matters when the sound server stops answering mid-sound.
int playLimitMs(const QString& source)
{
    const qint64 bytes = QFileInfo(source).size();
    return int(qMin<qint64>(bytes / 8, 3600 * 1000)) + 2000;
}

// QSoundEffect's decoder waits for ever for bytes that a WAV header promises but the file does
// not hold, and the next change of source or the effect's destruction then waits for the
// decoder: the whole program would freeze. Such files are skipped up front.
bool isCompleteWav(const QString& source)
{
    QFile f(source);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const qint64 size = f.size();
    const QByteArray riff = f.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE") return false;
    bool haveFormat = false;
    for (qint64 pos = 12; pos + 8 <= size;) {
        if (!f.seek(pos)) return false;
        const QByteArray chunk = f.read(8);
        if (chunk.size() < 8) return false;
        const qint64 length = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt "))
            haveFormat = length >= 16;
        else if (chunk.startsWith("data"))
            return haveFormat && pos + 8 + length <= size;
        pos += 8 + length + (length & 1);
    }
    return false;
}

bool isWavName(const QString& path)
{
    return path.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive);
}

// The program's own recording of a theme sound, where it has one.
QString builtinSound(const QString& themeSource)
{
    const QString file = resourceSound(themeSource.mid(SoundTheme::themePrefix().size()));
    return QFileInfo(file).isFile() ? file : QString();
}

QUrl toUrl(const QString& source)
{
    if (source.startsWith(QStringLiteral(":/"))) return QUrl(QStringLiteral("qrc") + source);
    return QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath());
}

} // namespace

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent)
{
    m_guard.setSingleShot(true);
    connect(&m_guard, &QTimer::timeout, this, [this] {
        if (!m_converting.isEmpty()) {
            // The decoder is still at it; its answer, should it come, is no longer awaited.
            m_converting.clear();
            if (!startEffect(m_current, builtinSound(m_current))) finishCurrent();
            return;
        }
        if (!m_started) abandonEffect();
        finishCurrent();
    });
}

QtSoundPlayer::~QtSoundPlayer()
{
    // Deleted here rather than as a child: by then its last signals would reach a half-destroyed
    // player.
    if (m_effect) {
        m_effect->disconnect(this);
        delete m_effect;
    }
}

QSoundEffect* QtSoundPlayer::effect()
{
    // Made on first use: creating it connects to the sound server, which start-up must not
    // wait for.
    if (!m_effect) {
        m_effect = new QSoundEffect(this);
        connect(m_effect, &QSoundEffect::statusChanged, this, &QtSoundPlayer::onStatusChanged);
        connect(m_effect, &QSoundEffect::playingChanged, this, &QtSoundPlayer::onPlayingChanged);
    }
    return m_effect;
}

void QtSoundPlayer::abandonEffect()
{
    // Still loading after the limit: the decoder is stuck, and touching this effect or any
    // other one again (a new source, deleting it) would wait for it. Sound is given up for the
    // rest of the run rather than freezing the program.
    if (!m_effect) return;
    m_effect->disconnect(this);
    m_effect->setParent(nullptr);
    m_effect = nullptr;
    m_givenUp = true;
}

SoundConverter* QtSoundPlayer::converter()
{
    if (!m_converter) {
        m_converter = new SoundConverter(this);
        connect(m_converter, &SoundConverter::finished, this, &QtSoundPlayer::onConverted);
    }
    return m_converter;
}

void QtSoundPlayer::play(const QString& source)
{
    m_queue.clear();
    m_queue.append(source);
    if (!m_current.isEmpty()) {
        m_current.clear();
        m_converting.clear();
        m_guard.stop();
        m_started = false;
        effect()->stop();
    }
    startNext();
}

void QtSoundPlayer::enqueue(const QString& source)
{
    m_queue.append(source);
    if (m_current.isEmpty()) startNext();
}

void QtSoundPlayer::stop()
{
    m_queue.clear();
    const bool wasBusy = !m_current.isEmpty();
    m_current.clear();
    m_converting.clear();
    m_guard.stop();
    m_started = false;
    if (m_effect) m_effect->stop();
    if (wasBusy) emit idle();
}

void QtSoundPlayer::startNext()
{
    while (!m_queue.isEmpty()) {
        if (begin(m_queue.takeFirst())) return;
    }
}

bool QtSoundPlayer::begin(const QString& source)
{
    if (m_givenUp || source.isEmpty()) return false;
    // With no output at all QSoundEffect claims to play and never finishes.
    if (QMediaDevices::defaultAudioOutput().isNull()) return false;
    if (!source.startsWith(SoundTheme::themePrefix())) return startEffect(source, source);

    const SoundTheme::Found found =
        SoundTheme::find(source.mid(SoundTheme::themePrefix().size()), SoundTheme::desktopPlaces());
    if (found.disabled) return false; // silenced by the user's theme
    if (found.file.isEmpty() || isWavName(found.file)) {
        if (!found.file.isEmpty() && startEffect(source, found.file)) return true;
        return startEffect(source, builtinSound(source));
    }
    // The themes' Ogg Vorbis is beyond the sound effect: it plays a WAV made from it.
    const QString converted = SoundConverter::convertedPath(found.file);
    if (!converted.isEmpty() && isCompleteWav(converted)) return startEffect(source, converted);
    m_current = source;
    m_file.clear();
    m_started = false;
    m_converting = found.file;
    m_guard.start(kDecodeLimitMs);
    converter()->convert(found.file);
    return true;
}

void QtSoundPlayer::onConverted(const QString& file, bool ok)
{
    if (m_current.isEmpty() || m_converting.isEmpty() || file != m_converting) return;
    m_converting.clear();
    m_guard.stop();
    if (ok && startEffect(m_current, SoundConverter::convertedPath(file))) return;
    if (!startEffect(m_current, builtinSound(m_current))) finishCurrent();
}

bool QtSoundPlayer::startEffect(const QString& source, const QString& file)
{
    if (file.isEmpty() || !QFileInfo(file).isFile() || !isCompleteWav(file)) return false;
    QSoundEffect* e = effect();
    m_current = source;
    m_file = file;
    m_started = false;
    e->stop();
    const QUrl url = toUrl(file);
    if (e->source() == url && e->status() == QSoundEffect::Error)
        e->setSource(QUrl()); // the same failed source would not be tried again otherwise
    e->setSource(url);
    m_guard.start(kLoadLimitMs);
    onStatusChanged();
    return true;
}

void QtSoundPlayer::onStatusChanged()
{
    if (m_current.isEmpty() || m_started) return;
    switch (m_effect->status()) {
    case QSoundEffect::Ready:
        m_started = true;
        m_guard.start(playLimitMs(m_file));
        m_effect->play();
        emit started(m_current);
        break;
    case QSoundEffect::Error:
        finishCurrent();
        break;
    default:
        break;
    }
}

void QtSoundPlayer::onPlayingChanged()
{
    if (m_started && !m_effect->isPlaying()) finishCurrent();
}

void QtSoundPlayer::finishCurrent()
{
    if (m_current.isEmpty()) return;
    m_current.clear();
    m_converting.clear();
    m_started = false;
    m_guard.stop();
    if (m_effect) m_effect->stop();
    startNext();
    if (m_current.isEmpty()) emit idle();
}

} // namespace zarvo
