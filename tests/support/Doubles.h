#pragma once

// Stand-ins for what a test cannot have for real: a person answering message
// boxes, the desktop opening a document, the end of the process, a drive
// whose medium is missing.

#include "ui/services/DesktopOpen.h"
#include "ui/services/ImmediateExit.h"
#include "ui/services/MessageBoxes.h"
#include "ui/services/ShootingTimes.h"
#include "ui/services/Volumes.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <thread>

// Records every box and answers from a script; with the script used up it
// presses the first button (OK, or Retry in a Retry/Cancel box).
class ScriptedMessageBox : public MessageBoxService {
public:
    struct Shown {
        Message message;
        QPointer<QWidget> owner;
        QString details;  // made while the box is up, as a person opening them sees them
    };

    ScriptedMessageBox() { MessageBoxService::replace(this); }
    ~ScriptedMessageBox() override { MessageBoxService::replace(nullptr); }

    void answer(Answer answer) { script.push_back(answer); }

    Answer show(QWidget* owner, const Message& message) override {
        shown.append({message, owner, message.details ? message.details() : QString()});
        if (onShow)
            onShow(int(shown.size()));
        if (!script.empty()) {
            const Answer next = script.front();
            script.pop_front();
            return next;
        }
        return message.buttons == Buttons::RetryCancel ? Answer::Retry : Answer::Ok;
    }

    QStringList texts() const {
        QStringList list;
        for (const Shown& s : shown)
            list << s.message.text;
        return list;
    }

    QList<Shown> shown;
    std::deque<Answer> script;
    // Runs as each box comes up, with the count of boxes so far: the moment a
    // person would, say, put the card back in.
    std::function<void(int)> onShow;
};

class RecordingDesktopOpen : public DesktopOpenService {
public:
    RecordingDesktopOpen() { DesktopOpenService::replace(this); }
    ~RecordingDesktopOpen() override { DesktopOpenService::replace(nullptr); }
    void open(QWidget*, const QString& target) override { targets << target; }
    QStringList targets;
};

class RecordingExit : public ImmediateExitService {
public:
    RecordingExit() { ImmediateExitService::replace(this); }
    ~RecordingExit() override { ImmediateExitService::replace(nullptr); }
    void exit() override { ++exits; }
    int exits = 0;
};

// The real volumes, plus drives of the test's own: a folder that plays a
// mounted volume (with a label, if given), whose probe fails with a scripted
// errno while its medium is "out".
class ScriptedVolumes : public VolumeSource {
public:
    ScriptedVolumes() { VolumeSource::replace(this); }
    ~ScriptedVolumes() override { VolumeSource::replace(nullptr); }

    void addDrive(const QString& mountPoint, int probeError = 0, const QString& label = {}) {
        extra.append(Volume{mountPoint, label});
        errors.insert(mountPoint, probeError);
    }
    // Also for a folder that is no drive: it and what lies below fail so.
    void setProbeError(const QString& mountPoint, int probeError) {
        errors.insert(mountPoint, probeError);
    }

    QList<Volume> volumes() override { return VolumeSource::real().volumes() + extra; }
    int probe(const QString& folder) override {
        for (auto it = errors.cbegin(); it != errors.cend(); ++it) {
            if (it.value() != 0 && isAtOrBelow(folder, it.key()))
                return it.value();
        }
        ++probes;
        return VolumeSource::real().probe(folder);
    }

    QList<Volume> extra;
    QHash<QString, int> errors;
    int probes = 0;
};

// The real shooting times, each read taking a while, as on a slow card.
class SlowShootingTimes : public ShootingTimeService {
public:
    explicit SlowShootingTimes(int msecsPerFile) : msecs_(msecsPerFile) {
        ShootingTimeService::replace(this);
    }
    ~SlowShootingTimes() override { ShootingTimeService::replace(nullptr); }
    ShootingTime read(const QByteArray& path, int* readError) override {
        reads.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(msecs_));
        return ShootingTimeService::real().read(path, readError);
    }
    std::atomic<int> reads{0};

private:
    int msecs_;
};
