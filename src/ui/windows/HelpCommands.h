#pragma once

#include <QString>

class QWidget;

// The home page of the program: the project's public address, the one the
// package and its metadata name (TOLVANE_PUBLIC_URL in the build).
extern const char* const kHomePageUrl;

// The usage document "readme.html" of a program in applicationFolder: beside
// it (the build tree, a portable copy), else in its installed data folder.
QString usageDocumentPath(const QString& applicationFolder);

// "使い方...": opens the usage document with the desktop's default program.
// A missing document shows nothing from the program.
void openUsageDocument(QWidget* owner);
// "ホームページ...": opens the home page in the default browser.
void openHomePage(QWidget* owner);
// The program's version, "1.00": the project's, as the build was given it.
QString programVersion();
// "バージョン情報...": the version box.
void showVersion(QWidget* owner);
