#include "platform/WineRegFile.h"

#include "platform/Cp932.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace tavrin {

namespace {

using Units = std::u16string;

constexpr std::string_view kMagic = "WINE REGISTRY Version 2";
constexpr int kRegSz = 1;
constexpr int kRegExpandSz = 2;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUnit(Units& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Decodes one UTF-8 character at `pos`; nothing (and one byte consumed) for a malformed one,
// which Wine drops when it loads the file.
std::optional<char32_t> nextUtf8(std::string_view s, std::size_t& pos) {
    const auto b = static_cast<unsigned char>(s[pos++]);
    if (b < 0x80) {
        return b;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3, c = b & 0x07, min = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + extra > s.size()) {
        return std::nullopt;
    }
    for (int i = 0; i < extra; ++i) {
        const auto t = static_cast<unsigned char>(s[pos + i]);
        if ((t & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (t & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    pos += extra;
    return c;
}

Units fromCp932(std::string_view cp932) {
    const std::string utf8 = cp932::toUtf8(cp932);
    Units out;
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (const std::optional<char32_t> c = nextUtf8(utf8, pos)) {
            appendUnit(out, *c);
        }
    }
    return out;
}

std::string toCp932(std::u16string_view units) {
    std::string utf8;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            appendUtf8(utf8, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            utf8 += '?';
        } else {
            appendUtf8(utf8, u);
        }
    }
    return cp932::fromUtf8(utf8);
}

// Wine compares names by their upper case. The letters CP932 holds: ASCII, Greek, Cyrillic
// and the full-width Latin ones.
char16_t fold(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c == 0x451) {
        return 0x401;
    }
    if (c >= 0xFF41 && c <= 0xFF5A) {
        return static_cast<char16_t>(c - 0x20);
    }
    return c;
}

Units folded(Units s) {
    for (char16_t& c : s) {
        c = fold(c);
    }
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A text in Wine's escapes from `pos` up to the unescaped `close`, `pos` then past it; nothing
// when the line ends first.
std::optional<Units> unescape(std::string_view line, std::size_t& pos, char close) {
    Units out;
    while (pos < line.size()) {
        const char c = line[pos];
        if (c == close) {
            ++pos;
            return out;
        }
        if (c != '\\') {
            if (const std::optional<char32_t> u = nextUtf8(line, pos)) {
                appendUnit(out, *u);
            }
            continue;
        }
        if (++pos == line.size()) {
            break;
        }
        const char e = line[pos++];
        switch (e) {
        case 'a':
            out += u'\a';
            break;
        case 'b':
            out += u'\b';
            break;
        case 'e':
            out += u'\x1b';
            break;
        case 'f':
            out += u'\f';
            break;
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        case 't':
            out += u'\t';
            break;
        case 'v':
            out += u'\v';
            break;
        case 'x': {
            if (pos == line.size() || hexDigit(line[pos]) < 0) {
                out += u'x';
                break;
            }
            unsigned value = 0;
            for (int i = 0; i < 4 && pos < line.size() && hexDigit(line[pos]) >= 0; ++i) {
                value = value * 16 + static_cast<unsigned>(hexDigit(line[pos++]));
            }
            out += static_cast<char16_t>(value);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = static_cast<unsigned>(e - '0');
                for (int i = 0; i < 2 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7';
                     ++i) {
                    value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
                }
                out += static_cast<char16_t>(value);
            } else {
                --pos;
                if (const std::optional<char32_t> u = nextUtf8(line, pos)) {
                    appendUnit(out, *u);
                }
            }
        }
    }
    return std::nullopt;
}

bool isHexDigit(char16_t c) {
    return c < 0x80 && hexDigit(static_cast<char>(c)) >= 0;
}

// As Wine writes a text: controls as C or octal escapes, everything past ASCII as \x escapes of
// UTF-16 units, with four digits when a hexadecimal digit follows.
std::string escape(std::u16string_view s, std::string_view special) {
    static constexpr char kEscapes[33] = ".......abtnvfr.............e....";
    std::string out;
    char buf[16];
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const bool more = i + 1 < s.size();
        if (c > 127) {
            std::snprintf(buf, sizeof buf, more && isHexDigit(s[i + 1]) ? "\\x%04x" : "\\x%x",
                          static_cast<unsigned>(c));
            out += buf;
        } else if (c < 32) {
            if (kEscapes[c] != '.') {
                std::snprintf(buf, sizeof buf, "\\%c", kEscapes[c]);
            } else {
                std::snprintf(buf, sizeof buf,
                              more && s[i + 1] >= u'0' && s[i + 1] <= u'7' ? "\\%03o" : "\\%o",
                              static_cast<unsigned>(c));
            }
            out += buf;
        } else {
            if (c == u'\\' || special.find(static_cast<char>(c)) != std::string_view::npos) {
                out += '\\';
            }
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::vector<Units> splitPath(const Units& path) {
    std::vector<Units> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == u'\\') {
            if (i > start) {
                parts.push_back(path.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return parts;
}

// Wine saves a parent before its children and siblings in the order of their upper case.
bool pathBefore(const std::vector<Units>& a, const std::vector<Units>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i];
        }
    }
    return a.size() < b.size();
}

struct Value {
    Units name;              // folded
    std::size_t begin = 0;   // first byte of its first line
    std::size_t equals = 0;  // its "=", after the name
    std::size_t end = 0;     // past the line end of its last line
    std::optional<int> type; // nothing when the data is not understood
    Units text;              // string types
    bool hex = false;
    std::vector<unsigned char> raw; // hex types
};

struct Section {
    std::vector<Units> path; // folded; empty for a header Wine cannot read
    std::size_t headerBegin = 0;
    std::size_t end = 0; // past the last line that is not blank
    std::vector<Value> values;
};

struct Parsed {
    bool valid = false;
    std::string eol = "\n";
    std::vector<Section> sections;
};

std::optional<std::vector<unsigned char>> parseHex(std::string_view data) {
    std::vector<unsigned char> bytes;
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t')) {
            ++pos;
        }
    };
    skipBlanks();
    while (pos < data.size()) {
        if (pos + 1 >= data.size() || hexDigit(data[pos]) < 0 || hexDigit(data[pos + 1]) < 0) {
            return std::nullopt;
        }
        bytes.push_back(
            static_cast<unsigned char>(hexDigit(data[pos]) * 16 + hexDigit(data[pos + 1])));
        pos += 2;
        skipBlanks();
        if (pos < data.size() && data[pos] == ',') {
            ++pos;
        }
        skipBlanks();
    }
    return bytes;
}

// "str(2):" and "hex(7):" carry the type in hexadecimal.
std::optional<int> parseType(std::string_view data, std::string_view prefix, std::size_t& pos) {
    if (data.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    pos = prefix.size();
    // Eight digits fill 32 bits, past what an int holds: Wine reads them unsigned.
    std::uint32_t type = 0;
    int digits = 0;
    while (pos < data.size() && hexDigit(data[pos]) >= 0 && digits < 8) {
        type = type * 16 + static_cast<std::uint32_t>(hexDigit(data[pos++]));
        ++digits;
    }
    if (digits == 0 || data.substr(pos, 2) != "):") {
        return std::nullopt;
    }
    pos += 2;
    return static_cast<int>(type);
}

void parseData(std::string_view data, Value& value) {
    std::size_t pos = 0;
    std::optional<int> type;
    if (!data.empty() && data[0] == '"') {
        type = kRegSz;
    } else if ((type = parseType(data, "str(", pos))) {
        if (pos >= data.size() || data[pos] != '"') {
            return;
        }
    } else if (data.substr(0, 6) == "dword:") {
        if (data.size() > 6 && hexDigit(data[6]) >= 0) {
            value.type = 4;
        }
        return;
    } else {
        if (data.substr(0, 4) == "hex:") {
            type = 3;
            pos = 4;
        } else if (!(type = parseType(data, "hex(", pos))) {
            return;
        }
        if (std::optional<std::vector<unsigned char>> raw = parseHex(data.substr(pos))) {
            value.raw = std::move(*raw);
            value.hex = true;
            value.type = type;
        }
        return;
    }
    ++pos;
    if (std::optional<Units> text = unescape(data, pos, '"')) {
        value.text = std::move(*text);
        value.type = type;
    }
}

std::string_view lineAt(std::string_view bytes, std::size_t begin, std::size_t& next) {
    std::size_t end = bytes.find('\n', begin);
    next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) {
        end = bytes.size();
    }
    if (end > begin && bytes[end - 1] == '\r') {
        --end;
    }
    return bytes.substr(begin, end - begin);
}

bool blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

Parsed parse(std::string_view bytes) {
    Parsed parsed;
    std::size_t next = 0;
    const std::string_view first = lineAt(bytes, 0, next);
    if (first != kMagic) {
        return parsed;
    }
    parsed.valid = true;
    if (next >= 2 && bytes[next - 2] == '\r') {
        parsed.eol = "\r\n";
    }
    Section* section = nullptr;
    for (std::size_t begin = next; begin < bytes.size(); begin = next) {
        const std::string_view line = lineAt(bytes, begin, next);
        if (line.empty()) {
            continue;
        }
        if (line[0] == '[') {
            std::size_t pos = 1;
            parsed.sections.push_back({});
            section = &parsed.sections.back();
            section->headerBegin = begin;
            section->end = next;
            if (std::optional<Units> path = unescape(line, pos, ']')) {
                section->path = splitPath(folded(std::move(*path)));
            }
            continue;
        }
        if (!section) {
            continue;
        }
        if (!blank(line)) {
            section->end = next;
        }
        if (section->path.empty() || (line[0] != '"' && line[0] != '@')) {
            continue;
        }
        Value value;
        value.begin = begin;
        std::size_t pos = 1;
        if (line[0] == '"') {
            std::optional<Units> name = unescape(line, pos, '"');
            if (!name) {
                continue;
            }
            value.name = folded(std::move(*name));
        }
        if (pos >= line.size() || line[pos] != '=') {
            continue;
        }
        value.equals = begin + pos;
        std::string data(line.substr(pos + 1));
        // Long binary data goes on over lines ending in a backslash.
        if (data.substr(0, 3) == "hex") {
            while (!data.empty() && data.back() == '\\' && next < bytes.size()) {
                data.pop_back();
                const std::string_view more = lineAt(bytes, next, next);
                data += more.substr(std::min(more.size(), more.find_first_not_of(" \t")));
            }
            section->end = next;
        }
        value.end = next;
        parseData(data, value);
        section->values.push_back(std::move(value));
    }
    return parsed;
}

// Whether a section header written in plain ASCII, with no escape but "\\", names the key
// `path`: read in place, since a large registry has a header every few lines. Nothing when
// the header is not that plain up to where it differs. Escapes only change what follows them,
// so a difference in the plain text before one is a difference.
std::optional<bool> plainHeaderNames(std::string_view text, const std::vector<Units>& path) {
    std::size_t part = 0, at = 0;
    bool inPart = false;
    const auto partEnds = [&] {
        const bool whole = at == path[part].size();
        ++part;
        inPart = false;
        return whole;
    };
    for (std::size_t i = 1; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            return std::nullopt;
        }
        if (c == ']') {
            return (!inPart || partEnds()) && part == path.size();
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || text[i + 1] != '\\') {
                return std::nullopt;
            }
            ++i;
            if (inPart && !partEnds()) {
                return false;
            }
            continue;
        }
        if (!inPart) {
            if (part == path.size()) {
                return false;
            }
            inPart = true;
            at = 0;
        }
        if (at >= path[part].size() || fold(c) != path[part][at]) {
            return false;
        }
        ++at;
    }
    return std::nullopt;
}

std::optional<std::vector<Units>> keyPath(std::string_view key) {
    std::vector<Units> path = splitPath(folded(fromCp932(key)));
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}

} // namespace

