// The undo journal's reader on any bytes: it never fails badly, and what it
// accepts is a journal that writes back to what it read. Each input is read
// twice: as it is, and with its checksum line made right, since a mutation
// almost never keeps the sum and the reader would refuse it before its end.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/rename/BatchJournal.h"

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

// The journal's own sum (FNV-1a over little-endian 8-byte words, the last
// filled out with zeros, then the length; each step folds its high half into
// its low half), written here again so that the target does not lean on the
// code under test.
QByteArray withRightSum(QByteArrayView bytes) {
    const qsizetype end = bytes.indexOf(QByteArrayView("\nend "));
    if (end < 0)
        return {};
    const QByteArrayView body = bytes.first(end + 1);
    quint64 hash = 14695981039346656037ull;
    const auto step = [&hash](quint64 word) {
        hash = (hash ^ word) * 1099511628211ull;
        hash ^= hash >> 32;
    };
    for (qsizetype at = 0; at < body.size(); at += 8) {
        quint64 word = 0;
        for (qsizetype i = 0; i < 8 && at + i < body.size(); ++i)
            word |= quint64(static_cast<unsigned char>(body[at + i])) << (8 * i);
        step(word);
    }
    step(quint64(body.size()));
    const qsizetype lineEnd = bytes.indexOf('\n', end + 1);
    char sum[17];
    std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(hash));
    return body.toByteArray() + "end " + sum + '\n' +
           (lineEnd < 0 ? QByteArray() : bytes.sliced(lineEnd + 1).toByteArray());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readBack(bytes);
    readBack(withRightSum(bytes));
    return 0;
}
