#include "FuzzCheck.h"

#include "platform/Cp932.h"
#include "platform/WineRegFile.h"

#include <vector>

using namespace tavrin;

namespace {

struct Probe {
    std::string key;
    std::string name;
};

// Key paths and value names of the file that are plain ASCII, by a rough reading of its own.
std::vector<Probe> probesIn(std::string_view bytes) {
    std::vector<std::string> keys;
    std::vector<std::string> names{""};
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        const std::string_view line =
            bytes.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        pos = lf == std::string_view::npos ? bytes.size() : lf + 1;
        const char open = line.empty() ? '\0' : line.front();
        const char close = open == '[' ? ']' : '"';
        if (open != '[' && open != '"')
            continue;
        std::string text;
        for (std::size_t i = 1; i < line.size() && line[i] != close; ++i) {
            if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '\\')
                ++i;
            text += line[i];
        }
        bool plain = !text.empty();
        for (char c : text)
            plain = plain && c >= 0x20 && c < 0x7F && c != '"';
        if (plain)
            (open == '[' ? keys : names).push_back(text);
    }
    std::vector<Probe> probes;
    for (const std::string& k : keys)
        for (const std::string& n : names)
            if (probes.size() < 200)
                probes.push_back({k, n});
    return probes;
}

// The path as Wine compares it: ASCII case folded, empty names between backslashes dropped.
std::string normalKey(std::string_view key) {
    std::string out;
    std::string part;
    for (std::size_t i = 0; i <= key.size(); ++i) {
        if (i == key.size() || key[i] == '\\') {
            if (!part.empty())
                out += (out.empty() ? "" : "\\") + part;
            part.clear();
        } else {
            part += static_cast<char>(key[i] >= 'A' && key[i] <= 'Z' ? key[i] + 32 : key[i]);
        }
    }
    return out;
}

} // namespace

// Any user.reg parses without fault; in one that Wine would load, a value written reads back as
// written and every other value reads as before.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string key(in.text());
    const std::string name(in.text());
    const std::string value(in.text());
    const std::string bytes(in.rest());

    const WineRegFile file(bytes);
    const std::vector<Probe> probes = probesIn(bytes);
    std::string out;
    for (const Probe& p : probes)
        (void)file.readString(p.key, p.name, out);
    if (!file.valid())
        return 0;

    WineRegFile written(bytes);
    const bool wrote = written.writeString(key, name, value, 1796685563);
    if (!wrote) {
        FUZZ_CHECK(written.bytes() == bytes);
        return 0;
    }
    FUZZ_CHECK(written.valid());
    const std::optional<std::string> unicode = cp932::toUtf8Strict(value);
    if (unicode && cp932::toUtf8Strict(name) && cp932::toUtf8Strict(key)) {
        std::string back;
        FUZZ_CHECK(written.readString(key, name, back) == Registry::Read::ok);
        FUZZ_CHECK(back == cp932::fromUtf8(*unicode));
    }
    for (const Probe& p : probes) {
        if (normalKey(p.key) == normalKey(key) && normalKey(p.name) == normalKey(name))
            continue;
        std::string before;
        std::string after;
        const Registry::Read was = file.readString(p.key, p.name, before);
        FUZZ_CHECK(written.readString(p.key, p.name, after) == was);
        FUZZ_CHECK(after == before);
    }
    return 0;
}
