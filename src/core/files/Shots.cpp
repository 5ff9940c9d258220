#include "core/files/Shots.h"

#include "core/text/Characters.h"
#include "core/text/NativeName.h"
#include "core/text/NaturalOrder.h"

#include <algorithm>

qsizetype stemLength(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name.size() : dot;
}

namespace {

bool equalIgnoringCase(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype k = 0; k < a.size(); ++k) {
        if (foldAscii(static_cast<unsigned char>(a[k])) !=
            foldAscii(static_cast<unsigned char>(b[k])))
            return false;
    }
    return true;
}

}  // namespace

bool isSidecarName(QByteArrayView name) {
    return name.size() > 4 &&
           (equalIgnoringCase(name.last(4), ".xmp") || equalIgnoringCase(name.last(4), ".thm"));
}

QString shotText(const Shot& shot) {
    QString text = displayName(shot.first().name);
    if (shot.members.size() == 1)
        return text;
    const qsizetype stem = stemLength(shot.first().name);
    text += QStringLiteral(" (+");
    for (qsizetype k = 1; k < shot.members.size(); ++k) {
        if (k > 1)
            text += QStringLiteral(", ");
        QByteArrayView tail = QByteArrayView(shot.members[k].name).sliced(stem);
        if (tail.startsWith('.'))
            tail = tail.sliced(1);
        text += displayName(tail.toByteArray());
    }
    text += u')';
    return text;
}

const ShootingTime& shotTime(const Shot& shot) {
    // An Exif time is the moment the shutter was pressed; a file's own time
    // counts only where no member has one.
    const auto rank = [](const ShootingTime& time) {
        return time.source == TimeSource::Exif ? 0 : time.isKnown() ? 1 : 2;
    };
    const ShootingTime* earliest = &shot.first().time;
    for (const ListedFile& member : shot.members) {
        const ShootingTime& time = member.time;
        if (rank(time) < rank(*earliest) ||
            (rank(time) == rank(*earliest) && time.correctedMsecs() < earliest->correctedMsecs()))
            earliest = &time;
    }
    return *earliest;
}

std::vector<Shot> oneShotEach(const std::vector<ListedFile>& files) {
    std::vector<Shot> shots;
    shots.reserve(files.size());
    for (const ListedFile& file : files)
        shots.emplace_back(file);
    return shots;
}

namespace {

// How far apart the Exif times of one shot's files may lie: the files of one
// press of the shutter carry the same time, to the second.
constexpr qint64 kOneShotMsecs = 1000;

quint32 stemHash(QByteArrayView stem) {
    quint32 hash = 2166136261u;
    for (const char c : stem) {
        hash ^= foldAscii(static_cast<unsigned char>(c));
        hash *= 16777619u;
    }
    return hash;
}

QByteArrayView stemOf(const QByteArray& name) {
    return QByteArrayView(name).first(stemLength(name));
}

// The listed files by stem, letter case ignored: open addressing over file
// numbers, so that a folder of tens of thousands of names costs one small
// array and no allocation per name.
class StemTable {
public:
    StemTable(const std::vector<ListedFile>& files, size_t expected) : files_(files) {
        size_t capacity = 16;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
    }

    // The file the table holds for stem, or -1.
    int find(QByteArrayView stem) const {
        const quint32 hash = stemHash(stem);
        for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.file < 0)
                return -1;
            if (slot.hash == hash &&
                equalIgnoringCase(stemOf(files_[size_t(slot.file)].name), stem))
                return slot.file;
        }
    }

    // Holds file for its stem from now on; returns the file held before, or -1.
    int put(int file) {
        const QByteArrayView stem = stemOf(files_[size_t(file)].name);
        const quint32 hash = stemHash(stem);
        for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.file < 0 ||
                (slot.hash == hash &&
                 equalIgnoringCase(stemOf(files_[size_t(slot.file)].name), stem))) {
                const int before = slot.file;
                slot = Slot{hash, file};
                return before;
            }
        }
    }

private:
    struct Slot {
        quint32 hash = 0;
        int file = -1;
    };
    const std::vector<ListedFile>& files_;
    std::vector<Slot> slots_;
    size_t mask_ = 0;
};

bool camerasAgree(const Camera& a, const Camera& b) {
    return !a.isKnown() || !b.isKnown() || a == b;
}

}  // namespace

