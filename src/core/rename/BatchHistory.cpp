#include "core/rename/BatchHistory.h"

#include "core/settings/Settings.h"

#include <QDir>
#include <QFile>

#include <dirent.h>

#include <algorithm>
#include <utility>

namespace {

struct Found {
    quint64 number;
    int folder;  // its index in the folder list: the first folder wins a tie
    QString path;
};

std::vector<Found> findJournals(const QStringList& folders, QStringList* leftovers = nullptr) {
    std::vector<Found> found;
    for (int f = 0; f < folders.size(); ++f) {
        // Read before each batch: a plain listing, without the cost of
        // Qt's name filters.
        DIR* dir = ::opendir(QFile::encodeName(folders[f]).constData());
        if (!dir)
            continue;
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArrayView name(entry->d_name);
            if (!name.startsWith("Tolvane"))
                continue;
            const QString path = folders[f] + u'/' + QFile::decodeName(entry->d_name);
            if (const std::optional<quint64> number = journalNumber(name))
                found.push_back({*number, f, path});
            else if (leftovers && isJournalFileName(name))
                *leftovers << path;
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.number != b.number ? a.number > b.number : a.folder < b.folder;
    });
    return found;
}

}  // namespace

BatchHistory::BatchHistory(QStringList folders, QStringList writable)
    : folders_(std::move(folders)), writable_(std::move(writable)) {}

BatchHistory BatchHistory::standard() {
    return BatchHistory(journalFolders(), writableJournalFolders());
}

QStringList BatchHistory::journals() const {
    QStringList paths;
    for (const Found& journal : findJournals(folders_))
        paths << journal.path;
    return paths;
}

std::optional<StoredBatch> BatchHistory::newest() const {
    for (const QString& path : journals()) {
        if (std::optional<BatchRecord> record = readJournal(path))
            return StoredBatch{path, std::move(*record)};
    }
    return std::nullopt;
}

JournalState BatchHistory::record(JournalWriter& writer, const RenamePlan& plan) const {
    const std::vector<Found> found = findJournals(folders_);
    const quint64 next = found.empty() ? 1 : found.front().number + 1;
    const QString name = journalFileName(next);
    for (const QString& folder : writable_) {
        if (writer.begin(QDir(folder).filePath(name), plan) == JournalState::Written) {
            dropOldest();
            return JournalState::Written;
        }
    }
    return JournalState::Failed;
}

void BatchHistory::dropOldest() const {
    QStringList leftovers;
    const std::vector<Found> found = findJournals(folders_, &leftovers);
    for (size_t k = kKeptBatches; k < found.size(); ++k)
        QFile::remove(found[k].path);
    // A journal being written when the program was killed: never a batch's
    // record, since its batch renamed nothing before it was in place.
    for (const QString& path : leftovers)
        QFile::remove(path);
}
