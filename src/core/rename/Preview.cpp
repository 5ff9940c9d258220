#include "core/rename/Preview.h"

#include "core/common/ErrorReasons.h"
#include "core/files/FileListing.h"
#include "core/files/Shots.h"
#include "core/rename/NameKeys.h"
#include "core/rename/RenameTexts.h"
#include "core/text/NativeName.h"
#include "core/text/NaturalOrder.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

const QString kArrow = QStringLiteral(" → ");

void appendLine(QString& text, const RenamePlan& plan, int k) {
    text += displayName(plan.entry(k).toByteArray());
    text += kArrow;
    text += displayName(plan.newName(k).toByteArray());
    if (plan.showsFileTime(k))
        text += kPreviewFileTimeMark;
}

}  // namespace

std::vector<TakenName> takenNewNames(const RenamePlan& plan,
                                     const std::vector<QByteArray>& targetNames, bool ignoresCase) {
    NameKeys keys(ignoresCase);
    // Each name in the target folder, and whether a file of the batch that
    // a later step renames away holds it.
    std::unordered_map<std::string_view, bool> present;
    present.reserve(targetNames.size() + size_t(plan.count()));
    for (const QByteArray& name : targetNames)
        present.emplace(keys.key(name), false);
    const bool sameFolder = plan.sourceFolder() == plan.targetFolder();
    if (sameFolder) {
        for (int k = 0; k < plan.count(); ++k) {
            const std::string_view oldKey = keys.key(plan.entry(k));
            if (oldKey != keys.key(plan.newName(k)))
                present[oldKey] = true;
        }
    }
    std::vector<TakenName> taken;
    for (int i = 0; i < plan.stepCount(); ++i) {
        const std::string_view fromKey = keys.key(plan.stepFrom(i));
        const std::string_view toKey = keys.key(plan.stepTo(i));
        // A file already so named stays as it is; a name that differs only
        // in case on such a file system is the file's own.
        if (sameFolder && fromKey == toKey)
            continue;
        if (const auto holder = present.find(toKey); holder != present.end()) {
            // Where the files may take each other's names, one that finds its
            // name still held by a file of the batch waits behind that file,
            // which was itself in the way of something: not a cause to show.
            if (!holder->second || !plan.overlapsAllowed())
                taken.push_back({plan.step(i).entry, holder->second});
            continue;
        }
        present.emplace(toKey, false);
        if (sameFolder)
            present.erase(fromKey);
    }
    return taken;
}

std::vector<QByteArray> sidecarsLeft(const RenamePlan& plan,
                                     const std::vector<QByteArray>& folderNames) {
    std::vector<QByteArray> left;
    for (const QByteArray& name : folderNames) {
        if (!name.startsWith('.') && isSidecarName(name))
            left.push_back(name);
    }
    if (left.empty())
        return left;
    std::unordered_set<std::string_view> moved;
    moved.reserve(size_t(plan.count()));
    for (int k = 0; k < plan.count(); ++k)
        moved.emplace(plan.entry(k).data(), size_t(plan.entry(k).size()));
    std::erase_if(left, [&moved](const QByteArray& name) {
        return moved.count(std::string_view(name.constData(), size_t(name.size()))) != 0;
    });
    sortNaturally(left);
    return left;
}

QString previewText(const RenamePlan& plan, const std::vector<TakenName>& taken,
                    const std::vector<QByteArray>& sidecarsLeft) {
    QString text;
    text.reserve(qsizetype(plan.count()) * 40);
    // A name the file system cannot hold stops the batch before any file
    // moves, wherever its line is.
    const int unfit = plan.refusal() ? plan.refusal()->at : -1;
    if (unfit >= 0) {
        text += kPreviewUnfitHeading;
        appendLine(text, plan, unfit);
        text += QStringLiteral("\n\n");
    } else if (!taken.empty()) {
        text += taken.front().byBatchFile ? kPreviewTakenByBatchHeading : kPreviewTakenHeading;
        appendLine(text, plan, taken.front().entry);
        text += QStringLiteral("\n\n");
    }
    std::vector<bool> marked(size_t(plan.count()), false);
    for (const TakenName& name : taken)
        marked[size_t(name.entry)] = true;
    for (int k = 0; k < plan.count(); ++k) {
        appendLine(text, plan, k);
        if (k == unfit)
            text += QStringLiteral("  ← ") + reasonForError(plan.refusal()->error);
        if (marked[size_t(k)])
            text += kPreviewTakenMark;
        text += u'\n';
    }
    if (!sidecarsLeft.empty()) {
        text += u'\n';
        text += kPreviewSidecarsHeading;
        text += u'\n';
        for (const QByteArray& name : sidecarsLeft) {
            text += displayName(name);
            text += u'\n';
        }
    }
    return text;
}

QString previewText(const RenamePlan& plan) {
    const std::vector<QByteArray> names = listAllNames(plan.targetFolder());
    const std::vector<TakenName> taken =
        takenNewNames(plan, names, ignoresLetterCase(plan.targetFolder(), names));
    if (!plan.shotsTogether())
        return previewText(plan, taken);
    const bool sameFolder = plan.sourceFolder() == plan.targetFolder();
    return previewText(plan, taken,
                       sidecarsLeft(plan, sameFolder ? names : listAllNames(plan.sourceFolder())));
}
