#include "platform/QtSoundPlayer.h"

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

void QtSoundPlayer::play(const QString& source)
{
    m_queue.clear();
    m_queue.append(source);
    if (!m_current.isEmpty()) {
        m_current.clear();
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
    if (m_givenUp || source.isEmpty() || !QFileInfo(source).isFile() || !isCompleteWav(source)) return false;
    // With no output at all QSoundEffect claims to play and never finishes.
    if (QMediaDevices::defaultAudioOutput().isNull()) return false;
    QSoundEffect* e = effect();
    m_current = source;
    m_started = false;
    e->stop();
    const QUrl url = toUrl(source);
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
        m_guard.start(playLimitMs(m_current));
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
    m_started = false;
    m_guard.stop();
    if (m_effect) m_effect->stop();
    startNext();
    if (m_current.isEmpty()) emit idle();
}

} // namespace zarvo
