#include "Jobs.h"

#include "app/NativeName.h"
#include "rename/NameCheck.h"
#include "rename/RenameCommand.h"
#include "ui/platform/FileList.h"
#include "ui/platform/FileListing.h"

void readFolder(FileList& list, const QByteArray& folder, const QByteArray& patterns) {
    // The pattern first: while the list has no folder yet, setting it reads
    // nothing worth the name.
    list.setPattern(fromNative(patterns));
    list.setPath(fromNative(folder));
}

std::vector<QByteArray> listedNames(const QByteArray& folder, const QByteArray& patterns,
                                    int* error) {
    // What FileList::setPath reads with, path and patterns taking the same
    // round trip through text.
    return listMatchingFiles(toNative(fromNative(folder)),
                             PatternSet(toNative(fromNative(patterns))), error);
}

RenameJob serialJob(const QByteArray& folder, std::vector<QByteArray> entries,
                    const QByteArray& start, const QByteArray& prefix, const QByteArray& suffix) {
    RenameJob job;
    job.folderPath = fromNative(folder);
    job.labelCaption = job.folderPath;
    job.changeDestination = false;
    job.startText = fromNative(start);
    job.prefix = fromNative(prefix);
    job.suffix = fromNative(suffix);
    job.entries = std::move(entries);
    return job;
}

std::optional<Message> commandRefusal(const RenameJob& job) {
    if (job.entries.empty())
        return emptyListMessage();
    if (NAME_check(job.prefix) == 1 || NAME_check(job.suffix) == 1)
        return nameRefusalMessage();
    return std::nullopt;
}
