#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The settings file, "Tolvane.ini": the settings the program keeps between
// runs, in the section "Data", and sections of many keys alike (see below).
// Nothing here keeps state between calls: each call reads or writes the file
// by its path.

enum class Setting {
    Extensions,    // "拡張子": the extension patterns, joined by ";"
    LastFolder,    // "パス": the folder open when the program was last closed
    NameOverlaps,  // "名前の重なり": a switch, on when a batch's files may swap names
    ShotsTogether,  // "同じ名前に同じ番号": a switch, on when files of one name are one shot
    // "日付ごとの数え直し": a switch, on when the serials start again each day
    RestartSerialsEachDay,
};

// The stored value, or the empty text when the file or the key is missing.
QString readSetting(Setting setting);

// Stores value, creating the file and its section when they are missing; a
// null value (QString(), not QString("")) deletes the key. Other keys,
// sections and comments of the file are kept byte for byte. Returns false
// when the file could not be written; the program never reports that.
bool writeSetting(Setting setting, const QString& value);

// A switch of the 設定 menu: on only where the stored value is "1", so that
// a missing or mistyped value leaves it off. Stored as "1" or "0".
bool readSwitch(Setting setting);
bool writeSwitch(Setting setting, bool on);

// Other sections, key by key, for settings that are many (each camera's
// clock offset, say): every key of section with its value, in the file's
// order; none when the file or the section is missing.
std::vector<std::pair<QString, QString>> readSettingsSection(const QString& section);
// Sets each key of section to its value, or deletes it for a null value, in
// one write of the file, as writeSetting does; nothing is written when any
// of them cannot be stored.
bool writeSettingsSection(const QString& section,
                          const std::vector<std::pair<QString, QString>>& values);

// The folder of the running executable, ending in exactly one "/".
QString applicationFolder();

// Where the settings file lives, decided afresh on every call: beside the
// program whenever the program's folder is writable (a portable copy, the
// build tree), otherwise in the user's configuration folder, which the first
// write creates. An installed copy (see InstallLayout.h) always uses the
// configuration folder: its bin/ is shared by every user and every program.
QString settingsFilePath();

// The settings file's name, in either place.
inline constexpr char16_t kSettingsFileName[] = u"Tolvane.ini";

// The undo's journals, one file a batch (see core/rename/BatchHistory.h).
// They lie beside the settings file where that folder can be written, else in
// the user's state folder ($XDG_STATE_HOME/Tolvane, by default
// ~/.local/state/Tolvane). Every folder a journal may lie in: those two,
// then the settings file's other place (the program's folder or the
// configuration folder), where journals lay while the settings did.
QStringList journalFolders();
// The user's state folder for them: $XDG_STATE_HOME/Tolvane.
QString journalStateFolder();
// The two a new journal is tried in, in order: the judgement of writable
// folders for tests applies; otherwise the write itself decides.
QStringList writableJournalFolders();
// The file name of batch number's journal, "Tolvane-<number>.undo".
QString journalFileName(quint64 number);
// The batch number a journal's file name carries; 0 for "Tolvane.undo", the
// one journal that earlier versions kept; nothing for any other name.
std::optional<quint64> journalNumber(QByteArrayView name);
// Whether name is a journal's, or one of a journal being written.
bool isJournalFileName(QByteArrayView name);
// Where a new journal is written before it takes its place: the program's
// file too, while it exists.
QString journalTemporaryPath(const QString& journal);

// For tests: the folder that applicationFolder reports (an empty text
// restores the executable's folder), and the judgement whether a folder is
// writable (an empty function restores the real one, which root always passes).
void setApplicationFolderForTesting(const QString& folder);
void setFolderWritableCheckForTesting(std::function<bool(const QString& folder)> check);
