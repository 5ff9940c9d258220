// The one translation unit that instantiates the INI library. Its own
// character conversion is off: the text reaches it as UTF-8, converted here.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "core/settings/IniText.h"

#include "core/text/Characters.h"
#include "core/text/NativeName.h"

#include <QCryptographicHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>
#include <memory>
#include <vector>

namespace {

enum class Encoding { Utf8, Cp932 };

// ICU's name for it; Qt's own converters do not know code page 932.
constexpr char kCp932[] = "Shift_JIS";

// A new file's line break.
constexpr char kLineEnd[] = "\n";

Encoding encodingOf(const QByteArray& file) {
    return isValidUtf8(file) ? Encoding::Utf8 : Encoding::Cp932;
}

// The reader stops at the first NUL, so edits happen before it.
qsizetype textEnd(const QByteArray& file) {
    const qsizetype nul = file.indexOf('\0');
    return nul < 0 ? file.size() : nul;
}

std::optional<QByteArray> encode(const QString& text, Encoding encoding) {
    if (encoding == Encoding::Utf8) {
        // A lone surrogate (an undecodable byte of a file name) has no UTF-8.
        for (qsizetype at = 0; at < text.size(); ++at) {
            if (isSurrogatePairAt(text, at))
                ++at;
            else if (text.at(at).isSurrogate())
                return std::nullopt;
        }
        return text.toUtf8();
    }
    // A Qt built without ICU has no code page 932: such a file is then never
    // written to, rather than written wrongly.
    QStringEncoder encoder(kCp932);
    QByteArray bytes = encoder(text);
    if (!encoder.isValid() || encoder.hasError())
        return std::nullopt;
    return bytes;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// The library folds only ASCII letters, and so must the line scanner.
bool sameName(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i].unicode()) != foldAscii(b[i].unicode()))
            return false;
    }
    return true;
}

// The same on UTF-8 bytes, where only ASCII letters fold as well.
bool sameName(const char* a, const QByteArray& b) {
    const size_t size = std::strlen(a);
    if (size != size_t(b.size()))
        return false;
    for (size_t i = 0; i < size; ++i) {
        if (foldAscii(uchar(a[i])) != foldAscii(uchar(b[i])))
            return false;
    }
    return true;
}

QStringView trimmed(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from].unicode()))
        ++from;
    while (to > from && isBlank(text[to - 1].unicode()))
        --to;
    return text.mid(from, to - from);
}

bool hasLineBreakOrNul(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

bool validSection(const QString& section) {
    return !section.isEmpty() && trimmed(section) == section && !section.contains(u']') &&
           !hasLineBreakOrNul(section);
}

bool validKey(const QString& key) {
    return !key.isEmpty() && trimmed(key) == key && !key.contains(u'=') && !key.startsWith(u';') &&
           !key.startsWith(u'#') && !key.startsWith(u'[') && !hasLineBreakOrNul(key);
}

// Surrounding blanks would be trimmed away on reading, and a value wrapped in
// quotes would lose them: both go into quotes, which the reader strips.
QString storedForm(const QString& value) {
    if (value.isEmpty())
        return value;
    const bool quote = isBlank(value.front().unicode()) || isBlank(value.back().unicode()) ||
                       (value.size() >= 2 && value.front() == u'"' && value.back() == u'"');
    return quote ? u'"' + value + u'"' : value;
}

using Ini = CSimpleIniA;

// The parse that every read goes through.
std::unique_ptr<Ini> parse(const QByteArray& file) {
    auto ini = std::make_unique<Ini>(/*utf8*/ true, /*multi-key*/ true, /*multi-line*/ false);
    ini->SetQuotes(true);
    const QByteArrayView text(file.constData(), textEnd(file));
    QByteArray utf8;
    if (encodingOf(file) == Encoding::Utf8) {
        utf8 = text.toByteArray();
    } else {
        QStringDecoder decoder(kCp932);
        utf8 = QString(decoder(text)).toUtf8();
    }
    if (ini->LoadData(utf8.constData(), size_t(utf8.size())) < 0)
        return nullptr;
    return ini;
}

std::optional<QString> firstValue(const Ini& ini, const QByteArray& section,
                                  const QByteArray& key) {
    Ini::TNamesDepend values;
    if (!ini.GetAllValues(section.constData(), key.constData(), values) || values.empty())
        return std::nullopt;
    values.sort(Ini::Entry::LoadOrder());
    return QString::fromUtf8(values.front().pItem);
}

// A digest of every entry except the ones of section/key, so that an edit can
// prove it touched nothing else.
QByteArray otherEntriesDigest(const Ini& ini, const QByteArray& section, const QByteArray& key) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    Ini::TNamesDepend sections;
    ini.GetAllSections(sections);
    for (const Ini::Entry& s : sections) {
        const Ini::TKeyVal* entries = ini.GetSection(s.pItem);
        if (!entries)
            continue;
        const bool targetSection = sameName(s.pItem, section);
        for (const auto& [entry, value] : *entries) {
            if (targetSection && sameName(entry.pItem, key))
                continue;
            // The terminating NULs keep "ab"+"c" apart from "a"+"bc".
            hash.addData(QByteArrayView(s.pItem, qsizetype(std::strlen(s.pItem)) + 1));
            hash.addData(QByteArrayView(entry.pItem, qsizetype(std::strlen(entry.pItem)) + 1));
            hash.addData(QByteArrayView(value, qsizetype(std::strlen(value)) + 1));
        }
    }
    return hash.result();
}