WineRegFile::WineRegFile(std::string bytes) : mBytes(std::move(bytes)) {}

bool WineRegFile::valid() const {
    return parse(mBytes).valid;
}

Registry::Read WineRegFile::readString(std::string_view key, std::string_view valueName,
                                       std::string& out) const {
    const Parsed parsed = parse(mBytes);
    const std::optional<std::vector<Units>> path = keyPath(key);
    if (!path) {
        return Registry::Read::absent;
    }
    const Units name = folded(fromCp932(valueName));
    // Wine loads the file from the top: a later line of the same value wins.
    const Value* found = nullptr;
    for (const Section& section : parsed.sections) {
        if (section.path == *path) {
            for (const Value& value : section.values) {
                if (value.name == name && value.type) {
                    found = &value;
                }
            }
        }
    }
    if (!found) {
        return Registry::Read::absent;
    }
    if (*found->type != kRegSz && *found->type != kRegExpandSz) {
        return Registry::Read::notString;
    }
    Units text = found->text;
    // Wine keeps a string that lacks its final null as hexadecimal UTF-16.
    if (found->hex) {
        for (std::size_t i = 0; i + 1 < found->raw.size(); i += 2) {
            text += static_cast<char16_t>(found->raw[i] | (found->raw[i + 1] << 8));
        }
    }
    // A program reading the string stops at its first null.
    out = toCp932(std::u16string_view(text).substr(0, text.find(u'\0')));
    return Registry::Read::ok;
}

