#include "platform/IconExtract.h"

#include "platform/PeFile.h"

#include <cstdint>
#include <vector>

namespace tavrin {

namespace {

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
        if (c.width == 16 && c.height == 16) {
            return 0;
        }
        return c.width >= 16 && c.height >= 16 ? 1 : 2;
    };
    const auto better = [&](const Candidate& a, const Candidate& b) {
        if (tier(a) != tier(b)) {
            return tier(a) < tier(b);
        }
        const unsigned areaA = a.width * a.height;
        const unsigned areaB = b.width * b.height;
        if (areaA != areaB) {
            return tier(a) == 1 ? areaA < areaB : areaA > areaB;
        }
        return a.bitCount > b.bitCount;
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < candidates.size(); ++i) {
        if (better(candidates[i], candidates[best])) {
            best = i;
        }
    }
    return best;
}

// An icon directory (of a file or a group resource): reserved 0, type 1 (2 is a cursor),
// a count, then `entrySize`-byte entries that begin alike. Gives the chosen entry's offset.
std::optional<std::uint64_t> chooseEntry(const LeBytes& dir, std::uint64_t entrySize) {
    if (!dir.has(0, 6) || dir.u16(0) != 0 || dir.u16(2) != 1) {
        return std::nullopt;
    }
    const std::uint64_t count = dir.u16(4);
    if (count == 0 || !dir.has(6, count * entrySize)) {
        return std::nullopt;
    }
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

std::optional<std::string> fromIco(const LeBytes& file) {
    const std::optional<std::uint64_t> at = chooseEntry(file, 16);
    if (!at) {
        return std::nullopt;
    }
    const std::uint32_t size = file.u32(*at + 8);
    const std::uint32_t offset = file.u32(*at + 12);
    if (size == 0 || !file.has(offset, size)) {
        return std::nullopt;
    }
    return singleIco(file.sub(*at, 8), file.sub(offset, size));
}

constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtGroupIcon = 14;

std::optional<std::string> fromPe(std::string_view bytes) {
    const std::optional<PeFile> pe = PeFile::read(bytes);
    if (!pe) {
        return std::nullopt;
    }
    const std::optional<std::string_view> group = pe->resource(kRtGroupIcon, std::nullopt);
    if (!group) {
        return std::nullopt;
    }
    const LeBytes groupBytes(*group);
    const std::optional<std::uint64_t> at = chooseEntry(groupBytes, 14);
    if (!at) {
        return std::nullopt;
    }
    const std::optional<std::string_view> image = pe->resource(kRtIcon, groupBytes.u16(*at + 12));
    if (!image || image->empty()) {
        return std::nullopt;
    }
    return singleIco(groupBytes.sub(*at, 8), *image);
}

} // namespace

std::optional<std::string> firstSmallIconAsIco(std::string_view fileBytes) {
    if (fileBytes.substr(0, 2) == "MZ") {
        return fromPe(fileBytes);
    }
    return fromIco(LeBytes(fileBytes));
}

} // namespace tavrin
