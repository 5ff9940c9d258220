#pragma once

#include <QByteArray>

// The two ways PosixFileSystem renames without replacing when the kernel's
// own no-replace rename is missing or refused by the file system. Both return
// 0 or the errno of the failure, and let a file take its own name in another
// letter case, like FileSystem::renameNoReplace.

// Links to, then unlinks from: the link fails atomically when to exists.
// Where the file system has no hard links, falls back to renameAfterCheck.
int renameByLink(const QByteArray& from, const QByteArray& to);

// Refuses when to exists, else a plain rename. Between the check and the
// rename another process could create to; nothing better is left on a file
// system that has neither the no-replace flag nor hard links.
int renameAfterCheck(const QByteArray& from, const QByteArray& to);
