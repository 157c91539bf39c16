#include "FuzzCheck.h"

#include "launch/SaveGames.h"
#include "platform/Cp932.h"

#include <cmath>
#include <memory>

using namespace tavrin;

// A save's title read from a copy of the input of its exact size tells only what a game can:
// a time in its years, a level and hit points in their ranges, a name of a line's length. Its
// line is made without fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto block = std::make_unique<char[]>(size);
    std::copy(data, data + size, block.get());
    const std::optional<SaveGame> save = parseSaveTitle(std::string_view(block.get(), size));
    if (!save)
        return 0;
    FUZZ_CHECK(!save->saved || (std::isfinite(*save->saved) && *save->saved >= kEarliestSaveTime &&
                                *save->saved < kLatestSaveTime));
    FUZZ_CHECK(!save->level || (*save->level >= 0 && *save->level <= kHighestLevel));
    FUZZ_CHECK(!save->hitPoints || (*save->hitPoints >= 0 && *save->hitPoints <= kMostHitPoints));
    FUZZ_CHECK(save->hero.size() <= kLongestHeroName + sj("…").size());
    const std::string line = saveGamesLine({1, save, 0});
    FUZZ_CHECK(!save->saved || line.find(sj("（最新: ")) != std::string::npos);
    FUZZ_CHECK(!save->saved || line.find(save->hero) != std::string::npos);
    return 0;
}
