#include "core/files/ProgramFiles.h"

#include "core/settings/InstallLayout.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>

namespace {

QString executableName() {
    const QString path = QCoreApplication::instance()
                             ? QCoreApplication::applicationFilePath()
                             : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(path).fileName();
}

bool isSameFolder(const QByteArray& folder, const struct stat& listed) {
    struct stat st;
    return ::stat(folder.constData(), &st) == 0 && st.st_dev == listed.st_dev &&
           st.st_ino == listed.st_ino;
}

}  // namespace

std::vector<QByteArray> programFilePaths() {
    const QString folder = applicationFolder();
    std::vector<QByteArray> paths;
    const QString executable = executableName();
    if (!executable.isEmpty())
        paths.push_back(toNative(folder + executable));
    paths.push_back(toNative(shippedFilePath(folder, QString::fromUtf16(kUsageDocumentName))));
    paths.push_back(toNative(settingsFilePath()));
    return paths;
}

void leaveOutProgramFiles(const QByteArray& folder, std::vector<ListedFile>& files) {
    // A few calls to the file system per listing, whatever the folder holds.
    if (files.empty())
        return;
    struct stat listed;
    if (::stat(folder.constData(), &listed) != 0)
        return;
    std::vector<QByteArray> own;
    for (const QByteArray& path : programFilePaths()) {
        const qsizetype slash = path.lastIndexOf('/');
        if (slash < 0)
            continue;
        if (isSameFolder(slash == 0 ? QByteArray("/") : path.left(slash), listed))
            own.push_back(path.mid(slash + 1));
    }
    bool journalsHere = false;
    for (const QString& journals : journalFolders())
        journalsHere = journalsHere || isSameFolder(toNative(journals), listed);
    if (own.empty() && !journalsHere)
        return;
    std::erase_if(files, [&own, journalsHere](const ListedFile& file) {
        return std::find(own.begin(), own.end(), file.name) != own.end() ||
               (journalsHere && isJournalFileName(file.name));
    });
}
