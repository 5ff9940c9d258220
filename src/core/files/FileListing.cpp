#include "core/files/FileListing.h"

#include "core/files/Shots.h"
#include "core/text/Characters.h"
#include "core/text/NaturalOrder.h"
#include "core/text/Paths.h"

#include <QList>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Bytes taken by the character at p: a whole UTF-8 sequence, or a single byte
// where the bytes are not UTF-8 (a Shift-JIS name from an old card, say), so
// that "?" and the steps of "*" never land inside a character.
inline size_t charLength(const unsigned char* p, size_t left) {
    return size_t(std::max(1, utf8SequenceLength(p, qsizetype(left))));
}

// "*" and "?" over the whole name. Only the most recent "*" needs to be
// retried: everything between two stars matches a fixed number of characters,
// so a later star can absorb whatever an earlier one would have.
bool wildcardMatch(std::string_view pattern, std::string_view name) {
    const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
    const auto* s = reinterpret_cast<const unsigned char*>(name.data());
    const size_t np = pattern.size();
    const size_t ns = name.size();
    size_t ip = 0;
    size_t is = 0;
    size_t starP = std::string_view::npos;  // pattern position just after the last "*"
    size_t starS = 0;                       // where that "*" would end next time
    while (is < ns) {
        if (ip < np) {
            const unsigned char pc = p[ip];
            if (pc == '*') {
                starP = ++ip;
                starS = is;
                continue;
            }
            if (pc == '?') {
                ++ip;
                is += charLength(s + is, ns - is);
                continue;
            }
            if (foldAscii(pc) == foldAscii(s[is])) {
                ++ip;
                ++is;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        starS += charLength(s + starS, ns - starS);
        ip = starP;
        is = starS;
    }
    while (ip < np && p[ip] == '*')
        ++ip;
    return ip == np;
}

// The listed names side by side in a few shared blocks instead of one
// allocation each. A card holds tens of thousands of short names, and a
// block of their own costs each of them about twice its length again; where
// the first touch of a page is dear, that is most of the listing's time.
// Every name holds a reference to its block, so a block lives as long as any
// of its names does, and a name that is changed gets a copy of its own first,
// as any shared QByteArray does.
class NameBlocks {
public:
    QByteArray add(std::string_view name) {
        const qsizetype length = qsizetype(name.size());
        if (block_.size + length + 1 > capacity_) {
            // Small folders take a small block; big ones soon take big ones.
            nextCapacity_ = std::min<qsizetype>(nextCapacity_ * 2, 1 << 20);
            block_ = QByteArray::DataPointer(
                QTypedArrayData<char>::allocate(std::max(nextCapacity_, length + 1)));
            capacity_ = block_.d ? block_.d->allocatedCapacity() : 0;
            if (!block_.d)
                return QByteArray(name.data(), length);  // let QByteArray report the failure
        }
        char* at = block_.ptr + block_.size;
        std::memcpy(at, name.data(), name.size());
        at[length] = '\0';
        block_.size += length + 1;
        QByteArray::DataPointer piece = block_;  // one more reference to the block
        piece.ptr = at;
        piece.size = length;
        return QByteArray(std::move(piece));
    }

private:
    // Holds one reference to the current block; its size is the part in use.
    QByteArray::DataPointer block_;
    qsizetype capacity_ = 0;
    qsizetype nextCapacity_ = 2048;
};

}  // namespace

PatternSet::PatternSet(const QByteArray& patterns) {
    for (const QByteArray& piece : patterns.split(';')) {
        // An empty piece matches nothing, so it is simply not kept.
        if (!piece.isEmpty())
            patterns_.push_back(piece);
    }
}

bool PatternSet::matches(std::string_view name) const {
    for (const QByteArray& piece : patterns_) {
        const std::string_view pattern(piece.constData(), size_t(piece.size()));
        if (wildcardMatch(pattern, name))
            return true;
        // "photo.*" also takes a plain "photo", and "*.*" every file.
        if (pattern.ends_with(".*") && name.find('.') == std::string_view::npos &&
            wildcardMatch(pattern.substr(0, pattern.size() - 2), name))
            return true;
    }
    return false;
}

namespace {

enum class Hidden { Skipped, Listed };

// Reads folder and hands every entry (but "." and "..", and the hidden ones
// unless listed) to onEntry, with the open folder's descriptor. Returns 0, or
// errno when the folder could not be read to its end.
template <typename OnEntry, typename Sized>
int scanFolder(const QByteArray& folder, OnEntry&& onEntry, std::vector<Sized>* sizedFor,
               Hidden hidden = Hidden::Skipped) {
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return errno;
    const int fd = dirfd(dir);
    if (sizedFor) {
        // Room for every entry the folder's size allows for, at once: growing
        // a vector of a card's names step by step writes each step's copy to
        // fresh pages, and there the first touch of a page, not the copy,
        // is what costs. Room never used is never touched, so it costs
        // nothing. No directory entry takes fewer than about 20 bytes of it.
        struct stat folderStat;
        if (fstat(fd, &folderStat) == 0 && folderStat.st_size > 0)
            sizedFor->reserve(std::min<size_t>(size_t(folderStat.st_size) / 20 + 16, 1u << 20));
    }
    int failure = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            failure = errno;
            break;
        }
        const std::string_view name(entry->d_name);
        if (name.front() != '.' || (hidden == Hidden::Listed && name != "." && name != ".."))
            onEntry(*entry, fd);
    }
    closedir(dir);
    return failure;
}

