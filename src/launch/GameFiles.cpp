#include "launch/GameFiles.h"

#include "launch/LcfReader.h"
#include "platform/PeFile.h"
#include "platform/ProfileFile.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <limits>

namespace tavrin::gamefiles {

namespace {

constexpr std::size_t kPaletteSize = 768;

// Fills `out` from the zlib stream and stops there: a stream that would give more is not
// inflated further, and one that ends (or whose bytes end) first fills nothing.
bool inflateExactly(std::string_view in, std::vector<unsigned char>& out) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return false;
    }
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    while (stream.avail_out > 0) {
        if (stream.avail_in == 0) {
            if (in.empty()) {
                break;
            }
            const std::size_t take = std::min<std::size_t>(in.size(), 1u << 30);
            stream.next_in = reinterpret_cast<const Bytef*>(in.data());
            stream.avail_in = static_cast<uInt>(take);
            in.remove_prefix(take);
        }
        if (inflate(&stream, Z_NO_FLUSH) != Z_OK) {
            break;
        }
    }
    const bool whole = stream.avail_out == 0;
    inflateEnd(&stream);
    return whole;
}

// The database's chunk 0x16 is its system data, and that chunk's field 0x11 the title
// picture's name (a string, left out when empty).
constexpr std::uint32_t kSystemChunk = 0x16;
constexpr std::uint32_t kTitlePictureField = 0x11;

// Only the 2003 editor writes the system data's field 0x0A ("ldb_id", the number 2003) and the
// chunk 0x1D, the commands of its side-view battles, which 2000 has no part of. Either is taken
// alone, since a database cut short may hold the first only.
constexpr std::uint32_t kLdbIdField = 0x0A;
constexpr std::uint32_t kLdbId2003 = 2003;
constexpr std::uint32_t kBattleCommandsChunk = 0x1D;

// A version resource block: length, value length, type (1: text, whose value length counts
// UTF-16 units), a UTF-16 key, then value and children, each starting on four bytes.
struct VersionBlock {
    std::string_view key; // UTF-16LE, without its terminator
    std::string_view value;
    std::string_view children;
    std::size_t length;
};

std::size_t align4(std::size_t at) {
    return (at + 3) & ~std::size_t{3};
}

std::optional<VersionBlock> versionBlock(std::string_view bytes) {
    const LeBytes b(bytes);
    if (!b.has(0, 6)) {
        return std::nullopt;
    }
    const std::size_t length = b.u16(0);
    if (length < 6 || length > bytes.size()) {
        return std::nullopt;
    }
    bytes = bytes.substr(0, length);
    std::size_t keyEnd = 6;
    while (keyEnd + 1 < length && b.u16(keyEnd) != 0) {
        keyEnd += 2;
    }
    if (keyEnd + 1 >= length) {
        return std::nullopt;
    }
    const std::size_t valueAt = std::min(align4(keyEnd + 2), length);
    const std::size_t valueLength = b.u16(2) * std::size_t{b.u16(4) == 1 ? 2u : 1u};
    const std::size_t valueEnd = std::min(valueAt + valueLength, length);
    const std::size_t childrenAt = std::min(align4(valueEnd), length);
    return VersionBlock{bytes.substr(6, keyEnd - 6), bytes.substr(valueAt, valueEnd - valueAt),
                        bytes.substr(childrenAt), length};
}

template <typename Visit> void forEachChild(std::string_view children, Visit visit) {
    std::size_t at = 0;
    while (at < children.size()) {
        const std::optional<VersionBlock> child = versionBlock(children.substr(at));
        if (!child) {
            return;
        }
        visit(*child);
        at = align4(at + child->length);
    }
}

