#include "URLLauncher.h"

#include "DesktopDefaults.h"
#include "ShellOpen.h"
#include "UrlArgument.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zarvo {

QString TGoToWeb::BrowserPath()
{
    m_parameters.clear();
    QString entry;
    for (const char* type : {"x-scheme-handler/http", "text/html"}) {
        entry = DesktopDefaults::defaultApplication(QString::fromLatin1(type));
        if (!entry.isEmpty()) break;
    }
    if (entry.isEmpty()) return {};
    const auto words = DesktopDefaults::execWords(entry);
    if (!words) return {};
    const QString first = words->first();
    QString program;
    if (QDir::isAbsolutePath(first))
        program = QDir::cleanPath(first);
    else if (!first.contains(u'/')) // a relative path would depend on wherever we were started
        program = QStandardPaths::findExecutable(first);
    if (program.isEmpty()) return {};
    m_parameters = DesktopDefaults::withoutFieldCodes(words->mid(1));
    return program;
}

bool TGoToWeb::IsAnyBrowser()
{
    const QString path = BrowserPath();
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool TGoToWeb::Execute()
{
    const QString path = BrowserPath();
    if (path.isEmpty()) return false;
    QStringList arguments = m_parameters;
    if (!Url.isEmpty()) {
        // Only an address reaches the browser, never an option of its own.
        const QString url = urlArgument(Url, true);
        if (url.isEmpty()) return false;
        // One argument whatever it holds: blanks and quotes in it split nothing.
        arguments << url;
    }
    return startDetachedProgram(path, arguments);
}

} // namespace zarvo
