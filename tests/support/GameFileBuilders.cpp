#include "support/GameFileBuilders.h"

#include <zlib.h>

#include <stdexcept>

namespace tavrin::test {

void put16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8 & 0xFF);
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
void set16(std::string& s, std::size_t at, std::uint32_t v) {
    std::string b;
    put16(b, v);
    s.replace(at, 2, b);
}
void set32(std::string& s, std::size_t at, std::uint32_t v) {
    std::string b;
    put32(b, v);
    s.replace(at, 4, b);
}
std::uint32_t get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::string xyzHeader(unsigned width, unsigned height, std::string_view data) {
    std::string s = "XYZ1";
    put16(s, width);
    put16(s, height);
    s += data;
    return s;
}

std::string makeXyz(unsigned width, unsigned height, std::string_view palette,
                    std::string_view indices) {
    const std::string plain = std::string(palette) + std::string(indices);
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string packed(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(plain.data()),
                 static_cast<uLong>(plain.size())) != Z_OK)
        throw std::runtime_error("compress failed");
    packed.resize(size);
    return xyzHeader(width, height, packed);
}

std::string lcfNumber(std::uint32_t v) {
    std::string s(1, static_cast<char>(v & 0x7F));
    while (v >>= 7)
        s.insert(s.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    return s;
}

std::string lcfChunk(std::uint32_t id, std::string_view data) {
    return lcfNumber(id) + lcfNumber(static_cast<std::uint32_t>(data.size())) + std::string(data);
}

namespace {

std::string ldb(std::string_view title, const std::string& systemFirst, const std::string& after) {
    // One actor whose name is long: an array of one entry, ID 1, its fields, the end of it.
    const std::string actor =
        lcfChunk(0x01, std::string(200, 'A')) + lcfChunk(0x02, "title") + std::string(1, '\0');
    const std::string actors = lcfNumber(1) + lcfNumber(1) + actor;
    std::string system =
        systemFirst + lcfChunk(0x0B, "boat") + lcfChunk(0x0E, std::string(1, '\2'));
    if (!title.empty())
        system += lcfChunk(0x11, title);
    system += lcfChunk(0x12, "GameOver") + lcfChunk(0x13, "System") + std::string(1, '\0');
    return lcfNumber(11) + "LcfDataBase" + lcfChunk(0x0B, actors) + lcfChunk(0x15, "terms") +
           lcfChunk(0x16, system) + lcfChunk(0x17, lcfNumber(0)) + after + std::string(1, '\0');
}

} // namespace

std::string makeLdb(std::string_view title) {
    return ldb(title, {}, {});
}

std::string makeLdb2003(std::string_view title, bool ldbId, bool battleCommands) {
    // The commands: one, "Attack", its fields and the end of it, in an array of one.
    const std::string command = lcfChunk(0x01, "Attack") + lcfChunk(0x02, lcfNumber(1)) + '\0';
    const std::string commands = lcfChunk(0x0A, lcfNumber(1) + lcfNumber(1) + command) + '\0';
    return ldb(title, ldbId ? lcfChunk(0x0A, lcfNumber(2003)) : std::string(),
               battleCommands ? lcfChunk(0x1D, commands) : std::string());
}

std::string makeLdbNaming(const std::vector<std::string>& files) {
    std::string actors, commands;
    std::uint32_t actorCount = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i % 2 == 0) {
            actors += lcfNumber(++actorCount) + lcfChunk(0x01, "Hero") + lcfChunk(0x03, files[i]) +
                      lcfChunk(0x04, lcfNumber(0)) + '\0';
        } else {
            // Play BGM: its code, indent and name, then fade, volume, tempo and balance.
            commands += lcfNumber(11510) + lcfNumber(0) +
                        lcfNumber(static_cast<std::uint32_t>(files[i].size())) + files[i] +
                        lcfNumber(4) + lcfNumber(0) + lcfNumber(100) + lcfNumber(100) +
                        lcfNumber(50);
        }
    }
    commands += std::string(4, '\0'); // the end command
    const std::string event =
        lcfNumber(1) + lcfChunk(0x01, "BGM") + lcfChunk(0x0B, lcfNumber(5)) +
        lcfChunk(0x15, lcfNumber(static_cast<std::uint32_t>(commands.size()))) +
        lcfChunk(0x16, commands) + '\0';
    return lcfNumber(11) + "LcfDataBase" + lcfChunk(0x0B, lcfNumber(actorCount) + actors) +
           lcfChunk(0x15, "terms") + lcfChunk(0x16, lcfChunk(0x13, "System") + '\0') +
           lcfChunk(0x19, lcfNumber(1) + event) + '\0';
}

