#include "platform/IconExtract.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tavrin {

namespace {

// Little-endian fields of untrusted bytes. Offsets come from the file, so every read is
// preceded by has(); 64-bit sums of 32-bit fields cannot overflow.
class Bytes {
public:
    explicit Bytes(std::string_view bytes) : mBytes(bytes) {}

    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= mBytes.size() && length <= mBytes.size() - offset;
    }
    std::uint8_t u8(std::uint64_t at) const { return static_cast<std::uint8_t>(mBytes[at]); }
    std::uint16_t u16(std::uint64_t at) const {
        return static_cast<std::uint16_t>(u8(at) | u8(at + 1) << 8);
    }
    std::uint32_t u32(std::uint64_t at) const {
        return u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16;
    }
    std::string_view sub(std::uint64_t at, std::uint64_t length) const {
        return mBytes.substr(at, length);
    }

private:
    std::string_view mBytes;
};

void putU16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}

void putU32(std::string& out, std::uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

struct Candidate {
    unsigned width;
    unsigned height;
    unsigned bitCount;
};

// A directory's 0 stands for 256.
unsigned dimension(std::uint8_t stored) {
    return stored == 0 ? 256 : stored;
}

// The image shown at 16 x 16: an exact fit, else the smallest that shrinks, else the largest
// that grows; the deepest colour settles a tie and the first of equals wins.
std::size_t chooseSmall(const std::vector<Candidate>& candidates) {
    const auto tier = [](const Candidate& c) {
        if (c.width == 16 && c.height == 16)
            return 0;
        return c.width >= 16 && c.height >= 16 ? 1 : 2;
    };
    const auto better = [&](const Candidate& a, const Candidate& b) {
        if (tier(a) != tier(b))
            return tier(a) < tier(b);
        const unsigned areaA = a.width * a.height;
        const unsigned areaB = b.width * b.height;
        if (areaA != areaB)
            return tier(a) == 1 ? areaA < areaB : areaA > areaB;
        return a.bitCount > b.bitCount;
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < candidates.size(); ++i)
        if (better(candidates[i], candidates[best]))
            best = i;
    return best;
}

// An icon directory (of a file or a group resource): reserved 0, type 1 (2 is a cursor),
// a count, then `entrySize`-byte entries that begin alike. Gives the chosen entry's offset.
std::optional<std::uint64_t> chooseEntry(const Bytes& dir, std::uint64_t entrySize) {
    if (!dir.has(0, 6) || dir.u16(0) != 0 || dir.u16(2) != 1)
        return std::nullopt;
    const std::uint64_t count = dir.u16(4);
    if (count == 0 || !dir.has(6, count * entrySize))
        return std::nullopt;
    std::vector<Candidate> candidates;
    candidates.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = 6 + i * entrySize;
        candidates.push_back({dimension(dir.u8(at)), dimension(dir.u8(at + 1)), dir.u16(at + 6)});
    }
    return 6 + chooseSmall(candidates) * entrySize;
}

// `head` is an entry's first 8 bytes: width, height, colours, reserved, planes, bit count.
std::string singleIco(std::string_view head, std::string_view image) {
    std::string out;
    out.reserve(22 + image.size());
    putU16(out, 0);
    putU16(out, 1);
    putU16(out, 1);
    out += head;
    putU32(out, static_cast<std::uint32_t>(image.size()));
    putU32(out, 22);
    out += image;
    return out;
}

std::optional<std::string> fromIco(const Bytes& file) {
    const std::optional<std::uint64_t> at = chooseEntry(file, 16);
    if (!at)
        return std::nullopt;
    const std::uint32_t size = file.u32(*at + 8);
    const std::uint32_t offset = file.u32(*at + 12);
    if (size == 0 || !file.has(offset, size))
        return std::nullopt;
    return singleIco(file.sub(*at, 8), file.sub(offset, size));
}

struct Section {
    std::uint32_t address;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

// The resource tree of a PE file: offsets in the tree count from its root, data entries hold
// addresses, and both reach the file through the section table.
class Resources {
public:
    Resources(const Bytes& file, std::vector<Section> sections, std::uint32_t root)
        : mFile(file), mSections(std::move(sections)), mRoot(root) {}

    // The data of type/name/first language; the name is the first entry when not given. The
    // walk is three levels and no more, so a tree that points back into itself cannot loop.
    std::optional<std::string_view> find(std::uint16_t type,
                                         std::optional<std::uint16_t> name) const {
        const std::optional<std::uint32_t> names = subdirectory(entry(0, type));
        if (!names)
            return std::nullopt;
        const std::optional<std::uint32_t> languages = subdirectory(entry(*names, name));
        if (!languages)
            return std::nullopt;
        const std::optional<std::uint32_t> leaf = entry(*languages, std::nullopt);
        if (!leaf || (*leaf & kSubdirectory))
            return std::nullopt;
        const std::optional<std::uint64_t> dataEntry = fileOffset(mRoot + std::uint64_t{*leaf}, 16);
        if (!dataEntry)
            return std::nullopt;
        const std::uint32_t size = mFile.u32(*dataEntry + 4);
        const std::optional<std::uint64_t> data = fileOffset(mFile.u32(*dataEntry), size);
        if (!data)
            return std::nullopt;
        return mFile.sub(*data, size);
    }

private:
    static constexpr std::uint32_t kSubdirectory = 0x80000000u;

