#pragma once

// Stand-ins for what a test cannot have for real: a person answering message
// boxes, the desktop opening a document, the end of the process, a drive
// whose medium is missing.

#include "ui/platform/ForcedEnd.h"
#include "ui/platform/MessageBox.h"
#include "ui/platform/ShellOpen.h"
#include "ui/platform/Volumes.h"

#include <QHash>
#include <QList>
#include <QString>

#include <deque>
#include <functional>

// Records every box and answers from a script; with the script used up it
// presses the first button (OK, or Retry in a Retry/Cancel box).
class ScriptedMessageBox : public MessageBoxService {
public:
    struct Shown {
        QString prompt;
        int code;
        QString title;
    };

    ScriptedMessageBox() { setMessageBoxService(this); }
    ~ScriptedMessageBox() override { setMessageBoxService(nullptr); }

    void answer(int result) { script.push_back(result); }

    int show(QWidget*, const QString& prompt, int code, const QString& title) override {
        shown.append({prompt, code, title});
        if (onShow)
            onShow(shown.size());
        if (!script.empty()) {
            const int result = script.front();
            script.pop_front();
            return result;
        }
        return (code & 0x7) == 5 ? kResultRetry : kResultOk;
    }

    QStringList prompts() const {
        QStringList list;
        for (const Shown& s : shown)
            list << s.prompt;
        return list;
    }

    QList<Shown> shown;
    std::deque<int> script;
    // Runs as each box comes up, with the count of boxes so far: the moment a
    // person would, say, put the card back in.
    std::function<void(int)> onShow;
};

class RecordingShellOpen : public ShellOpenService {
public:
    RecordingShellOpen() { setShellOpenService(this); }
    ~RecordingShellOpen() override { setShellOpenService(nullptr); }
    void open(QWidget*, const QString& target, const QString& workingFolder) override {
        targets << target;
        folders << workingFolder;
    }
    QStringList targets;
    QStringList folders;
};

class RecordingForcedEnd : public ForcedEndService {
public:
    RecordingForcedEnd() { setForcedEndService(this); }
    ~RecordingForcedEnd() override { setForcedEndService(nullptr); }
    void end() override { ++ends; }
    int ends = 0;
};

// The real volumes, plus drives of the test's own: a folder that plays a
// mounted volume, whose probe fails with a scripted errno while its medium is
// "out".
class ScriptedVolumes : public VolumeSource {
public:
    ScriptedVolumes() { setVolumeSource(this); }
    ~ScriptedVolumes() override { setVolumeSource(nullptr); }

    void addDrive(const QString& mountPoint, int probeError = 0) {
        extra.append(Volume{mountPoint, QString()});
        errors.insert(mountPoint, probeError);
    }
    void setProbeError(const QString& mountPoint, int probeError) {
        errors.insert(mountPoint, probeError);
    }

    QList<Volume> volumes() override { return real.volumes() + extra; }
    int probe(const QString& folder) override {
        for (auto it = errors.cbegin(); it != errors.cend(); ++it) {
            if (it.value() != 0 && isAtOrBelow(folder, it.key()))
                return it.value();
        }
        ++probes;
        return real.probe(folder);
    }

    SystemVolumeSource real;
    QList<Volume> extra;
    QHash<QString, int> errors;
    int probes = 0;
};
