// libFuzzer target for the desktop files behind the browser lookup: whatever a desktop entry or
// a mimeapps.list holds, reading its Exec line and its default applications must neither crash
// nor leak, and what comes out must be what the launcher can use.
#include "platform/DesktopDefaults.h"

#include <cstdint>
#include <cstdlib>

using namespace zarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto words = DesktopDefaults::execWordsFromText(text)) {
        // The program is a word of its own, never empty.
        if (words->isEmpty() || words->first().isEmpty()) std::abort();
        const QStringList parameters = DesktopDefaults::withoutFieldCodes(words->mid(1));
        if (parameters.size() > words->size()) std::abort();
    }
    for (const char* type : {"x-scheme-handler/http", "text/html"}) {
        for (const QString& id : DesktopDefaults::defaultIdsFromText(text, QString::fromLatin1(type))) {
            if (id.isEmpty() || id != id.trimmed()) std::abort();
            (void)DesktopDefaults::findDesktopEntry(id); // must refuse paths, whatever the id holds
        }
    }
    return 0;
}
