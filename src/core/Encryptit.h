#pragma once

#include <QByteArray>

namespace zarvo {

// Key of the password scrambling.
inline constexpr quint16 PasswordKey = 47093;

// Keyed byte scrambling of the stored password; Decrypt(Encrypt(s, k), k) == s for every s.
QByteArray Encrypt(const QByteArray& plain, quint16 key);
QByteArray Decrypt(const QByteArray& scrambled, quint16 key);

} // namespace zarvo