    std::optional<std::uint64_t> fileOffset(std::uint64_t address, std::uint64_t length) const {
        for (const Section& s : mSections) {
            if (address < s.address || address - s.address >= s.rawSize)
                continue;
            const std::uint64_t delta = address - s.address;
            const std::uint64_t offset = s.rawOffset + delta;
            if (length > s.rawSize - delta || !mFile.has(offset, length))
                return std::nullopt;
            return offset;
        }
        return std::nullopt;
    }

    // The target of the entry with this ID, or of the first entry (named ones are stored
    // first) when no ID is given.
    std::optional<std::uint32_t> entry(std::uint32_t directory,
                                       std::optional<std::uint16_t> id) const {
        const std::uint64_t at = mRoot + std::uint64_t{directory};
        const std::optional<std::uint64_t> head = fileOffset(at, 16);
        if (!head)
            return std::nullopt;
        const std::uint64_t count = std::uint64_t{mFile.u16(*head + 12)} + mFile.u16(*head + 14);
        const std::optional<std::uint64_t> entries = fileOffset(at + 16, count * 8);
        if (!entries || count == 0)
            return std::nullopt;
        if (!id)
            return mFile.u32(*entries + 4);
        for (std::uint64_t i = 0; i < count; ++i)
            if (mFile.u32(*entries + i * 8) == *id)
                return mFile.u32(*entries + i * 8 + 4);
        return std::nullopt;
    }

    std::optional<std::uint32_t> subdirectory(std::optional<std::uint32_t> target) const {
        if (!target || !(*target & kSubdirectory))
            return std::nullopt;
        return *target & ~kSubdirectory;
    }

    const Bytes& mFile;
    std::vector<Section> mSections;
    std::uint64_t mRoot;
};

constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtGroupIcon = 14;

std::optional<std::string> fromPe(const Bytes& file) {
    if (!file.has(0, 0x40))
        return std::nullopt;
    const std::uint64_t pe = file.u32(0x3C);
    if (!file.has(pe, 24) || file.sub(pe, 4) != std::string_view("PE\0\0", 4))
        return std::nullopt;
    const std::uint64_t sectionCount = file.u16(pe + 6);
    const std::uint64_t optionalSize = file.u16(pe + 20);
    const std::uint64_t optional = pe + 24;
    if (optionalSize < 2 || !file.has(optional, optionalSize))
        return std::nullopt;

    // Where the data directories start, after their count, in each optional header layout.
    std::uint64_t directories = 0;
    switch (file.u16(optional)) {
    case 0x10B:
        directories = 96;
        break;
    case 0x20B:
        directories = 112;
        break;
    default:
        return std::nullopt;
    }
    constexpr std::uint64_t kResourceDirectory = 2;
    if (optionalSize < directories + (kResourceDirectory + 1) * 8 ||
        file.u32(optional + directories - 4) <= kResourceDirectory)
        return std::nullopt;
    const std::uint32_t root = file.u32(optional + directories + kResourceDirectory * 8);

    const std::uint64_t table = optional + optionalSize;
    if (root == 0 || !file.has(table, sectionCount * 40))
        return std::nullopt;
    std::vector<Section> sections;
    sections.reserve(sectionCount);
    for (std::uint64_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = table + i * 40;
        sections.push_back({file.u32(at + 12), file.u32(at + 16), file.u32(at + 20)});
    }
    const Resources resources(file, std::move(sections), root);

    const std::optional<std::string_view> group = resources.find(kRtGroupIcon, std::nullopt);
    if (!group)
        return std::nullopt;
    const Bytes groupBytes(*group);
    const std::optional<std::uint64_t> at = chooseEntry(groupBytes, 14);
    if (!at)
        return std::nullopt;
    const std::optional<std::string_view> image = resources.find(kRtIcon, groupBytes.u16(*at + 12));
    if (!image || image->empty())
        return std::nullopt;
    return singleIco(groupBytes.sub(*at, 8), *image);
}

} // namespace

std::optional<std::string> firstSmallIconAsIco(std::string_view fileBytes) {
    const Bytes file(fileBytes);
    if (fileBytes.substr(0, 2) == "MZ")
        return fromPe(file);
    return fromIco(file);
}

} // namespace tavrin
