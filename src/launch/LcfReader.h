#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace tavrin {

// The runtimes' chunked files (the database, the map tree, the saves). Their numbers take seven
// bits a byte, most significant first, the top bit set on every byte but the last; nothing past
// 32 bits or past the end is read.
class LcfReader {
public:
    // longestNumber: the most bytes a number may take, 0 for any (leading empty bytes included).
    explicit LcfReader(std::string_view bytes, int longestNumber = 0)
        : mBytes(bytes), mLongestNumber(longestNumber) {}

    bool atEnd() const { return mBytes.empty(); }
    // A chunk could not be read whole: what follows it cannot be found.
    bool broken() const { return mBroken; }
    void breakOff() { mBroken = true; }
    std::optional<std::uint32_t> number() {
        std::uint64_t value = 0;
        for (int taken = 0; !mBytes.empty() && (mLongestNumber == 0 || taken < mLongestNumber);
             ++taken) {
            const auto b = static_cast<std::uint8_t>(mBytes.front());
            mBytes.remove_prefix(1);
            value = value << 7 | (b & 0x7Fu);
            if (value > std::numeric_limits<std::uint32_t>::max()) {
                return std::nullopt;
            }
            if (!(b & 0x80)) {
                return static_cast<std::uint32_t>(value);
            }
        }
        return std::nullopt;
    }
    std::optional<std::string_view> bytes(std::uint32_t length) {
        if (length > mBytes.size()) {
            return std::nullopt;
        }
        const std::string_view taken = mBytes.substr(0, length);
        mBytes.remove_prefix(length);
        return taken;
    }

private:
    std::string_view mBytes;
    int mLongestNumber;
    bool mBroken = false;
};

struct LcfChunk {
    std::uint32_t id;
    std::string_view data;
};

// The next chunk of a block: an ID, a size and that many bytes. ID 0 ends a block, as does its
// end; a chunk that cannot be read whole breaks the reader off, since nothing after it can be
// found.
inline std::optional<LcfChunk> nextChunk(LcfReader& reader) {
    if (reader.atEnd()) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> id = reader.number();
    if (id && *id == 0) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> size = id ? reader.number() : std::nullopt;
    const std::optional<std::string_view> data = size ? reader.bytes(*size) : std::nullopt;
    if (!data) {
        reader.breakOff();
        return std::nullopt;
    }
    return LcfChunk{*id, *data};
}

// The file's leading name ("LcfDataBase", "LcfSaveData"), length first.
inline bool lcfHeader(LcfReader& reader, std::string_view name) {
    const std::optional<std::uint32_t> length = reader.number();
    const std::optional<std::string_view> header = length ? reader.bytes(*length) : std::nullopt;
    return header && *header == name;
}

} // namespace tavrin
