#include "platform/ProfileFile.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <vector>

namespace tavrin {

namespace {

// A text value is read into a 2048-byte buffer with its terminating zero.
constexpr std::size_t kMaxValueBytes = 2047;

struct Line {
    std::size_t begin = 0;
    std::size_t end = 0; // past the line end
    bool terminated = false;
    std::string_view text; // without the line end
};

enum class LineKind { header, key, other };

struct LineInfo {
    LineKind kind = LineKind::other;
    std::string_view name;
    std::string_view value;
};

struct Span {
    std::size_t header = 0;
    std::size_t end = 0; // the next header, or the line count
};

// A CR that does not end a line reads as a blank, which is also what the writer turns a value's
// line breaks into, so a value read, written and read again stays the same.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool isLead(char c) {
    return cp932::isLeadByte(static_cast<unsigned char>(c));
}

// Only LF ends a line here, unlike the catalogue's texts: the Windows profile functions that other
// programs read these files with keep a lone CR inside its line, so the key before it owns what
// follows, and a rewrite of that key replaces the line as they see it.
std::vector<Line> profileLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        Line line;
        line.begin = pos;
        auto lf = bytes.find('\n', pos);
        line.terminated = lf != std::string_view::npos;
        line.end = line.terminated ? lf + 1 : bytes.size();
        auto text = bytes.substr(pos, (line.terminated ? lf : bytes.size()) - pos);
        if (line.terminated && !text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        line.text = text;
        lines.push_back(line);
        pos = line.end;
    }
    return lines;
}

// "]" is also a valid second byte of a double-byte character, so the scan skips those.
std::size_t lastClosingBracket(std::string_view s) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (isLead(s[i])) {
            ++i;
        } else if (s[i] == ']') {
            found = i;
        }
    }
    return found;
}

LineInfo classify(std::string_view text) {
    auto t = trim(text);
    LineInfo info;
    if (t.empty() || t.front() == ';') {
        return info;
    }
    if (t.front() == '[') {
        auto close = lastClosingBracket(t);
        if (close != std::string_view::npos) {
            info.kind = LineKind::header;
            info.name = trim(t.substr(1, close - 1));
            return info;
        }
    }
    auto eq = t.find('=');
    if (eq == std::string_view::npos) {
        return info;
    }
    info.kind = LineKind::key;
    info.name = trim(t.substr(0, eq));
    info.value = trim(t.substr(eq + 1));
    return info;
}

std::vector<Span> findSections(const std::vector<Line>& lines, std::string_view section) {
    std::vector<Span> spans;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto info = classify(lines[i].text);
        if (info.kind != LineKind::header) {
            continue;
        }
        if (!spans.empty() && spans.back().end == lines.size()) {
            spans.back().end = i;
        }
        if (pathtext::sameName(info.name, section)) {
            spans.push_back({i, lines.size()});
        }
    }
    return spans;
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

std::string_view capValue(std::string_view v) {
    std::size_t n = 0;
    while (n < v.size()) {
        std::size_t step = isLead(v[n]) && n + 1 < v.size() ? 2 : 1;
        if (n + step > kMaxValueBytes) {
            break;
        }
        n += step;
    }
    return v.substr(0, n);
}

// A line break inside a value would split it into lines of its own; a blank keeps every other byte.
std::string oneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

// Written as it is, unless reading would not give it back: then in quotes, which reading removes.
std::string valueText(std::string_view value) {
    std::string v = oneLine(value);
    const bool blankAtEdge = !v.empty() && (isBlank(v.front()) || isBlank(v.back()));
    if (blankAtEdge || unquote(v).size() != v.size()) {
        return '"' + v + '"';
    }
    return v;
}

int digitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') {
        d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        d = c - 'A' + 10;
    }
    return d < base ? d : -1;
}

} // namespace

ProfileFile::ProfileFile(std::string bytes) : mBytes(std::move(bytes)) {}

bool ProfileFile::sectionExists(std::string_view section) const {
    return !findSections(profileLines(mBytes), section).empty();
}

std::optional<std::string> ProfileFile::readValue(std::string_view section,
                                                  std::string_view key) const {
    auto lines = profileLines(mBytes);
    auto spans = findSections(lines, section);
    if (spans.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = spans.front().header + 1; i < spans.front().end; ++i) {
        auto info = classify(lines[i].text);
        if (info.kind == LineKind::key && pathtext::sameName(info.name, key)) {
            return oneLine(capValue(unquote(info.value)));
        }
    }
    return std::nullopt;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    const std::string& fallback) const {
    return readValue(section, key).value_or(fallback);
}

std::int32_t ProfileFile::readInteger(std::string_view section, std::string_view key,
                                      std::int32_t fallback) const {
    auto value = readValue(section, key);
    if (!value) {
        return fallback;
    }
    return parseProfileInteger(*value).value_or(fallback);
}

bool ProfileFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void ProfileFile::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    const std::string line = oneLine(key) + "=" + valueText(value) + "\r\n";
    auto lines = profileLines(mBytes);
    auto spans = findSections(lines, section);
    if (spans.empty()) {
        // No blank line before the new section, as in files that Windows writes from scratch.
        if (!mBytes.empty() && mBytes.back() != '\n') {
            mBytes += "\r\n";
        }
        mBytes += "[" + oneLine(section) + "]\r\n" + line;
        return;
    }
    const Span& span = spans.front();
    std::size_t after = span.header;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        auto info = classify(lines[i].text);
        if (info.kind != LineKind::key) {
            continue;
        }
        if (pathtext::sameName(info.name, key)) {
            mBytes.replace(lines[i].begin, lines[i].end - lines[i].begin, line);
            return;
        }
        after = i;
    }
    const Line& prev = lines[after];
    mBytes.insert(prev.end, prev.terminated ? line : "\r\n" + line);
}

void ProfileFile::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

void ProfileFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

// Every copy goes: with only the first erased, a later duplicate would take its place on reading.
void ProfileFile::eraseSection(std::string_view section) {
    auto lines = profileLines(mBytes);
    auto spans = findSections(lines, section);
    for (auto it = spans.rbegin(); it != spans.rend(); ++it) {
        std::size_t from = lines[it->header].begin;
        std::size_t to = it->end < lines.size() ? lines[it->end].begin : mBytes.size();
        mBytes.erase(from, to - from);
    }
}

std::optional<std::int32_t> parseProfileInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Hexadecimal spells a 32-bit pattern (0x80000008 is a system colour); decimal a signed value.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull
                                : negative ? 0x80000000ull
                                           : 0x7FFFFFFFull;
    std::uint64_t v = 0;
    for (char c : text) {
        int d = digitValue(c, base);
        if (d < 0) {
            return std::nullopt;
        }
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (v > limit) {
            return std::nullopt;
        }
    }
    auto bits = static_cast<std::uint32_t>(v);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

ProfileFile readProfile(FileSystem& fs, const std::string& path) {
    auto bytes = fs.readFile(path, kProfileFileLimit);
    return bytes ? ProfileFile(std::move(*bytes)) : ProfileFile();
}

void writeProfile(FileSystem& fs, const std::string& path, const ProfileFile& file) {
    std::optional<std::string> now;
    try {
        now = fs.readFile(path, kProfileFileLimit);
    } catch (const AppError&) {
        // Not a file that can be read: the write below says whether it can be replaced.
    }
    if (now && *now == file.bytes()) {
        return;
    }
    if (!fs.writeFileAtomic(path, file.bytes())) {
        throw AppError(formatMessage(sj("%s に書き込めません"), fs.shownPath(path)));
    }
}

} // namespace tavrin