// The entry's type, asked of the file system where the listing leaves it
// open. A symbolic link counts as what it leads to only when followLinks.
unsigned char typeOf(const dirent& entry, int fd, bool followLinks) {
    if (entry.d_type != DT_UNKNOWN && !(followLinks && entry.d_type == DT_LNK))
        return entry.d_type;
    struct stat st;
    if (fstatat(fd, entry.d_name, &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
}

}  // namespace

std::vector<ListedFile> listMatchingFiles(const QByteArray& folder, const PatternSet& patterns,
                                          int* error, std::vector<ListedFile>* sidecars) {
    // The listing hands over the inode numbers for nothing.
    std::vector<ListedFile> listed;
    NameBlocks blocks;
    const int failure = scanFolder(
        folder,
        [&](const dirent& entry, int fd) {
            const std::string_view name(entry.d_name);
            if (entry.d_type != DT_REG && entry.d_type != DT_UNKNOWN)
                return;
            std::vector<ListedFile>* into = &listed;
            if (!patterns.matches(name)) {
                if (!sidecars ||
                    !isSidecarName(QByteArrayView(name.data(), qsizetype(name.size()))))
                    return;
                into = sidecars;
            }
            // Some file systems do not fill in the type: ask them, for the
            // matching names only.
            if (entry.d_type == DT_UNKNOWN && typeOf(entry, fd, false) != DT_REG)
                return;
            into->push_back({blocks.add(name), quint64(entry.d_ino), {}});
        },
        &listed);
    const auto inNaturalOrder = [](std::vector<ListedFile>& files) {
        std::sort(files.begin(), files.end(), [](const ListedFile& x, const ListedFile& y) {
            return naturalLess(x.name, y.name);
        });
    };
    if (failure == 0) {
        inNaturalOrder(listed);
        if (sidecars)
            inNaturalOrder(*sidecars);
    } else {
        // Half a folder would number the files wrongly: on failure nothing
        // at all is the honest answer.
        listed.clear();
        if (sidecars)
            sidecars->clear();
    }
    if (error)
        *error = failure;
    return listed;
}

std::vector<QByteArray> listSubfolders(const QByteArray& folder) {
    std::vector<QByteArray> names;
    scanFolder(
        folder,
        [&](const dirent& entry, int fd) {
            if (typeOf(entry, fd, true) == DT_DIR)
                names.emplace_back(entry.d_name);
        },
        &names);
    sortNaturally(names);
    return names;
}

bool hasSubfolder(const QByteArray& folder) {
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.' && typeOf(*entry, dirfd(dir), true) == DT_DIR) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

std::vector<QByteArray> listAllNames(const QByteArray& folder) {
    std::vector<QByteArray> names;
    scanFolder(
        folder, [&](const dirent& entry, int) { names.emplace_back(entry.d_name); }, &names,
        Hidden::Listed);
    return names;
}

namespace {

bool holdsExactly(const QByteArray& folder, const QByteArray& name) {
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (name == entry->d_name) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

bool ignoresLetterCase(const QByteArray& folder, const std::vector<QByteArray>& names) {
    for (const QByteArray& name : names) {
        QByteArray swapped = name;
        for (char& c : swapped) {
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
            else if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        if (swapped == name)
            continue;
        struct stat st;
        if (lstat((withTrailingSlash(folder) + swapped).constData(), &st) != 0)
            return false;
        // Found: the file itself under another spelling, unless the folder
        // holds that very spelling too, which only a file system that tells
        // case apart can (a.jpg beside A.JPG).
        return !holdsExactly(folder, swapped);
    }
    return false;
}
