// libFuzzer target for the settings file parser: whatever the file holds, parsing must not
// crash, an unchanged file must come back byte for byte, and values we set must read back
// from the rewritten file with the rest of it stable.
#include "core/RegFile.h"

#include <cstdint>
#include <cstdlib>

using zarvo::RegFile;
using zarvo::RegValue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray key = QByteArrayLiteral("HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!");
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    RegFile file = RegFile::parse(input, key);
    if (file.toBytes() != input) std::abort();
    for (const char* name : {"Sound", "Port", "Pas", "StickerText"})
        (void)file.value(name);

    // Values steered by the input, so that the fuzzer explores both string forms.
    file.setValueOrder({"Sound", "Port", "Pas", "StickerText"});
    const RegValue port = RegValue::fromDword(static_cast<quint32>(qHash(input)));
    const RegValue pas = RegValue::fromString(input.left(24));
    const RegValue text = RegValue::fromString(input.right(8));
    file.setValue("Pas", pas);
    file.setValue("Port", port);
    file.setValue("StickerText", text);

    const QByteArray out = file.toBytes();
    const RegFile again = RegFile::parse(out, key);
    if (again.value("Port") != port || again.value("Pas") != pas || again.value("StickerText") != text)
        std::abort();
    if (again.toBytes() != out) std::abort();
    return 0;
}
