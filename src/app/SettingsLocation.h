#pragma once

#include <QString>

#include <functional>

// Where the settings file lives, decided afresh on every call: beside the
// program whenever the program's folder is writable (a portable copy, the
// build tree), otherwise in the user's configuration folder, which the first
// write creates. An installed copy (see InstallLayout.h) always uses the
// configuration folder: its bin/ is shared by every user and every program.
QString settingsFilePath();

// The settings file's name, in either place.
inline constexpr char16_t kSettingsFileName[] = u"Tolvane.ini";

// For tests: the folder that APPDIR_get reports (an empty text restores the
// executable's folder), and the judgement whether a folder is writable (an
// empty function restores the real one, which root always passes).
void setApplicationFolderForTesting(const QString& folder);
void setFolderWritableCheckForTesting(std::function<bool(const QString& folder)> check);
