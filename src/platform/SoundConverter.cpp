#include "platform/SoundConverter.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <QtEndian>

namespace zarvo {

namespace {

// A theme's event sound lasts seconds; anything longer than this is not one, and decoding it
// would fill the cache and the memory for nothing.
constexpr qint64 kMaxPcmBytes = 48000LL * 2 * 2 * 120;

qint16 toInt16(const QAudioFormat& format, const char* sample)
{
    switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
        return qint16((int(quint8(*sample)) - 128) * 256);
    case QAudioFormat::Int16:
        return qFromUnaligned<qint16>(sample);
    case QAudioFormat::Int32:
        return qint16(qFromUnaligned<qint32>(sample) >> 16);
    case QAudioFormat::Float:
        return qint16(qBound(-1.0f, qFromUnaligned<float>(sample), 1.0f) * 32767.0f);
    default:
        return 0;
    }
}

QByteArray wavFile(const QByteArray& pcm, int rate, int channels)
{
    QByteArray wav;
    wav.reserve(44 + pcm.size());
    const auto u32 = [&wav](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    const auto u16 = [&wav](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    wav.append("RIFF");
    u32(quint32(36 + pcm.size()));
    wav.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(quint16(channels));
    u32(quint32(rate));
    u32(quint32(rate * channels * 2));
    u16(quint16(channels * 2));
    u16(16);
    wav.append("data");
    u32(quint32(pcm.size()));
    wav.append(pcm);
    return wav;
}

} // namespace

SoundConverter::SoundConverter(QObject* parent) : QObject(parent) {}

SoundConverter::~SoundConverter()
{
    if (m_decoder) {
        m_decoder->disconnect(this);
        m_decoder->stop();
    }
}

QString SoundConverter::convertedPath(const QString& source)
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty()) {
        if (QDir::homePath() == QDir::rootPath()) return {};
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    const QFileInfo info(source);
    const QByteArray key = info.absoluteFilePath().toUtf8() + '\n' + QByteArray::number(info.size()) + '\n' +
                           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    return cache + QStringLiteral("/zarvo/sounds/") + info.completeBaseName() + QLatin1Char('-') +
           QString::fromLatin1(hash) + QStringLiteral(".wav");
}

void SoundConverter::convert(const QString& source)
{
    if (!m_decoder) {
        // Made on first use: the media framework starts up with it.
        m_decoder = new QAudioDecoder(this);
        connect(m_decoder, &QAudioDecoder::bufferReady, this, &SoundConverter::onBuffer);
        connect(m_decoder, &QAudioDecoder::finished, this, &SoundConverter::onFinished);
        connect(m_decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), this,
                &SoundConverter::fail);
    }
    if (busy()) {
        // Given up: nothing of it may reach the cache.
        m_source.clear();
        m_decoder->stop();
    }
    m_source = source;
    m_pcm.clear();
    m_rate = m_channels = 0;
    if (!m_decoder->isSupported() || convertedPath(source).isEmpty()) {
        // Reported from the event loop, as a decoder's answer would be.
        QMetaObject::invokeMethod(this, &SoundConverter::fail, Qt::QueuedConnection);
        return;
    }
    m_decoder->setSource(QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath()));
    m_decoder->start();
}

void SoundConverter::onBuffer()
{
    while (m_decoder->bufferAvailable()) {
        const QAudioBuffer buffer = m_decoder->read();
        if (!busy() || !buffer.isValid()) continue;
        const QAudioFormat format = buffer.format();
        if (m_rate == 0) {
            m_rate = format.sampleRate();
            m_channels = format.channelCount();
        }
        const int bytes = format.bytesPerSample();
        if (format.sampleRate() != m_rate || format.channelCount() != m_channels || bytes <= 0 ||
            m_rate <= 0 || m_channels <= 0 || m_channels > 8) {
            fail();
            return;
        }
        const qsizetype samples = buffer.byteCount() / bytes;
        if (m_pcm.size() + 2 * samples > kMaxPcmBytes) {
            fail();
            return;
        }
        const char* data = buffer.constData<char>();
        const qsizetype start = m_pcm.size();
        m_pcm.resize(start + 2 * samples);
        for (qsizetype i = 0; i < samples; ++i)
            qToLittleEndian(toInt16(format, data + i * bytes), m_pcm.data() + start + 2 * i);
    }
}

void SoundConverter::onFinished()
{
    if (!busy()) return;
    onBuffer();
    if (!busy()) return; // failed while reading the last buffers
    if (m_pcm.isEmpty()) {
        fail();
        return;
    }
    const QString target = convertedPath(m_source);
    QDir().mkpath(QFileInfo(target).absolutePath());
    // Written whole or not at all: a half-written file would be played as a short sound.
    QSaveFile file(target);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(wavFile(m_pcm, m_rate, m_channels)) >= 0 &&
                    file.commit();
    done(ok);
}

void SoundConverter::fail()
{
    if (!busy()) return;
    const QString source = m_source;
    // Cleared first: stopping may report the end of what was decoded so far, which must not be
    // taken for the whole sound.
    m_source.clear();
    if (m_decoder) m_decoder->stop();
    m_source = source;
    done(false);
}

void SoundConverter::done(bool ok)
{
    const QString source = m_source;
    m_source.clear();
    m_pcm.clear();
    m_pcm.squeeze();
    emit finished(source, ok);
}

} // namespace zarvo