std::string makeLmt(const std::vector<std::string>& music) {
    const auto count = static_cast<std::uint32_t>(music.size() + 1);
    // Map 0 is the root, the game itself.
    std::string maps = lcfNumber(count) + lcfNumber(0) + lcfChunk(0x01, "Game") + '\0';
    std::string order = lcfNumber(count) + lcfNumber(0);
    for (std::uint32_t i = 1; i < count; ++i) {
        maps += lcfNumber(i) + lcfChunk(0x01, "MAP" + std::to_string(i)) +
                lcfChunk(0x02, lcfNumber(0)) + lcfChunk(0x0B, lcfNumber(2)) +
                lcfChunk(0x0C, lcfChunk(0x01, music[i - 1]) + '\0') + '\0';
        order += lcfNumber(i);
    }
    return lcfNumber(10) + "LcfMapTree" + maps + order + lcfNumber(1) + '\0';
}

ResourceNode resourceLeaf(std::string data) {
    return ResourceNode{{}, {}, std::move(data)};
}

ResourceNode resourceDir(std::vector<std::pair<ResourceKey, ResourceNode>> entries) {
    ResourceNode n;
    for (auto& [key, child] : entries) {
        n.keys.push_back(std::move(key));
        n.children.push_back(std::move(child));
    }
    return n;
}

ResourceNode resourceLang(std::string data) {
    return resourceDir({{std::uint16_t{0x411}, resourceLeaf(std::move(data))}});
}

namespace {

void pad4(std::string& s) {
    while (s.size() % 4)
        s += '\0';
}

// Lays the node out at the end of `sec` (which starts at `rva`); gives its offset.
std::uint32_t emit(std::string& sec, const ResourceNode& node, std::uint32_t rva) {
    pad4(sec);
    const auto at = static_cast<std::uint32_t>(sec.size());
    if (node.keys.empty()) {
        sec.append(16, '\0');
        set32(sec, at, rva + at + 16);
        set32(sec, at + 4, static_cast<std::uint32_t>(node.data.size()));
        sec += node.data;
        return at;
    }
    std::uint32_t named = 0;
    for (const ResourceKey& k : node.keys)
        named += static_cast<std::uint32_t>(k.index());
    sec.append(12, '\0');
    put16(sec, named);
    put16(sec, static_cast<std::uint32_t>(node.keys.size()) - named);
    sec.append(8 * node.keys.size(), '\0');
    for (std::size_t i = 0; i < node.keys.size(); ++i) {
        std::uint32_t key = 0;
        if (const auto* name = std::get_if<std::string>(&node.keys[i])) {
            key = 0x80000000u | static_cast<std::uint32_t>(sec.size());
            put16(sec, static_cast<std::uint32_t>(name->size()));
            for (char c : *name)
                put16(sec, static_cast<std::uint8_t>(c));
        } else {
            key = std::get<std::uint16_t>(node.keys[i]);
        }
        const ResourceNode& child = node.children[i];
        const std::uint32_t offset = emit(sec, child, rva);
        set32(sec, at + 16 + 8 * i, key);
        set32(sec, at + 20 + 8 * i, offset | (child.keys.empty() ? 0 : 0x80000000u));
    }
    return at;
}

// An import table at `rva`: a descriptor a DLL and an empty one, then the names, then the one
// empty thunk list they all share.
std::string importSection(const std::vector<std::string>& imports, std::uint32_t rva) {
    const auto descriptors = static_cast<std::uint32_t>(20 * (imports.size() + 1));
    std::string names;
    std::vector<std::uint32_t> nameAt;
    for (const std::string& name : imports) {
        nameAt.push_back(descriptors + static_cast<std::uint32_t>(names.size()));
        names += name + '\0';
    }
    pad4(names);
    const std::uint32_t thunks = descriptors + static_cast<std::uint32_t>(names.size());
    std::string sec;
    for (std::uint32_t at : nameAt) {
        sec.append(12, '\0');
        put32(sec, rva + at);
        put32(sec, rva + thunks);
    }
    sec.append(20, '\0');
    return sec + names + std::string(4, '\0');
}

} // namespace