std::vector<Shot> formShots(const std::vector<ListedFile>& files,
                            const std::vector<ListedFile>& sidecars,
                            const ShotTimeReader& readTime) {
    const int count = int(files.size());
    // What each listed file is: a sidecar by its name (attached to a photo of
    // the list, or not), or a photo.
    enum : char { Photo, Sidecar, Attached };
    std::vector<char> kind(files.size(), Photo);
    for (int k = 0; k < count; ++k)
        kind[size_t(k)] = isSidecarName(files[size_t(k)].name) ? Sidecar : Photo;

    // next[k]: the next file, in natural order, whose stem is k's; -1 after
    // the last. Put in from the last file to the first, the table ends up
    // holding the first file of every stem.
    StemTable table(files, files.size());
    std::vector<int> next(files.size(), -1);
    for (int k = count - 1; k >= 0; --k) {
        if (kind[size_t(k)] == Photo)
            next[size_t(k)] = table.put(k);
    }

    // The listed file a sidecar belongs to: the first of its stem
    // (IMG_0005.xmp), or the one it is named after (IMG_0005.CR2.xmp).
    const auto photoOf = [&](const QByteArray& sidecar) {
        const QByteArrayView base = QByteArrayView(sidecar).first(stemLength(sidecar));
        if (const int first = table.find(base); first >= 0)
            return first;
        const qsizetype stem = stemLength(base);
        if (stem == base.size())
            return -1;
        for (int k = table.find(base.first(stem)); k >= 0; k = next[size_t(k)]) {
            if (equalIgnoringCase(files[size_t(k)].name, base))
                return k;
        }
        return -1;
    };
    // Each sidecar with the listed file it goes with; the listed ones first.
    std::vector<std::pair<const ListedFile*, int>> attached;
    for (int k = 0; k < count; ++k) {
        if (kind[size_t(k)] != Sidecar)
            continue;
        if (const int photo = photoOf(files[size_t(k)].name); photo >= 0) {
            attached.emplace_back(&files[size_t(k)], photo);
            kind[size_t(k)] = Attached;
        }
    }
    for (const ListedFile& sidecar : sidecars) {
        if (const int photo = photoOf(sidecar.name); photo >= 0)
            attached.emplace_back(&sidecar, photo);
    }
    // A listed sidecar without its photo is a file like any other. Its stem
    // is no photo's (a photo of that stem would have taken it), so it shares
    // a shot with other such sidecars only.
    for (int k = count - 1; k >= 0; --k) {
        if (kind[size_t(k)] == Sidecar)
            next[size_t(k)] = table.put(k);
    }

    // leader[k]: the first file of k's shot; -1 until k's stem is met.
    std::vector<int> leader(files.size(), -1);
    // The times read, for the files of stems that more than one file shares.
    std::vector<ShootingTime> readTimes;
    std::vector<int> readTimeOf;
    const auto timeOf = [&](int k) -> const ShootingTime& {
        const int read = readTimeOf.empty() ? -1 : readTimeOf[size_t(k)];
        return read < 0 ? files[size_t(k)].time : readTimes[size_t(read)];
    };
    // Kept from one stem to the next: a folder of RAW+JPEG pairs has as many
    // stems to split as photos.
    std::vector<int> stemFiles;
    std::vector<ShootingTime> moments;
    std::vector<size_t> group;
    std::vector<int> groupLeader;
    const auto splitByTime = [&](int first) {
        stemFiles.clear();
        for (int k = first; k >= 0; k = next[size_t(k)])
            stemFiles.push_back(k);
        if (readTime) {
            if (readTimeOf.empty())
                readTimeOf.assign(files.size(), -1);
            for (const int k : stemFiles) {
                if (!files[size_t(k)].time.isKnown()) {
                    readTimeOf[size_t(k)] = int(readTimes.size());
                    readTimes.push_back(readTime(files[size_t(k)].name));
                }
            }
        }
        // One group per body and moment, numbered in natural order of their
        // first file with an Exif time. A file without one cannot tell its
        // body: it goes with group 0.
        moments.clear();
        group.assign(stemFiles.size(), 0);
        for (size_t i = 0; i < stemFiles.size(); ++i) {
            const ShootingTime& time = timeOf(stemFiles[i]);
            if (time.source != TimeSource::Exif)
                continue;
            const auto same =
                std::find_if(moments.begin(), moments.end(), [&time](const ShootingTime& moment) {
                    return std::abs(moment.correctedMsecs() - time.correctedMsecs()) <=
                               kOneShotMsecs &&
                           camerasAgree(moment.camera, time.camera);
                });
            group[i] = size_t(same - moments.begin());
            if (same == moments.end())
                moments.push_back(time);
        }
        // Each group is led by its first file in natural order.
        groupLeader.assign(std::max<size_t>(moments.size(), 1), -1);
        for (size_t i = 0; i < stemFiles.size(); ++i) {
            int& led = groupLeader[group[i]];
            if (led < 0)
                led = stemFiles[i];
            leader[size_t(stemFiles[i])] = led;
        }
    };

    std::vector<Shot> shots;
    shots.reserve(files.size());
    std::vector<int> shotLeaders;  // the first file of each shot, ascending
    shotLeaders.reserve(files.size());
    for (int k = 0; k < count; ++k) {
        if (kind[size_t(k)] == Attached)
            continue;
        if (leader[size_t(k)] < 0) {
            // The first file of its stem.
            if (next[size_t(k)] < 0)
                leader[size_t(k)] = k;
            else
                splitByTime(k);
        }
        if (leader[size_t(k)] != k)
            continue;
        Shot& shot = shots.emplace_back();
        for (int j = k; j >= 0; j = next[size_t(j)]) {
            if (leader[size_t(j)] != k)
                continue;
            shot.members.push_back(files[size_t(j)]);
            if (!readTimeOf.empty() && readTimeOf[size_t(j)] >= 0)
                shot.members.back().time = std::move(readTimes[size_t(readTimeOf[size_t(j)])]);
        }
        shotLeaders.push_back(k);
    }
    for (const auto& [sidecar, photo] : attached) {
        const auto at =
            std::lower_bound(shotLeaders.begin(), shotLeaders.end(), leader[size_t(photo)]);
        shots[size_t(at - shotLeaders.begin())].sidecars.push_back(*sidecar);
    }
    for (Shot& shot : shots) {
        if (shot.sidecars.size() > 1) {
            std::sort(shot.sidecars.begin(), shot.sidecars.end(),
                      [](const ListedFile& a, const ListedFile& b) {
                          return naturalLess(a.name, b.name);
                      });
        }
    }
    return shots;
}
