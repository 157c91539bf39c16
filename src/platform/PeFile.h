#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavrin {

// Little-endian fields of untrusted bytes. Offsets come from the file, so every read is
// preceded by has(); 64-bit sums of 32-bit fields cannot overflow.
class LeBytes {
public:
    explicit LeBytes(std::string_view bytes) : mBytes(bytes) {}

    std::size_t size() const { return mBytes.size(); }
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

// A Windows program (PE32 or PE32+) as its headers describe it. Addresses inside it reach the
// file through the section table, and nothing read is trusted to stay inside the bytes.
class PeFile {
public:
    static constexpr unsigned kImportDirectory = 1;
    static constexpr unsigned kResourceDirectory = 2;

    // Nothing when the bytes have no PE headers.
    static std::optional<PeFile> read(std::string_view bytes);

    bool isPe32Plus() const { return mPlus; }
    const LeBytes& bytes() const { return mFile; }

    // The address of a data directory, or nothing when the headers do not hold it or it is 0.
    std::optional<std::uint32_t> directoryAddress(unsigned index) const;
    // Where `length` bytes at an address lie in the file, all within one section's raw data.
    std::optional<std::uint64_t> fileOffset(std::uint64_t address, std::uint64_t length) const;
    // The zero-terminated bytes at an address, without the zero; nothing when no zero comes
    // within `longest` bytes or before the section's raw data ends.
    std::optional<std::string_view> zeroTerminated(std::uint64_t address,
                                                   std::size_t longest) const;

    // The data of resource type/name/first language; the first name when none is given.
    std::optional<std::string_view> resource(std::uint16_t type,
                                             std::optional<std::uint16_t> name) const;

private:
    struct Section {
        std::uint32_t address;
        std::uint32_t rawSize;
        std::uint32_t rawOffset;
    };

    explicit PeFile(std::string_view bytes) : mFile(bytes) {}

    std::optional<std::uint32_t> resourceEntry(std::uint64_t root, std::uint32_t directory,
                                               std::optional<std::uint16_t> id) const;

    LeBytes mFile;
    bool mPlus = false;
    std::uint64_t mDirectories = 0; // file offset of the first data directory
    std::uint64_t mDirectoryCount = 0;
    std::vector<Section> mSections;
};

} // namespace tavrin
