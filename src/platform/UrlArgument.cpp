#include "UrlArgument.h"

#include <QUrl>

namespace zarvo {

namespace {

// "example.org:8080/x" and "localhost:8080" parse as a scheme and a path, but are a host and a
// port; a one-letter "scheme" is a drive letter from another system ("C:\...").
bool realScheme(const QUrl& url)
{
    const QString scheme = url.scheme();
    return scheme.size() > 1 && !scheme.contains(u'.') && scheme != u"localhost";
}

} // namespace

QString urlArgument(const QString& text, bool bareHosts)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.startsWith(u'-')) return {};
    const QUrl url(t);
    // A valid scheme starts with a letter, so the text cannot start with "-" either.
    if (url.isValid() && realScheme(url)) return t;
    if (!bareHosts) return {};
    const QString web = QStringLiteral("http://") + t;
    const QUrl host(web);
    if (!host.isValid() || host.host().isEmpty()) return {};
    return web;
}

} // namespace zarvo
