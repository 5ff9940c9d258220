#pragma once

#include "ui/main/Tolvane.h"
#include "ui/platform/ListBox.h"

#include <QFile>
#include <QStringList>
#include <QTest>

// Makes an empty file.
inline void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// The conversion list as the user sees it.
inline QStringList listed(const Tolvane& w) {
    QStringList names;
    for (int k = 0; k < w.List->ListCount(); ++k)
        names << w.List->List(k);
    return names;
}
