#pragma once

#include <QByteArray>

struct SuiteOptions {
    bool quick = false;     // small folders and few rounds: proves the suite works
    bool verbose = false;   // every sample on the standard error as well
    QByteArray diskFolder;  // where the disk's folders go; the working folder when empty
    QByteArray cardFolder;  // a mounted camera card: only the whole-process renames, there
    QByteArray ownFolder;   // where tolvane-bench-plain and tolvane-bench-window are
};

// Measures every contestant, alternating them round by round, prints the
// table and a last line of ratios. Returns 0, or 1 when a contestant failed
// or two contestants left different results.
int runSuite(const SuiteOptions& options);
