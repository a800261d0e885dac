#include "TlsTrust.h"

#include <QDir>
#include <QMutex>
#include <QSslCertificate>

#include <map>
#include <utility>

namespace zarvo {

namespace {

QList<QSslCertificate> certificatesIn(const QString& file)
{
    return QSslCertificate::fromPath(file, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
}

QSslConfiguration configurationFor(const QString& file, const QString& dirs)
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    if (file.isEmpty() && dirs.isEmpty()) return config;
    // Setting a list of our own ends Qt's loading of the system's certificates on demand, so
    // they are put into the list first.
    QList<QSslCertificate> trusted = QSslConfiguration::systemCaCertificates();
    if (!file.isEmpty()) trusted += certificatesIn(file);
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QDir folder(dir);
        for (const QString& name : folder.entryList(QDir::Files | QDir::Readable, QDir::Name))
            trusted += certificatesIn(folder.filePath(name));
    }
    config.setCaCertificates(trusted);
    return config;
}

} // namespace

QSslConfiguration clientTlsConfiguration()
{
    static QMutex mutex;
    static std::map<std::pair<QString, QString>, QSslConfiguration> made;
    std::pair<QString, QString> key{qEnvironmentVariable("SSL_CERT_FILE"),
                                    qEnvironmentVariable("SSL_CERT_DIR")};
    QMutexLocker lock(&mutex);
    auto found = made.find(key);
    if (found == made.end()) found = made.emplace(key, configurationFor(key.first, key.second)).first;
    return found->second;
}

} // namespace zarvo
