#include "core/settings/Settings.h"

#include "core/settings/IniText.h"
#include "core/settings/InstallLayout.h"
#include "core/text/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <optional>

namespace {

// A settings file of two short keys never comes near this; a bigger file is
// not ours, and reading it whole would only risk running out of memory.
constexpr qint64 kLargestSettingsFile = 64 * 1024 * 1024;

QString& applicationFolderForTesting() {
    static QString folder;
    return folder;
}

std::function<bool(const QString&)>& folderWritableForTesting() {
    static std::function<bool(const QString&)> check;
    return check;
}

QString executableFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    return QDir::currentPath();
}

// Every setting lives in this one section.
const QString kSection = QStringLiteral("Data");

QString keyName(Setting setting) {
    switch (setting) {
        case Setting::Extensions:
            return QStringLiteral("拡張子");
        case Setting::LastFolder:
            return QStringLiteral("パス");
        case Setting::NameOverlaps:
            return QStringLiteral("名前の重なり");
        case Setting::ShotsTogether:
            return QStringLiteral("同じ名前に同じ番号");
        case Setting::RestartSerialsEachDay:
            return QStringLiteral("日付ごとの数え直し");
    }
    return QString();
}

bool folderWritable(const QString& folder) {
    if (folderWritableForTesting())
        return folderWritableForTesting()(folder);
    return QFileInfo(folder).isWritable();
}

bool hasWriteBit(QFile::Permissions permissions) {
    return permissions & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
}

// The file's bytes; empty when there is no file, nothing when there is one
// that cannot be read (a folder, a pipe, no permission, far too big).
std::optional<QByteArray> readSettingsFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    if (!info.isFile() || info.size() > kLargestSettingsFile)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kLargestSettingsFile + 1);
    if (file.error() != QFile::NoError || bytes.size() > kLargestSettingsFile)
        return std::nullopt;
    return bytes;
}

}  // namespace

void setApplicationFolderForTesting(const QString& folder) {
    applicationFolderForTesting() = folder;
}

void setFolderWritableCheckForTesting(std::function<bool(const QString& folder)> check) {
    folderWritableForTesting() = std::move(check);
}

QString applicationFolder() {
    const QString& forTesting = applicationFolderForTesting();
    return withTrailingSlash(forTesting.isEmpty() ? executableFolder() : forTesting);
}

QString settingsFilePath() {
    const QString name = QString::fromUtf16(kSettingsFileName);
    const QString appFolder = applicationFolder();
    if (!isInstalledCopy(appFolder) && folderWritable(appFolder))
        return appFolder + name;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (config.isEmpty())
        return appFolder + name;
    return config + u'/' + name;
}

QString journalStateFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME counts as unset, as for every XDG folder.
    if (QStandardPaths::isTestModeEnabled())
        state = QDir::homePath() + QStringLiteral("/.qttest/state");
    else if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/Tolvane"));
}

QStringList journalFolders() {
    QStringList folders{QFileInfo(settingsFilePath()).absolutePath(), journalStateFolder()};
    // The settings' other place too: journals written there before its
    // folder became read-only (or writable) are still found.
    const QString appFolder = applicationFolder();
    if (!isInstalledCopy(appFolder))
        folders << QDir::cleanPath(appFolder);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!config.isEmpty())
        folders << QDir::cleanPath(config);
    folders.removeDuplicates();
    return folders;
}

QStringList writableJournalFolders() {
    QStringList folders = journalFolders().mid(0, 2);
    if (folderWritableForTesting())
        folders.removeIf([](const QString& folder) { return !folderWritableForTesting()(folder); });
    return folders;
}

QString journalFileName(quint64 number) {
    return QStringLiteral("Tolvane-%1.undo").arg(number);
}

std::optional<quint64> journalNumber(QByteArrayView name) {
    static constexpr QByteArrayView kPrefix = "Tolvane-";
    static constexpr QByteArrayView kSuffix = ".undo";
    if (name == QByteArrayView("Tolvane.undo"))
        return 0;
    if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix))
        return std::nullopt;
    const QByteArrayView digits =
        name.sliced(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    // Eighteen digits always fit; no count of batches comes near them.
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    quint64 number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + quint64(c - '0');
    }
    return number;
}

bool isJournalFileName(QByteArrayView name) {
    if (name.endsWith(QByteArrayView(".new")))
        name.chop(4);
    return journalNumber(name).has_value();
}

QString journalTemporaryPath(const QString& journal) {
    return journal + QStringLiteral(".new");
}

QString readSetting(Setting setting) {
    const std::optional<QByteArray> bytes = readSettingsFile(settingsFilePath());
    return bytes ? iniValue(*bytes, kSection, keyName(setting)) : QString();
}

bool writeSetting(Setting setting, const QString& value) {
    return writeSettingsSection(kSection, {{keyName(setting), value}});
}

std::vector<std::pair<QString, QString>> readSettingsSection(const QString& section) {
    const std::optional<QByteArray> bytes = readSettingsFile(settingsFilePath());
    return bytes ? iniEntries(*bytes, section) : std::vector<std::pair<QString, QString>>();
}

bool writeSettingsSection(const QString& section,
                          const std::vector<std::pair<QString, QString>>& values) {
    const QString path = settingsFilePath();
    const QFileInfo info(path);
    const bool exists = info.exists();
    // A file that the user made read-only stays as it is, even where the
    // file system would let the program replace it (as root, for one).
    if (exists && !hasWriteBit(info.permissions()))
        return false;
    const std::optional<QByteArray> old = readSettingsFile(path);
    if (!old)
        return false;
    // All or nothing: a value that cannot be stored leaves the others unstored too.
    QByteArray edited = *old;
    bool deletesOnly = true;
    for (const auto& [key, value] : values) {
        const std::optional<QByteArray> next = iniWithValue(edited, section, key, value);
        if (!next)
            return false;
        edited = *next;
        deletesOnly = deletesOnly && value.isNull();
    }
    if (exists ? edited == *old : deletesOnly)
        return true;  // nothing to change, nothing to delete

    if (!QDir().mkpath(info.absolutePath()))
        return false;
    // A temporary file beside it, renamed over it only when complete, so that
    // a crash or a full disk never leaves half a settings file behind. The
    // replacement takes over the old file's permission bits.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(edited) != edited.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool readSwitch(Setting setting) {
    return readSetting(setting) == QLatin1String("1");
}

bool writeSwitch(Setting setting, bool on) {
    return writeSetting(setting, on ? QStringLiteral("1") : QStringLiteral("0"));
}