bool WineRegFile::writeString(std::string_view key, std::string_view valueName,
                              std::string_view data, std::int64_t nowUnixSeconds) {
    const Parsed parsed = parse(mBytes);
    const std::optional<std::vector<Units>> path = keyPath(key);
    if (!parsed.valid || !path) {
        return false;
    }
    const Units name = fromCp932(valueName);
    const Units foldedName = folded(name);
    const std::string& eol = parsed.eol;
    const std::string dataText = "=\"" + escape(fromCp932(data), "\"") + "\"" + eol;
    const std::string valueLine =
        (name.empty() ? std::string("@") : "\"" + escape(name, "\"") + "\"") + dataText;

    const Section* last = nullptr;
    const Value* existing = nullptr;
    for (const Section& section : parsed.sections) {
        if (section.path != *path) {
            continue;
        }
        last = &section;
        for (const Value& value : section.values) {
            if (value.name == foldedName) {
                existing = &value;
            }
        }
    }
    // The value keeps the name it has, as in Windows.
    if (existing) {
        mBytes.replace(existing->equals, existing->end - existing->equals, dataText);
        return true;
    }
    const auto insertAt = [&](std::size_t at, std::string text) {
        std::string_view before = std::string_view(mBytes).substr(0, at);
        if (before.ends_with('\n')) {
            before.remove_suffix(before.ends_with("\r\n") ? 2 : 1);
        }
        // A hex value whose last line asks for one more takes the next line, whatever it is: a
        // ";" line ends it as damaged (Wine and this reader drop it), so the new line stays ours.
        if (before.ends_with('\\')) {
            text.insert(0, ";" + eol);
        }
        if (at == mBytes.size() && !mBytes.empty() && mBytes.back() != '\n') {
            text.insert(0, eol);
        }
        mBytes.insert(at, text);
    };
    if (last) {
        insertAt(last->end, valueLine);
        return true;
    }

    Units shown;
    for (const Units& part : splitPath(fromCp932(key))) {
        if (!shown.empty()) {
            shown += u'\\';
        }
        shown += part;
    }
    // Windows file times count 100 ns from 1601.
    const auto fileTime =
        static_cast<unsigned long long>(nowUnixSeconds) * 10000000ULL + 116444736000000000ULL;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "] %lld%s#time=%llx%s",
                  static_cast<long long>(nowUnixSeconds), eol.c_str(), fileTime, eol.c_str());
    const std::string sectionText = "[" + escape(shown, "[]") + stamp + valueLine;
    for (const Section& section : parsed.sections) {
        if (!section.path.empty() && pathBefore(*path, section.path)) {
            insertAt(section.headerBegin, sectionText + eol);
            return true;
        }
    }
    insertAt(mBytes.size(), eol + sectionText);
    return true;
}