std::string makePe(const ResourceNode& tree, bool plus, std::uint32_t optionalSize,
                   std::uint32_t codeSize, const std::vector<std::string>& imports) {
    constexpr std::uint32_t kText = 0x1000, kRaw = 0x200;
    const std::uint32_t rva = kText + codeSize;
    std::string sec;
    emit(sec, tree, rva);
    const std::uint32_t importRva =
        (rva + static_cast<std::uint32_t>(sec.size()) + 0xFFF) & ~0xFFFu;
    const std::string idata = imports.empty() ? std::string() : importSection(imports, importRva);

    std::string s = "MZ";
    s.resize(0x3C, '\0');
    put32(s, 0x40);
    s += std::string("PE\0\0", 4);
    put16(s, plus ? 0x8664 : 0x14C);
    put16(s, 1 + (codeSize ? 1 : 0) + (idata.empty() ? 0 : 1));
    s.append(12, '\0');
    const std::uint32_t fullSize = plus ? 240 : 224;
    if (optionalSize == 0)
        optionalSize = fullSize;
    put16(s, optionalSize);
    put16(s, 0x102);
    const std::size_t optional = s.size();
    s.resize(optional + fullSize, '\0');
    s[optional] = 0x0B;
    s[optional + 1] = plus ? 0x02 : 0x01;
    const std::size_t dirs = optional + (plus ? 112 : 96);
    set32(s, dirs - 4, 16);
    if (!idata.empty()) {
        set32(s, dirs + 8, importRva);
        set32(s, dirs + 12, static_cast<std::uint32_t>(idata.size()));
    }
    set32(s, dirs + 16, rva);
    set32(s, dirs + 20, static_cast<std::uint32_t>(sec.size()));
    s.resize(optional + optionalSize);
    const auto section = [&s](const char* name, std::uint32_t size, std::uint32_t address,
                              std::uint32_t raw) {
        s += std::string(name, 8);
        put32(s, size);
        put32(s, address);
        put32(s, size);
        put32(s, raw);
        s.append(16, '\0');
    };
    if (codeSize)
        section(".text\0\0\0", codeSize, kText, kRaw);
    const auto size = static_cast<std::uint32_t>(sec.size());
    section(".rsrc\0\0\0", size, rva, kRaw + codeSize);
    if (!idata.empty())
        section(".idata\0\0", static_cast<std::uint32_t>(idata.size()), importRva,
                kRaw + codeSize + size);
    s.resize(kRaw + codeSize, '\0');
    return s + sec + idata;
}

namespace {

std::string utf16(std::u16string_view text) {
    std::string s;
    for (char16_t c : text)
        put16(s, c);
    return s;
}

// A block: length, value length (in UTF-16 units for text), type, key, value, children; the
// value and each child start on four bytes.
std::string versionBlock(std::u16string_view key, std::string_view value, std::uint32_t valueLength,
                         bool text, const std::vector<std::string>& children) {
    std::string s(6, '\0');
    s += utf16(key) + std::string(2, '\0');
    pad4(s);
    s += value;
    for (const std::string& child : children) {
        pad4(s);
        s += child;
    }
    set16(s, 0, static_cast<std::uint32_t>(s.size()));
    set16(s, 2, valueLength);
    set16(s, 4, text ? 1 : 0);
    return s;
}

} // namespace

std::string versionResource(std::array<std::uint16_t, 4> fileVersion,
                            const std::vector<std::pair<std::string, std::u16string>>& strings) {
    std::string fixed;
    put32(fixed, 0xFEEF04BD);
    put32(fixed, 0x10000);
    put32(fixed, std::uint32_t{fileVersion[0]} << 16 | fileVersion[1]);
    put32(fixed, std::uint32_t{fileVersion[2]} << 16 | fileVersion[3]);
    fixed.append(52 - fixed.size(), '\0');

    std::vector<std::string> texts;
    for (const auto& [key, value] : strings) {
        const std::u16string wideKey(key.begin(), key.end());
        texts.push_back(versionBlock(wideKey, utf16(value) + std::string(2, '\0'),
                                     static_cast<std::uint32_t>(value.size() + 1), true, {}));
    }
    const std::string table = versionBlock(u"041104b0", {}, 0, true, texts);
    const std::string info = versionBlock(u"StringFileInfo", {}, 0, true, {table});
    std::string translation;
    put16(translation, 0x411);
    put16(translation, 1200);
    const std::string var = versionBlock(u"VarFileInfo", {}, 0, true,
                                         {versionBlock(u"Translation", translation, 4, false, {})});
    return versionBlock(u"VS_VERSION_INFO", fixed, 52, false, {info, var});
}

std::string makeRuntime(const std::vector<std::string>& imports, const std::string& version,
                        std::string_view code) {
    ResourceNode tree;
    if (!version.empty())
        tree = resourceDir(
            {{std::uint16_t{16}, resourceDir({{std::uint16_t{1}, resourceLang(version)}})}});
    else
        tree = resourceDir(
            {{std::uint16_t{24}, resourceDir({{std::uint16_t{1}, resourceLang("<manifest/>")}})}});
    const auto codeSize = static_cast<std::uint32_t>((code.size() + 0xFFF) & ~std::size_t{0xFFF});
    std::string pe = makePe(tree, false, 0, codeSize, imports);
    // The section's bytes start where the headers' 0x200 end.
    pe.replace(0x200, code.size(), code);
    return pe;
}

} // namespace tavrin::test
