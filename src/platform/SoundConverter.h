#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QAudioDecoder;

namespace zarvo {

// Turns a compressed sound (the sound themes' Ogg Vorbis) into the 16-bit PCM WAV file that the
// sound effect plays, in the background: the decoder runs on the media framework's own threads
// and nothing here waits for it. The WAV files are kept in the user's cache folder.
class SoundConverter : public QObject
{
    Q_OBJECT
public:
    explicit SoundConverter(QObject* parent = nullptr);
    ~SoundConverter() override;

    // Where the WAV made from `source` is kept: named after the source's path, size and time of
    // change, so a changed theme is decoded afresh. Empty when there is no cache folder.
    static QString convertedPath(const QString& source);

    // Starts decoding `source` into convertedPath(source); a conversion still running is given
    // up. finished() follows, also on failure.
    void convert(const QString& source);
    bool busy() const { return !m_source.isEmpty(); }

Q_SIGNALS:
    void finished(const QString& source, bool ok);

private:
    void onBuffer();
    void onFinished();
    void fail();
    void done(bool ok);

    QAudioDecoder* m_decoder = nullptr;
    QString m_source;
    QByteArray m_pcm;
    int m_rate = 0;
    int m_channels = 0;
};

} // namespace zarvo