WineRegKeyFilter::WineRegKeyFilter(std::string_view key) {
    if (std::optional<std::vector<Units>> path = keyPath(key)) {
        mPath = std::move(*path);
    }
}

// Where the next line that starts with "[" begins, from the start of a line: outside the key's
// sections only headers matter, and most lines are values.
std::size_t WineRegKeyFilter::nextHeader(std::string_view piece, std::size_t from) const {
    for (std::size_t at = from; at < piece.size(); ++at) {
        at = piece.find('[', at);
        if (at == std::string_view::npos) {
            return at;
        }
        if (at == 0 ? mAtLineStart : piece[at - 1] == '\n') {
            return at;
        }
    }
    return std::string_view::npos;
}

void WineRegKeyFilter::feed(std::string_view piece) {
    for (std::size_t begin = 0; begin < piece.size();) {
        if (!mFirst && !mInside && mPartial.empty()) {
            begin = nextHeader(piece, begin);
            if (begin == std::string_view::npos) {
                break;
            }
        }
        const std::size_t end = piece.find('\n', begin);
        if (end == std::string_view::npos) {
            mPartial.append(piece.substr(begin));
            return;
        }
        if (mPartial.empty()) {
            line(piece.substr(begin, end + 1 - begin));
        } else {
            mPartial.append(piece.substr(begin, end + 1 - begin));
            line(mPartial);
            mPartial.clear();
        }
        begin = end + 1;
    }
    if (!piece.empty()) {
        mAtLineStart = piece.back() == '\n';
    }
}

void WineRegKeyFilter::line(std::string_view text) {
    if (mFirst) {
        mFirst = false;
        mKept.append(text);
        return;
    }
    // A section runs from its header to the next; continued data lines never start with "[".
    if (!text.empty() && text[0] == '[') {
        if (mPath.empty()) {
            mInside = false;
        } else if (const std::optional<bool> plain = plainHeaderNames(text, mPath)) {
            mInside = *plain;
        } else {
            std::size_t pos = 1;
            const std::optional<Units> path = unescape(text, pos, ']');
            mInside = path && splitPath(folded(*path)) == mPath;
        }
    }
    if (mInside) {
        mKept.append(text);
    }
}

WineRegFile WineRegKeyFilter::finish() {
    if (!mPartial.empty()) {
        line(mPartial);
        mPartial.clear();
    }
    return WineRegFile(std::move(mKept));
}

} // namespace tavrin
