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

// Makes the plan of new names for count photos whose times are read (as
// after 撮影日時順に並べる, 97 s apart from 2024-05-12 06:00, so over a month
// of days), in rounds: prefix "<年月日>_kyoto_" against the same text typed
// out ("20240512_kyoto_", as long), the field with the serials starting
// again each day, and "<年月日>_<時分秒>_kyoto_" against its text typed out.
// Prints the medians and the ratios; 1 when a plan is wrong.
int runNamesBench(int count, int rounds);