// Whether a UTF-16 key is this ASCII name, letters in any case.
bool keyIs(std::string_view key, std::string_view name) {
    if (key.size() != name.size() * 2) {
        return false;
    }
    const LeBytes b(key);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint16_t unit = b.u16(i * 2);
        const auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(unit) != lower(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

// Whether UTF-16 text holds the year in ASCII or full-width digits.
bool namesYear(std::string_view text, std::string_view year) {
    const LeBytes b(text);
    std::string digits;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const std::uint16_t unit = b.u16(i);
        if (unit == 0) {
            break;
        }
        if (unit >= 0xFF10 && unit <= 0xFF19) {
            digits += static_cast<char>('0' + (unit - 0xFF10));
        } else {
            digits += unit < 0x80 ? static_cast<char>(unit) : ' ';
        }
    }
    return digits.find(year) != std::string::npos;
}

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;

void readVersion(std::string_view resource, Runtime& runtime) {
    const std::optional<VersionBlock> root = versionBlock(resource);
    if (!root || !keyIs(root->key, "VS_VERSION_INFO")) {
        return;
    }
    const LeBytes fixed(root->value);
    if (fixed.has(0, 16) && fixed.u32(0) == kFixedInfoSignature) {
        const std::uint32_t high = fixed.u32(8);
        const std::uint32_t low = fixed.u32(12);
        runtime.version = std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
                          std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
    }
    std::vector<std::string_view> names;
    forEachChild(root->children, [&](const VersionBlock& info) {
        if (!keyIs(info.key, "StringFileInfo")) {
            return;
        }
        forEachChild(info.children, [&](const VersionBlock& table) {
            forEachChild(table.children, [&](const VersionBlock& text) {
                if (keyIs(text.key, "ProductName") || keyIs(text.key, "FileDescription")) {
                    names.push_back(text.value);
                }
            });
        });
    });
    for (const auto& [year, kind] :
         {std::pair{"2003", RuntimeKind::rpg2003}, std::pair{"2000", RuntimeKind::rpg2000}}) {
        for (std::string_view name : names) {
            if (runtime.kind == RuntimeKind::unknown && namesYear(name, year)) {
                runtime.kind = kind;
            }
        }
    }
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Whether the bytes hold the ASCII text anywhere, letters in any case.
bool holdsText(std::string_view bytes, std::string_view text) {
    const auto hash = [](char c) { return std::hash<char>()(lowerAscii(c)); };
    const auto same = [](char a, char b) { return lowerAscii(a) == lowerAscii(b); };
    const std::boyer_moore_horspool_searcher searcher(text.begin(), text.end(), hash, same);
    return std::search(bytes.begin(), bytes.end(), searcher) != bytes.end();
}

// Every uncompressed runtime holds the key it reads, where its version data may name no
// edition or be missing. 2003 is asked first: the 2003 RTP is what a runtime naming its key
// needs, whatever else it names.
RuntimeKind kindByRtpKey(std::string_view exe) {
    for (const RuntimeKind kind : {RuntimeKind::rpg2003, RuntimeKind::rpg2000}) {
        for (std::string_view key : rtpKeys(kind)) {
            if (holdsText(exe, key)) {
                return kind;
            }
        }
    }
    return RuntimeKind::unknown;
}

// A real runtime imports a dozen DLLs; a table that goes on is damaged, and so is a name
// longer than any file name.
constexpr std::size_t kMostImports = 256;
constexpr std::size_t kLongestImportName = 260;
constexpr std::uint16_t kRtVersion = 16;

void readImports(const PeFile& pe, Runtime& runtime) {
    const std::optional<std::uint32_t> table = pe.directoryAddress(PeFile::kImportDirectory);
    if (!table) {
        return;
    }
    for (std::size_t i = 0; i < kMostImports; ++i) {
        // Twenty bytes a DLL, the name's address at 12; a zero address ends the table.
        const std::optional<std::uint64_t> at = pe.fileOffset(*table + std::uint64_t{i} * 20, 20);
        const std::uint32_t nameAddress = at ? pe.bytes().u32(*at + 12) : 0;
        if (nameAddress == 0) {
            return;
        }
        const std::optional<std::string_view> name =
            pe.zeroTerminated(nameAddress, kLongestImportName);
        if (name && !name->empty()) {
            runtime.imports.emplace_back(*name);
        }
    }
}

} // namespace

std::optional<Picture> decodeXyz(std::string_view bytes) {
    const LeBytes b(bytes);
    if (!b.has(0, 8) || bytes.substr(0, 4) != "XYZ1") {
        return std::nullopt;
    }
    const int width = b.u16(4);
    const int height = b.u16(6);
    if (width == 0 || height == 0 || width > kLargestPictureSide || height > kLargestPictureSide) {
        return std::nullopt;
    }
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<unsigned char> data(kPaletteSize + pixels);
    if (!inflateExactly(bytes.substr(8), data)) {
        return std::nullopt;
    }
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::size_t colour = std::size_t{data[kPaletteSize + i]} * 3;
        picture.rgb[i] = std::uint32_t{data[colour]} << 16 | std::uint32_t{data[colour + 1]} << 8 |
                         data[colour + 2];
    }
    return picture;
}

