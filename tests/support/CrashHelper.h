#pragma once

// Runs tolvane_crash_helper (tests/faults/crash_helper.cpp) for a test that
// kills it at a moment of its choosing. The including test defines
// TOLVANE_CRASH_HELPER, the helper's path.

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QThread>

struct HelperRun {
    bool killed = false;
    int exitCode = -1;
    QByteArray lastLine;
};

// Runs the helper with args (see its usage). With killAfter >= 0 it is
// killed as soon as it reports that many renames (0: as soon as it has read
// the folder), after a further pause of jitterMicroseconds.
inline HelperRun runHelper(const QStringList& args, int killAfter,
                           unsigned long jitterMicroseconds = 0) {
    HelperRun run;
    QProcess helper;
    helper.start(QStringLiteral(TOLVANE_CRASH_HELPER), args);
    if (!helper.waitForStarted())
        return run;
    QByteArray pending;
    while (helper.state() != QProcess::NotRunning) {
        if (!helper.waitForReadyRead(30000))
            break;
        pending += helper.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            run.lastLine = pending.left(end);
            pending.remove(0, end + 1);
        }
        // The first line is "listed N": from then on the count is known.
        const bool listed = !run.lastLine.isEmpty();
        const int count = run.lastLine.startsWith("listed") ? 0 : run.lastLine.toInt();
        if (killAfter >= 0 && listed && count >= killAfter) {
            // A moment anywhere in the rename that follows, not only right
            // after the report.
            QThread::usleep(jitterMicroseconds);
            helper.kill();
            break;
        }
    }
    helper.waitForFinished(120000);
    pending += helper.readAllStandardOutput();
    for (const QByteArray& line : pending.split('\n')) {
        if (!line.isEmpty())
            run.lastLine = line;
    }
    run.killed = helper.exitStatus() == QProcess::CrashExit;
    run.exitCode = helper.exitCode();
    return run;
}

// The undo of the journal's batch; its "undone RESTORED LEFT" line.
inline QByteArray undoWithHelper(const QString& journal) {
    QProcess helper;
    helper.start(QStringLiteral(TOLVANE_CRASH_HELPER), {journal, QStringLiteral("--undo")});
    if (!helper.waitForFinished(300000) || helper.exitCode() != 0)
        return "exit " + QByteArray::number(helper.exitCode());
    return helper.readAllStandardOutput().trimmed();
}
