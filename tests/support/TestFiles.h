#pragma once

#include <QFile>
#include <QTest>

// Makes an empty file.
inline void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}
