#include "launch/SaveGames.h"

#include "launch/LcfReader.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/TextLines.h"

#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tavrin {

namespace {

// A 32-bit number takes five bytes at most in a save; a longer one is damage.
constexpr int kLongestNumber = 5;

// The file's chunk 0x64 is its title, what the load screen shows; in it 0x01 the time of the
// save (a double), 0x0B the leading hero's name, 0x0C the hero's level and 0x0D hit points.
constexpr std::uint32_t kTitleChunk = 0x64;
constexpr std::uint32_t kTimeField = 0x01;
constexpr std::uint32_t kHeroNameField = 0x0B;
constexpr std::uint32_t kHeroLevelField = 0x0C;
constexpr std::uint32_t kHeroHitPointsField = 0x0D;

// A whole field holding one number from 0 to `most`; negative numbers are stored as their 32-bit
// two's complement, so they come out above `most` too.
std::optional<int> numberField(std::string_view data, int most) {
    LcfReader reader(data, kLongestNumber);
    const std::optional<std::uint32_t> n = reader.number();
    if (!n || !reader.atEnd() || *n > static_cast<std::uint32_t>(most)) {
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

bool saneTime(double days) {
    return days >= kEarliestSaveTime && days < kLatestSaveTime; // false for NaN
}

// Eight bytes, little-endian, as the runtime's Delphi stores a double.
std::optional<double> timeField(std::string_view data) {
    if (data.size() != sizeof(double)) {
        return std::nullopt;
    }
    std::uint64_t bits = 0;
    for (std::size_t i = data.size(); i-- > 0;) {
        bits = bits << 8 | static_cast<std::uint8_t>(data[i]);
    }
    return std::bit_cast<double>(bits);
}

std::optional<SaveGame> readTitle(std::string_view data) {
    SaveGame save;
    LcfReader title(data, kLongestNumber);
    bool sane = true;
    while (const std::optional<LcfChunk> field = nextChunk(title)) {
        switch (field->id) {
        case kTimeField: {
            // Some runtimes write a time no clock shows, such as 1.0: the save loads all the
            // same, so it is read, only not as saved at any time.
            const std::optional<double> days = timeField(field->data);
            sane = sane && days;
            save.saved = days && saneTime(*days) ? days : std::nullopt;
            break;
        }
        case kHeroNameField:
            save.hero = shownName(field->data, kLongestHeroName);
            break;
        case kHeroLevelField:
            save.level = numberField(field->data, kHighestLevel);
            sane = sane && save.level;
            break;
        case kHeroHitPointsField:
            save.hitPoints = numberField(field->data, kMostHitPoints);
            sane = sane && save.hitPoints;
            break;
        default:
            break;
        }
    }
    if (!sane || title.broken()) {
        return std::nullopt;
    }
    return save;
}

// "Save01.lsd" to "Save15.lsd": the slot, else 0.
int slotOf(const std::string& name) {
    constexpr std::string_view kStart = "Save", kEnd = ".lsd";
    if (name.size() != kStart.size() + 2 + kEnd.size() ||
        !pathtext::sameName(name.substr(0, kStart.size()), kStart) ||
        !pathtext::sameName(name.substr(kStart.size() + 2), kEnd)) {
        return 0;
    }
    const char tens = name[kStart.size()], ones = name[kStart.size() + 1];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') {
        return 0;
    }
    const int slot = (tens - '0') * 10 + (ones - '0');
    return slot <= kSaveSlots ? slot : 0;
}

std::string slotName(int slot) {
    std::array<char, 16> name{};
    std::snprintf(name.data(), name.size(), "Save%02d.lsd", slot);
    return name.data();
}

// As the saving machine's clock showed it, to the minute.
std::optional<std::string> savedText(double days) {
    if (!saneTime(days)) {
        return std::nullopt;
    }
    // To the nearest second first, so that 18:29 stored as 18:28:59.9999 shows as 18:29.
    constexpr std::int64_t kDaySeconds = 86400, kUnixEpochDay = 25569; // 1970-01-01
    const std::int64_t seconds = std::llround(days * kDaySeconds);
    const std::int64_t day = seconds / kDaySeconds, minute = seconds % kDaySeconds / 60;
    const std::chrono::year_month_day date{
        std::chrono::sys_days{std::chrono::days{day - kUnixEpochDay}}};
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d/%02u/%02u %02d:%02d",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(minute / 60),
                  static_cast<int>(minute % 60));
    return text.data();
}

} // namespace

std::optional<SaveGame> parseSaveTitle(std::string_view bytes) {
    LcfReader file(bytes, kLongestNumber);
    if (!lcfHeader(file, "LcfSaveData")) {
        return std::nullopt;
    }
    while (const std::optional<LcfChunk> chunk = nextChunk(file)) {
        if (chunk->id == kTitleChunk) {
            return readTitle(chunk->data);
        }
    }
    return std::nullopt;
}

SaveGames readSaveGames(FileSystem& fs, const std::string& projectFolder) {
    SaveGames saves;
    // One listing finds the saves in any letter case, where looking each slot up would list
    // the folder again for each one missing. Of two names differing in case, the runtime's own
    // spelling is the one it reads.
    std::array<std::string, kSaveSlots> names;
    for (const FileSystem::Entry& e :
         fs.tryListFolder(projectFolder).value_or(std::vector<FileSystem::Entry>())) {
        if (const int slot = slotOf(e.name); slot > 0 && !e.isFolder) {
            std::string& name = names[static_cast<std::size_t>(slot - 1)];
            if (name.empty() || e.name == slotName(slot)) {
                name = e.name;
            }
        }
    }
    for (int slot = 1; slot <= kSaveSlots; ++slot) {
        const std::string& name = names[static_cast<std::size_t>(slot - 1)];
        if (name.empty()) {
            continue;
        }
        std::optional<std::string> bytes;
        try {
            bytes = fs.readFile(projectFolder + name, kSaveFileLimit);
        } catch (const AppError&) {
            ++saves.damaged;
            continue;
        }
        if (!bytes) {
            continue; // gone since the listing
        }
        std::optional<SaveGame> save = parseSaveTitle(*bytes);
        if (!save) {
            ++saves.damaged;
            continue;
        }
        ++saves.count;
        save->slot = slot;
        if (save->saved && (!saves.newest || *save->saved > *saves.newest->saved)) {
            saves.newest = std::move(save);
        }
    }
    return saves;
}

std::string saveGamesLine(const SaveGames& saves) {
    std::string line = sj("セーブ: ");
    if (saves.count == 0) {
        line += saves.damaged == 0 ? sj("ありません") : sj("読めるものはありません");
    } else {
        line += std::to_string(saves.count) + sj(" 個");
    }
    if (saves.count > 0 && saves.newest && saves.newest->saved) {
        const SaveGame& newest = *saves.newest;
        if (const std::optional<std::string> when = savedText(*newest.saved)) {
            line += sj("（最新: ") + *when;
            if (!newest.hero.empty()) {
                line += " " + newest.hero;
            }
            if (newest.level) {
                line += " Lv " + std::to_string(*newest.level);
            }
            if (newest.hitPoints) {
                line += " HP " + std::to_string(*newest.hitPoints);
            }
            line += sj("）");
        }
    }
    if (saves.damaged > 0) {
        line += sj("（読めないファイル ") + std::to_string(saves.damaged) + sj(" 個）");
    }
    return line;
}

} // namespace tavrin
