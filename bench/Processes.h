#pragma once

#include <QByteArray>

#include <vector>

// Whole-process runs for the benchmark: one child, its wall time from the
// spawn to its end, and its peak memory.
struct ProcessRun {
    double ms = 0;         // from just before the spawn to the reaped end
    long peakKiB = 0;      // the child's peak resident memory
    int exitCode = -1;     // -1 when it did not end normally
    QByteArray output;     // its standard output, when asked for
    bool started = false;  // false when it could not be spawned at all
};

// Runs program with args (args[0] is the program's own name). Its standard
// output goes to /dev/null unless captureOutput; standard error is kept.
ProcessRun runProcess(const QByteArray& program, const std::vector<QByteArray>& args,
                      bool captureOutput);

// The folder of the running executable, where its sibling programs are.
QByteArray ownFolder(const char* argv0);
