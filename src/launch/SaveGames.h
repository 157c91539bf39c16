#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

class FileSystem;

// What a game's save file (SaveNN.lsd) shows on its runtime's load screen.
struct SaveGame {
    int slot = 0; // 1 to 15; 0 when read from bytes alone
    // When it was saved, as the saving machine's clock showed it: days since 1899-12-30 and the
    // fraction of a day (the runtime's TDateTime). Nothing when the file holds no time.
    std::optional<double> saved;
    std::string hero; // the leading hero's name, CP932, cleaned for a line
    std::optional<int> level, hitPoints;
};

// The saves beside a project's runtime.
struct SaveGames {
    int count = 0; // the files read
    // The one saved last of those that tell when they were saved.
    std::optional<SaveGame> newest;
    int damaged = 0; // the files there that could not be read
};

// The runtimes keep this many slots.
inline constexpr int kSaveSlots = 15;
// A save holds the state of one map and the party: tens of kilobytes. A larger file is refused
// unread and counts as damaged.
inline constexpr std::uint64_t kSaveFileLimit = std::uint64_t{8} << 20;
// The times a save may tell: none was made before 1980 or will be after 2100. Days as above.
inline constexpr double kEarliestSaveTime = 29221.0; // 1980-01-01
inline constexpr double kLatestSaveTime = 73051.0;   // 2100-01-01
// No runtime goes past these; a larger number is damage.
inline constexpr int kHighestLevel = 9999;
inline constexpr int kMostHitPoints = 9999999;
// A hero's name is a few characters; a longer one is cut, "…" ending it.
inline constexpr std::size_t kLongestHeroName = 24;

// The title part of a save file's bytes ("LcfSaveData", then its chunks, the title among them);
// nothing when the bytes are no save, or their title is damaged or tells what no game can.
std::optional<SaveGame> parseSaveTitle(std::string_view bytes);

// Save01.lsd to Save15.lsd (in any letter case) in `projectFolder` (a Windows path ending in a
// backslash).
SaveGames readSaveGames(FileSystem& fs, const std::string& projectFolder);

// The details pane's line for them, CP932.
std::string saveGamesLine(const SaveGames& saves);

} // namespace tavrin
