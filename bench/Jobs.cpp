#include "Jobs.h"

#include <cstdio>

#include "core/files/FileList.h"
#include "core/files/FileListing.h"
#include "core/files/ProgramFiles.h"
#include "core/files/Shots.h"
#include "core/text/NativeName.h"

void readFolder(FileList& list, const QByteArray& folder, const QByteArray& patterns) {
    // The pattern first: while the list has no folder yet, setting it reads
    // nothing worth the name.
    list.setPattern(fromNative(patterns));
    list.setPath(fromNative(folder));
}

RenameRequest serialRequest(const QByteArray& folder, const QByteArray& patterns,
                            const QByteArray& start, const QByteArray& prefix,
                            const QByteArray& suffix, int* error) {
    RenameRequest request;
    request.folder = fromNative(folder);
    request.destination = request.folder;
    request.startNumber = fromNative(start);
    request.prefix = fromNative(prefix);
    request.suffix = fromNative(suffix);
    // What FileList::setPath reads with, path and patterns taking the same
    // round trip through text.
    const QByteArray listed = toNative(request.folder);
    std::vector<ListedFile> files =
        listMatchingFiles(listed, PatternSet(toNative(fromNative(patterns))), error);
    leaveOutProgramFiles(listed, files);
    request.shots = oneShotEach(files);
    return request;
}

void ToolRenameHost::refuse(const Refusal& refusal) {
    if (loud_)
        std::fprintf(stderr, "%s\n", refusal.message.text.toUtf8().constData());
}

void ToolRenameHost::report(const Message& stop) {
    if (loud_)
        std::fprintf(stderr, "%s\n", stop.text.toUtf8().constData());
}