struct Line {
    qsizetype begin;  // first byte
    qsizetype end;    // first byte of the line break
    qsizetype next;   // first byte after the line break
};

// A lone CR ends a line too, as it does for the reader.
std::vector<Line> splitLines(const QByteArray& file, qsizetype limit) {
    std::vector<Line> lines;
    const char* data = file.constData();
    qsizetype at = 0;
    while (at < limit) {
        qsizetype end = at;
        while (end < limit && data[end] != '\n' && data[end] != '\r')
            ++end;
        qsizetype next = end;
        if (next < limit)
            next += (data[next] == '\r' && next + 1 < limit && data[next + 1] == '\n') ? 2 : 1;
        lines.push_back({at, end, next});
        at = next;
    }
    return lines;
}

// Where the key stands in the file, found by the reader's own rules: a line
// is blank, a comment (";" or "#"), a section ("[" name "]") or an entry
// (name "=" value); anything else is skipped.
struct KeyPlaces {
    std::vector<size_t> keyLines;              // every line of the key in a matching section
    std::optional<size_t> lastOfFirstSection;  // header or last entry of the first matching one
    QByteArray lineEnd;                        // the file's own line break
};

KeyPlaces findKey(const QByteArray& file, const std::vector<Line>& lines, Encoding encoding,
                  const QString& section, const QString& key) {
    KeyPlaces places;
    // Reset for every line, so that a broken line cannot spill into the next;
    // a BOM counts only at the very start, as it does for the reader.
    QStringDecoder decoder =
        encoding == Encoding::Utf8
            ? QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
            : QStringDecoder(kCp932);
    bool inMatching = false;
    bool inFirstMatching = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (places.lineEnd.isEmpty() && line.next > line.end)
            places.lineEnd = file.mid(line.end, line.next - line.end);
        const QByteArrayView bytes(file.constData() + line.begin, line.end - line.begin);
        decoder.resetState();
        QString decoded = decoder(bytes);
        if (i == 0 && encoding == Encoding::Utf8 && decoded.startsWith(QChar(0xFEFF)))
            decoded.remove(0, 1);
        QStringView text(decoded);
        while (!text.isEmpty() && isBlank(text.front().unicode()))
            text = text.mid(1);
        if (text.isEmpty() || text.front() == u';' || text.front() == u'#')
            continue;
        if (text.front() == u'[') {
            const qsizetype close = text.indexOf(u']');
            const bool matching = close > 0 && sameName(trimmed(text.mid(1, close - 1)), section);
            inFirstMatching = matching && !places.lastOfFirstSection;
            if (inFirstMatching)
                places.lastOfFirstSection = i;
            inMatching = matching;
            continue;
        }
        const qsizetype equals = text.indexOf(u'=');
        if (!inMatching || equals <= 0)
            continue;
        if (inFirstMatching)
            places.lastOfFirstSection = i;
        if (sameName(trimmed(text.left(equals)), key))
            places.keyLines.push_back(i);
    }
    if (places.lineEnd.isEmpty())
        places.lineEnd = kLineEnd;
    return places;
}

}  // namespace

