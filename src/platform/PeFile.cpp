#include "platform/PeFile.h"

#include <algorithm>

namespace tavrin {

namespace {

constexpr std::uint32_t kSubdirectory = 0x80000000u;

std::optional<std::uint32_t> subdirectory(std::optional<std::uint32_t> target) {
    if (!target || !(*target & kSubdirectory)) {
        return std::nullopt;
    }
    return *target & ~kSubdirectory;
}

} // namespace

std::optional<PeFile> PeFile::read(std::string_view bytes) {
    PeFile pe(bytes);
    const LeBytes& file = pe.mFile;
    if (!file.has(0, 0x40) || file.sub(0, 2) != "MZ") {
        return std::nullopt;
    }
    const std::uint64_t header = file.u32(0x3C);
    if (!file.has(header, 24) || file.sub(header, 4) != std::string_view("PE\0\0", 4)) {
        return std::nullopt;
    }
    const std::uint64_t sectionCount = file.u16(header + 6);
    const std::uint64_t optionalSize = file.u16(header + 20);
    const std::uint64_t optional = header + 24;
    if (optionalSize < 2 || !file.has(optional, optionalSize)) {
        return std::nullopt;
    }

    // Where the data directories start, after their count, in each optional header layout.
    std::uint64_t directories = 0;
    switch (file.u16(optional)) {
    case 0x10B:
        directories = 96;
        break;
    case 0x20B:
        directories = 112;
        pe.mPlus = true;
        break;
    default:
        return std::nullopt;
    }
    if (optionalSize >= directories) {
        pe.mDirectoryCount = std::min<std::uint64_t>(file.u32(optional + directories - 4),
                                                     (optionalSize - directories) / 8);
    }
    pe.mDirectories = optional + directories;

    const std::uint64_t table = optional + optionalSize;
    if (!file.has(table, sectionCount * 40)) {
        return std::nullopt;
    }
    pe.mSections.reserve(sectionCount);
    for (std::uint64_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = table + i * 40;
        pe.mSections.push_back({file.u32(at + 12), file.u32(at + 16), file.u32(at + 20)});
    }
    return pe;
}

std::optional<std::uint32_t> PeFile::directoryAddress(unsigned index) const {
    if (index >= mDirectoryCount) {
        return std::nullopt;
    }
    const std::uint32_t address = mFile.u32(mDirectories + std::uint64_t{index} * 8);
    if (address == 0) {
        return std::nullopt;
    }
    return address;
}

std::optional<std::uint64_t> PeFile::fileOffset(std::uint64_t address, std::uint64_t length) const {
    for (const Section& s : mSections) {
        if (address < s.address || address - s.address >= s.rawSize) {
            continue;
        }
        const std::uint64_t delta = address - s.address;
        const std::uint64_t offset = s.rawOffset + delta;
        if (length > s.rawSize - delta || !mFile.has(offset, length)) {
            return std::nullopt;
        }
        return offset;
    }
    return std::nullopt;
}

std::optional<std::string_view> PeFile::zeroTerminated(std::uint64_t address,
                                                       std::size_t longest) const {
    const std::optional<std::uint64_t> start = fileOffset(address, 1);
    if (!start) {
        return std::nullopt;
    }
    // The section's bytes from here on, as far as the file holds them.
    std::uint64_t room = 1;
    for (const Section& s : mSections) {
        if (address >= s.address && address - s.address < s.rawSize) {
            room = s.rawSize - (address - s.address);
            break;
        }
    }
    room = std::min<std::uint64_t>({room, mFile.size() - *start, longest + 1});
    const std::string_view text = mFile.sub(*start, room);
    const std::size_t zero = text.find('\0');
    if (zero == std::string_view::npos) {
        return std::nullopt;
    }
    return text.substr(0, zero);
}

// The target of the entry with this ID, or of the first entry (named ones are stored first)
// when no ID is given. Offsets in the tree count from its root.
std::optional<std::uint32_t> PeFile::resourceEntry(std::uint64_t root, std::uint32_t directory,
                                                   std::optional<std::uint16_t> id) const {
    const std::uint64_t at = root + std::uint64_t{directory};
    const std::optional<std::uint64_t> head = fileOffset(at, 16);
    if (!head) {
        return std::nullopt;
    }
    const std::uint64_t count = std::uint64_t{mFile.u16(*head + 12)} + mFile.u16(*head + 14);
    const std::optional<std::uint64_t> entries = fileOffset(at + 16, count * 8);
    if (!entries || count == 0) {
        return std::nullopt;
    }
    if (!id) {
        return mFile.u32(*entries + 4);
    }
    for (std::uint64_t i = 0; i < count; ++i) {
        if (mFile.u32(*entries + i * 8) == *id) {
            return mFile.u32(*entries + i * 8 + 4);
        }
    }
    return std::nullopt;
}

// The walk is three levels and no more, so a tree that points back into itself cannot loop.
std::optional<std::string_view> PeFile::resource(std::uint16_t type,
                                                 std::optional<std::uint16_t> name) const {
    const std::optional<std::uint32_t> root = directoryAddress(kResourceDirectory);
    if (!root) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> names = subdirectory(resourceEntry(*root, 0, type));
    if (!names) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> languages = subdirectory(resourceEntry(*root, *names, name));
    if (!languages) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> leaf = resourceEntry(*root, *languages, std::nullopt);
    if (!leaf || (*leaf & kSubdirectory)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> dataEntry = fileOffset(*root + std::uint64_t{*leaf}, 16);
    if (!dataEntry) {
        return std::nullopt;
    }
    const std::uint32_t size = mFile.u32(*dataEntry + 4);
    const std::optional<std::uint64_t> data = fileOffset(mFile.u32(*dataEntry), size);
    if (!data) {
        return std::nullopt;
    }
    return mFile.sub(*data, size);
}

} // namespace tavrin
