#include "FuzzCheck.h"

#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "platform/ProfileFile.h"

#include <vector>

using namespace tavrin;

namespace {

// Lines as a person sees them in an editor: split at LF, one CR before it dropped.
std::vector<std::string_view> lines(std::string_view bytes) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        std::string_view line = bytes.substr(pos, lf == std::string_view::npos ? lf : lf - pos);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.push_back(line);
        pos = lf == std::string_view::npos ? bytes.size() : lf + 1;
    }
    return out;
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

struct Name {
    std::string section;
    std::string key;
};

// Every section and key name that the file seems to hold, by a rough reading of its own.
std::vector<Name> namesIn(std::string_view bytes) {
    std::vector<Name> names;
    std::string section;
    for (std::string_view line : lines(bytes)) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos && close > 0)
                section = std::string(trimmed(line.substr(1, close - 1)));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos)
            names.push_back({section, std::string(trimmed(line.substr(0, eq)))});
    }
    return names;
}

// A name a program would write: CP932, no line break, no "=", no blank at an end, not opening
// with "[" or ";".
bool writableName(std::string_view name, bool isKey) {
    if (name.empty() || !cp932::toUtf8Strict(name) || name != trimmed(name) ||
        name.front() == '[' || name.front() == ';')
        return false;
    for (char c : name)
        if (c == '\n' || c == '\r' || c == '\0' || (isKey && c == '=') || (!isKey && c == ']'))
            return false;
    return true;
}

} // namespace

// Reading any key of any section never fails; a write of one key leaves every other line as it
// was and reads back as written.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t pick = in.byte();
    const std::string section(in.text());
    const std::string key(in.text());
    std::string value(in.text());
    const std::string bytes(in.rest());

    ProfileFile file(bytes);
    const std::vector<Name> names = namesIn(bytes);
    for (const Name& n : names) {
        (void)file.sectionExists(n.section);
        (void)file.readValue(n.section, n.key);
        (void)file.readInteger(n.section, n.key, 7);
    }

    Name target{section, key};
    if (!names.empty() && pick % 2)
        target = names[pick / 2 % names.size()];
    if (!writableName(target.section, false) || !writableName(target.key, true))
        return 0;
    for (char& c : value)
        if (c == '\n' || c == '\r')
            c = ' ';
    if (value.size() > 2000)
        value.resize(2000);

    ProfileFile written(bytes);
    written.writeString(target.section, target.key, value);
    const std::optional<std::string> back = written.readValue(target.section, target.key);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(*back == value);

    // The lines before and after the change are the same lines; between them stand at most the
    // key's old line, and the new one (with its new header).
    const auto before = lines(bytes);
    const auto after = lines(written.bytes());
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    FUZZ_CHECK(before.size() - head - tail <= 1);
    FUZZ_CHECK(after.size() - head - tail <= 2);
    FUZZ_CHECK(after.size() >= before.size());

    // Other keys read as they did.
    for (const Name& n : names) {
        if (pathtext::sameName(n.section, target.section) && pathtext::sameName(n.key, target.key))
            continue;
        FUZZ_CHECK(written.readValue(n.section, n.key) == file.readValue(n.section, n.key));
    }
    return 0;
}
