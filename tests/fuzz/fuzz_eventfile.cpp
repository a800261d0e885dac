// libFuzzer target for the event file decoder: whatever bytes sit in "zarvo.dat" or "rb.dat",
// decoding must neither crash nor leak; what it keeps must fit the fields, and must survive a
// save and a load whole (nothing more to mend the second time).
#include "EventStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using zarvo::EventStore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QVector<zarvo::EventRecord> rows;
    EventStore::Mending mending;
    if (!EventStore::decode(bytes, rows, nullptr, &mending)) {
        if (!rows.isEmpty()) std::abort();
        return 0;
    }
    if (mending.rowsRead != rows.size() + mending.leftOut || mending.changed > rows.size()) std::abort();
    for (const zarvo::EventRecord& r : rows)
        for (const QString* t :
             {&r.EvName, &r.EvPath, &r.EvParam, &r.EvURL, &r.EvMMAddress, &r.EvMMSubj, &r.EvCS})
            if (t->size() > 2 * zarvo::MaxTextLength) std::abort();
    QVector<zarvo::EventRecord> again;
    EventStore::Mending second;
    if (!EventStore::decode(EventStore::encode(rows), again, nullptr, &second) || again != rows ||
        second.any())
        std::abort();
    return 0;
}
