// libFuzzer target for the event file decoder: whatever bytes sit in "zarvo.dat" or "rb.dat",
// decoding must neither crash nor leak, and what it accepts must survive a save and a load.
#include "EventStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QVector<zarvo::EventRecord> rows;
    if (!zarvo::EventStore::decode(bytes, rows)) return 0;
    QVector<zarvo::EventRecord> again;
    if (!zarvo::EventStore::decode(zarvo::EventStore::encode(rows), again) || again != rows) std::abort();
    return 0;
}
