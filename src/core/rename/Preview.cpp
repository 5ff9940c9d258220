#include "core/rename/Preview.h"

#include "core/common/ErrorReasons.h"
#include "core/files/FileListing.h"
#include "core/text/NativeName.h"

#include <string_view>
#include <unordered_set>

namespace {

const QString kArrow = QStringLiteral(" → ");
const QString kTakenMark = QStringLiteral("  ← 同じ名前が存在しています");

// The names as they are compared: their own bytes, or, where letter case
// does not count, their case-folded text. Views into bytes that live as long
// as the set, so a folder of tens of thousands of names is not copied.
class NameKeys {
public:
    explicit NameKeys(bool ignoresCase) : ignoresCase_(ignoresCase) {}

    std::string_view key(QByteArrayView name) {
        if (!ignoresCase_)
            return std::string_view(name.data(), size_t(name.size()));
        folded_.push_back(fromNative(name.toByteArray()).toCaseFolded().toUtf8());
        return std::string_view(folded_.back().constData(), size_t(folded_.back().size()));
    }

private:
    bool ignoresCase_;
    std::vector<QByteArray> folded_;  // moved on growth: their bytes stay where they are
};

void appendLine(QString& text, const RenamePlan& plan, int k) {
    text += displayName(plan.entry(k).toByteArray());
    text += kArrow;
    text += displayName(plan.newName(k).toByteArray());
}

}  // namespace

std::vector<int> takenNewNames(const RenamePlan& plan, const std::vector<QByteArray>& targetNames,
                               bool ignoresCase) {
    NameKeys keys(ignoresCase);
    std::unordered_set<std::string_view> present;
    present.reserve(targetNames.size() + size_t(plan.count()));
    for (const QByteArray& name : targetNames)
        present.insert(keys.key(name));
    const bool sameFolder = plan.sourceFolder() == plan.targetFolder();
    std::vector<int> taken;
    for (int k = 0; k < plan.count(); ++k) {
        const std::string_view oldKey = keys.key(plan.entry(k));
        const std::string_view newKey = keys.key(plan.newName(k));
        // A file already so named stays as it is; a name that differs only
        // in case on such a file system is the file's own.
        if (sameFolder && oldKey == newKey)
            continue;
        if (present.count(newKey) != 0) {
            taken.push_back(k);
            continue;
        }
        present.insert(newKey);
        if (sameFolder)
            present.erase(oldKey);
    }
    return taken;
}

QString previewText(const RenamePlan& plan, const std::vector<int>& taken) {
    QString text;
    text.reserve(qsizetype(plan.count()) * 40);
    // A name the file system cannot hold stops the batch before any file
    // moves, wherever its line is.
    const int unfit = plan.refusal() ? plan.refusal()->at : -1;
    if (unfit >= 0) {
        text += QStringLiteral("使えない名前があるため、ファイルは変換しません: ");
        appendLine(text, plan, unfit);
        text += QStringLiteral("\n\n");
    } else if (!taken.empty()) {
        text += QStringLiteral("同じ名前のファイルがあるため、次の行で変換が止まります: ");
        appendLine(text, plan, taken.front());
        text += QStringLiteral("\n\n");
    }
    size_t next = 0;
    for (int k = 0; k < plan.count(); ++k) {
        appendLine(text, plan, k);
        if (k == unfit)
            text += QStringLiteral("  ← ") + reasonForError(plan.refusal()->error);
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
