#include "Encryptit.h"

namespace zarvo {

namespace {

constexpr quint32 kMultiplier = 14509;
constexpr quint32 kIncrement = 52178;

// Both directions advance the key with the scrambled byte; that is what makes them inverse.
quint16 nextKey(quint8 scrambled, quint16 key)
{
    return static_cast<quint16>((scrambled + quint32{key}) * kMultiplier + kIncrement);
}

quint8 highByte(quint16 key)
{
    return static_cast<quint8>(key >> 8);
}

} // namespace

QByteArray Encrypt(const QByteArray& plain, quint16 key)
{
    QByteArray result(plain.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const auto out = static_cast<quint8>(static_cast<quint8>(plain[i]) ^ highByte(key));
        result[i] = static_cast<char>(out);
        key = nextKey(out, key);
    }
    return result;
}

QByteArray Decrypt(const QByteArray& scrambled, quint16 key)
{
    QByteArray result(scrambled.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < scrambled.size(); ++i) {
        const auto in = static_cast<quint8>(scrambled[i]);
        result[i] = static_cast<char>(in ^ highByte(key));
        key = nextKey(in, key);
    }
    return result;
}

} // namespace zarvo
