#pragma once

#include <QSslConfiguration>

namespace zarvo {

// The TLS configuration of every client connection: Qt's defaults (peer verified, host name
// checked) with the system's trusted certificates, plus the certificates named by SSL_CERT_FILE
// (one file) and SSL_CERT_DIR (folders, separated by ":") when they are set, the convention
// other programs follow and Qt does not read by itself. The files are read once for each pair
// of values; safe to call from any thread.
QSslConfiguration clientTlsConfiguration();

} // namespace zarvo
