// Save files (SaveNN.lsd) made by the tests, laid out as the runtimes write them.
#pragma once

#include "support/GameFileBuilders.h"

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::test {

// The title's fields; each one left out when not given, as the runtime leaves out defaults.
struct SaveTitleFields {
    std::optional<double> saved; // TDateTime: days since 1899-12-30
    std::string hero;
    std::optional<std::uint32_t> level, hitPoints;
};

inline std::string lsdDouble(double v) {
    std::string s;
    const auto bits = std::bit_cast<std::uint64_t>(v);
    put32(s, static_cast<std::uint32_t>(bits));
    put32(s, static_cast<std::uint32_t>(bits >> 32));
    return s;
}

// The title chunk's data: its fields, a face among them, and the 0 that ends them.
inline std::string saveTitle(const SaveTitleFields& f) {
    std::string s;
    if (f.saved)
        s += lcfChunk(0x01, lsdDouble(*f.saved));
    if (!f.hero.empty())
        s += lcfChunk(0x0B, f.hero);
    if (f.level)
        s += lcfChunk(0x0C, lcfNumber(*f.level));
    if (f.hitPoints)
        s += lcfChunk(0x0D, lcfNumber(*f.hitPoints));
    return s + lcfChunk(0x15, "Actor1") + lcfChunk(0x16, lcfNumber(3)) + std::string(1, '\0');
}

// A save file around a title chunk of these bytes, then chunks standing for the game's state.
inline std::string makeLsdAround(std::string_view titleData) {
    return lcfNumber(11) + "LcfSaveData" + lcfChunk(0x64, titleData) +
           lcfChunk(0x65, lcfChunk(0x0B, lcfNumber(1234)) + std::string(1, '\0')) +
           lcfChunk(0x6C, std::string(300, '\x01'));
}

inline std::string makeLsd(const SaveTitleFields& f) {
    return makeLsdAround(saveTitle(f));
}

} // namespace tavrin::test