QString iniValue(const QByteArray& file, const QString& section, const QString& key) {
    const std::unique_ptr<Ini> ini = parse(file);
    if (!ini)
        return QString();
    return firstValue(*ini, section.toUtf8(), key.toUtf8()).value_or(QString());
}

std::vector<std::pair<QString, QString>> iniEntries(const QByteArray& file,
                                                    const QString& section) {
    std::vector<std::pair<QString, QString>> entries;
    const std::unique_ptr<Ini> ini = parse(file);
    if (!ini)
        return entries;
    const QByteArray sectionUtf8 = section.toUtf8();
    Ini::TNamesDepend keys;
    if (!ini->GetAllKeys(sectionUtf8.constData(), keys))
        return entries;
    keys.sort(Ini::Entry::LoadOrder());
    for (const Ini::Entry& key : keys) {
        const QByteArray keyUtf8(key.pItem);
        if (const std::optional<QString> value = firstValue(*ini, sectionUtf8, keyUtf8))
            entries.emplace_back(QString::fromUtf8(keyUtf8), *value);
    }
    return entries;
}

std::optional<QByteArray> iniWithValue(const QByteArray& file, const QString& section,
                                       const QString& key, const QString& value) {
    if (!validSection(section) || !validKey(key) || hasLineBreakOrNul(value))
        return std::nullopt;
    const Encoding encoding = encodingOf(file);
    const qsizetype end = textEnd(file);
    const std::vector<Line> lines = splitLines(file, end);
    const KeyPlaces places = findKey(file, lines, encoding, section, key);

    QByteArray edited;
    if (value.isNull()) {
        // No line of the key found is not yet proof that the reader sees none:
        // the check below decides, as for every other edit.
        edited.reserve(file.size());
        qsizetype copied = 0;
        for (const size_t i : places.keyLines) {
            edited.append(file.constData() + copied, lines[i].begin - copied);
            copied = lines[i].next;
        }
        edited.append(file.constData() + copied, file.size() - copied);
    } else {
        const std::optional<QByteArray> entry = encode(key + u'=' + storedForm(value), encoding);
        if (!entry)
            return std::nullopt;
        edited = file;
        if (!places.keyLines.empty()) {
            const Line& line = lines[places.keyLines.front()];
            edited.replace(line.begin, line.end - line.begin, *entry);
        } else if (places.lastOfFirstSection) {
            const Line& line = lines[*places.lastOfFirstSection];
            const QByteArray before = line.next == line.end ? places.lineEnd : QByteArray();
            edited.insert(line.next, before + *entry + places.lineEnd);
        } else {
            const std::optional<QByteArray> header = encode(u'[' + section + u']', encoding);
            if (!header)
                return std::nullopt;
            const bool openLine = end > 0 && file[end - 1] != '\n' && file[end - 1] != '\r';
            const QByteArray before = openLine ? places.lineEnd : QByteArray();
            edited.insert(end, before + *header + places.lineEnd + *entry + places.lineEnd);
        }
    }

    // Read the result back the way the program will: the key must hold
    // exactly the new value (or be gone) and every other entry be as it was.
    // Anything else means the file is in a shape the edit did not foresee,
    // and leaving it alone is better than damaging it.
    const std::unique_ptr<Ini> before = parse(file);
    const std::unique_ptr<Ini> after = parse(edited);
    if (!before || !after)
        return std::nullopt;
    const QByteArray sectionUtf8 = section.toUtf8();
    const QByteArray keyUtf8 = key.toUtf8();
    const std::optional<QString> stored = firstValue(*after, sectionUtf8, keyUtf8);
    if (value.isNull() ? stored.has_value() : stored != value)
        return std::nullopt;
    if (otherEntriesDigest(*before, sectionUtf8, keyUtf8) !=
        otherEntriesDigest(*after, sectionUtf8, keyUtf8))
        return std::nullopt;
    return edited;
}
