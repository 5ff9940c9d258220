// The undo journal's reader on any bytes: it never fails badly, and what it
// accepts is a journal that writes back to what it read. Each input is read
// twice: as it is, and with its checksum line made right, since a mutation
// almost never keeps the sum and the reader would refuse it before its end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/rename/BatchJournal.h"
#include "support/JournalWithRightSum.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

void readBack(QByteArrayView bytes) {
    const std::optional<BatchRecord> record = decodeBatchRecord(bytes);
    if (!record)
        return;
    check(record->sourceFolder.endsWith('/') && record->targetFolder.endsWith('/'));
    // Written again, it reads the same.
    const std::optional<BatchRecord> again = decodeBatchRecord(encodeBatchRecord(*record));
    check(again && *again == *record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readBack(bytes);
    readBack(withRightSum(bytes));
    return 0;
}
