#include "ui/platform/FileListing.h"

#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#else
#include <filesystem>
#include <system_error>
#endif

namespace {

inline unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Bytes taken by the character at p: a whole UTF-8 sequence, or a single byte
// where the bytes are not UTF-8 (a Shift-JIS name from an old card, say), so
// that "?" and the steps of "*" never land inside a character.
inline size_t charLength(const unsigned char* p, size_t left) {
    const unsigned char c = *p;
    size_t len = 1;
    if (c >= 0xC2 && c <= 0xDF)
        len = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        len = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        len = 4;
    if (len > left)
        return 1;
    for (size_t k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 1;
    }
    return len;
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

int sign(int v) {
    return (v > 0) - (v < 0);
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

int naturalCompare(std::string_view a, std::string_view b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const size_t na = a.size();
    const size_t nb = b.size();
    size_t i = 0;
    size_t j = 0;
    while (i < na && j < nb) {
        const unsigned char ca = pa[i];
        const unsigned char cb = pb[j];
        if (isDigit(ca) && isDigit(cb)) {
            // Compare the two runs by value without converting them, so a run
            // of any length works: drop leading zeros, then the longer run is
            // the larger, and runs of one length compare digit by digit.
            while (i < na && pa[i] == '0')
                ++i;
            while (j < nb && pb[j] == '0')
                ++j;
            size_t ea = i;
            while (ea < na && isDigit(pa[ea]))
                ++ea;
            size_t eb = j;
            while (eb < nb && isDigit(pb[eb]))
                ++eb;
            if (ea - i != eb - j)
                return ea - i < eb - j ? -1 : 1;
            if (const int c = std::memcmp(pa + i, pb + j, ea - i))
                return sign(c);
            i = ea;
            j = eb;
            continue;
        }
        // A digit against any other byte compares as the byte itself; digits
        // are one contiguous block, so this agrees with every run comparison.
        const unsigned char fa = foldAscii(ca);
        const unsigned char fb = foldAscii(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < na)
        return 1;
    if (j < nb)
        return -1;
    // Equal as far as the reader can tell ("IMG_1.jpg", "img_01.JPG"): the raw
    // bytes decide, so the serial numbers never depend on how readdir happened
    // to order the folder.
    if (const int c = std::memcmp(pa, pb, std::min(na, nb)))
        return sign(c);
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

std::vector<QByteArray> listMatchingFiles(const QByteArray& folder, const PatternSet& patterns,
                                          int* error) {
    std::vector<QByteArray> names;
    NameBlocks blocks;
    int failure = 0;
#ifdef Q_OS_LINUX
    DIR* dir = opendir(folder.constData());
    if (!dir) {
        failure = errno;
    } else {
        const int fd = dirfd(dir);
        // Room for every entry the folder's size allows for, at once: growing
        // a vector of a card's names step by step writes each step's copy to
        // fresh pages, and there the first touch of a page, not the copy,
        // is what costs. Room never used is never touched, so it costs
        // nothing. No directory entry takes fewer than about 20 bytes of it.
        struct stat folderStat;
        if (fstat(fd, &folderStat) == 0 && folderStat.st_size > 0)
            names.reserve(std::min<size_t>(size_t(folderStat.st_size) / 20 + 16, 1u << 20));
        for (;;) {
            errno = 0;
            const dirent* entry = readdir(dir);
            if (!entry) {
                failure = errno;
                break;
            }
            const char* name = entry->d_name;
            if (name[0] == '.')
                continue;
            if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN)
                continue;
            const std::string_view view(name);
            if (!patterns.matches(view))
                continue;
            if (entry->d_type == DT_UNKNOWN) {
                // Some file systems do not fill in the type; ask without
                // following a symbolic link.
                struct stat st;
                if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
                    continue;
            }
            names.push_back(blocks.add(view));
        }
        closedir(dir);
    }
#else
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path(std::u8string_view(reinterpret_cast<const char8_t*>(folder.constData()),
                                           size_t(folder.size())));
    fs::directory_iterator it(path, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::u8string name = it->path().filename().u8string();
        if (name.empty() || name[0] == u8'.')
            continue;
        const std::string_view view(reinterpret_cast<const char*>(name.data()), name.size());
        if (!patterns.matches(view))
            continue;
        std::error_code typeError;
        if (it->symlink_status(typeError).type() != fs::file_type::regular || typeError)
            continue;
        names.push_back(blocks.add(view));
    }
    if (ec)
        failure = ec.value() ? ec.value() : EIO;
#endif
    if (failure != 0) {
        // Half a folder would number the files wrongly: nothing at all is the
        // honest answer.
        names.clear();
    } else {
        std::sort(names.begin(), names.end(), [](const QByteArray& x, const QByteArray& y) {
            return naturalCompare(std::string_view(x.constData(), size_t(x.size())),
                                  std::string_view(y.constData(), size_t(y.size()))) < 0;
        });
    }
    if (error)
        *error = failure;
    return names;
}
