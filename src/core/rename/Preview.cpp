#include "core/rename/Preview.h"

#include "core/files/FileListing.h"
#include "core/text/NativeName.h"

#include <QSet>

namespace {

const QString kArrow = QStringLiteral(" → ");
const QString kTakenMark = QStringLiteral("  ← 同じ名前が存在しています");

// The form two names are compared in: the bytes, or, where letter case does
// not count, the case-folded text.
QByteArray keyOf(QByteArrayView name, bool ignoresCase) {
    return ignoresCase ? fromNative(name.toByteArray()).toCaseFolded().toUtf8()
                       : name.toByteArray();
}

QString lineOf(const RenamePlan& plan, int k) {
    return displayName(plan.entry(k).toByteArray()) + kArrow +
           displayName(plan.newName(k).toByteArray());
}

}  // namespace

std::vector<int> takenNewNames(const RenamePlan& plan, const std::vector<QByteArray>& targetNames,
                               bool ignoresCase) {
    QSet<QByteArray> present;
    present.reserve(qsizetype(targetNames.size()) + plan.count());
    for (const QByteArray& name : targetNames)
        present.insert(keyOf(name, ignoresCase));
    const bool sameFolder = plan.sourceFolder() == plan.targetFolder();
    std::vector<int> taken;
    for (int k = 0; k < plan.count(); ++k) {
        const QByteArray oldKey = keyOf(plan.entry(k), ignoresCase);
        const QByteArray newKey = keyOf(plan.newName(k), ignoresCase);
        // A file already so named stays as it is; a name that differs only
        // in case on such a file system is the file's own.
        if (sameFolder && oldKey == newKey)
            continue;
        if (present.contains(newKey)) {
            taken.push_back(k);
            continue;
        }
        present.insert(newKey);
        if (sameFolder)
            present.remove(oldKey);
    }
    return taken;
}

QString previewText(const RenamePlan& plan, const std::vector<int>& taken) {
    QString text;
    text.reserve(qsizetype(plan.count()) * 40);
    if (!taken.empty()) {
        text += QStringLiteral("同じ名前のファイルがあるため、次の行で変換が止まります: ") +
                lineOf(plan, taken.front()) + QStringLiteral("\n\n");
    }
    size_t next = 0;
    for (int k = 0; k < plan.count(); ++k) {
        text += lineOf(plan, k);
        if (next < taken.size() && taken[next] == k) {
            text += kTakenMark;
            ++next;
        }
        text += u'\n';
    }
    return text;
}

QString previewText(const RenamePlan& plan) {
    const std::vector<QByteArray> names = listAllNames(plan.targetFolder());
    return previewText(plan,
                       takenNewNames(plan, names, ignoresLetterCase(plan.targetFolder(), names)));
}
