// The undo journal's reader on any bytes: it never fails badly, and what it
// accepts is a journal that writes back to what it read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/rename/BatchJournal.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<BatchRecord> record = decodeBatchRecord(bytes);
    if (!record)
        return 0;
    check(record->sourceFolder.endsWith('/') && record->targetFolder.endsWith('/'));
    // Written again, it reads the same.
    const std::optional<BatchRecord> again = decodeBatchRecord(encodeBatchRecord(*record));
    check(again && *again == *record);
    return 0;
}