std::optional<std::string> titlePictureName(std::string_view ldb) {
    LcfReader reader(ldb);
    if (!lcfHeader(reader, "LcfDataBase")) {
        return std::nullopt;
    }
    while (const std::optional<LcfChunk> chunk = nextChunk(reader)) {
        if (chunk->id != kSystemChunk) {
            continue;
        }
        LcfReader system(chunk->data);
        while (const std::optional<LcfChunk> field = nextChunk(system)) {
            if (field->id == kTitlePictureField && !field->data.empty()) {
                return std::string(field->data);
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

RuntimeKind databaseKind(std::string_view ldb) {
    LcfReader reader(ldb);
    if (!lcfHeader(reader, "LcfDataBase")) {
        return RuntimeKind::unknown;
    }
    bool systemRead = false;
    while (const std::optional<LcfChunk> chunk = nextChunk(reader)) {
        if (chunk->id == kBattleCommandsChunk && !chunk->data.empty()) {
            return RuntimeKind::rpg2003;
        }
        if (chunk->id != kSystemChunk) {
            continue;
        }
        LcfReader system(chunk->data);
        while (const std::optional<LcfChunk> field = nextChunk(system)) {
            if (field->id == kLdbIdField && LcfReader(field->data).number() == kLdbId2003) {
                return RuntimeKind::rpg2003;
            }
        }
        systemRead = !system.broken();
    }
    // A database cut short or damaged may have lost what would make it a 2003 one.
    return systemRead && !reader.broken() ? RuntimeKind::rpg2000 : RuntimeKind::unknown;
}

std::vector<std::string_view> rtpKeys(RuntimeKind kind) {
    switch (kind) {
    case RuntimeKind::rpg2000:
        return {"Software\\ASCII\\RPG2000", "Software\\Enterbrain\\RPG2000"};
    case RuntimeKind::rpg2003:
        return {"Software\\Enterbrain\\RPG2003"};
    case RuntimeKind::unknown:
        break;
    }
    return {"Software\\ASCII\\RPG2000", "Software\\Enterbrain\\RPG2000",
            "Software\\Enterbrain\\RPG2003"};
}

std::optional<Runtime> readRuntime(std::string_view exe) {
    const std::optional<PeFile> pe = PeFile::read(exe);
    if (!pe || pe->isPe32Plus()) {
        return std::nullopt;
    }
    Runtime runtime;
    runtime.kind = kindByRtpKey(exe);
    runtime.loadsHarmony = holdsText(exe, "Harmony.dll");
    readImports(*pe, runtime);
    if (const std::optional<std::string_view> version = pe->resource(kRtVersion, std::nullopt)) {
        readVersion(*version, runtime);
    }
    return runtime;
}

bool isFullPackage(std::string_view ini) {
    return ProfileFile(std::string(ini)).readInteger("RPG_RT", "FullPackageFlag", 0) != 0;
}

} // namespace tavrin::gamefiles
