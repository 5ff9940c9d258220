#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdio>

// The undo journal with its "end" line's sum made right for what precedes
// it: FNV-1a over little-endian 8-byte words (the last filled out with zeros,
// then the length), each step folding its high half into its low half.
// Written here again, apart from the program's own, so that a test or a fuzz
// target can reach past the sum without leaning on the code under test.
// Bytes without an "end" line give nothing.
inline QByteArray withRightSum(QByteArrayView bytes) {
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
