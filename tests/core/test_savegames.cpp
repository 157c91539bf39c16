#include "launch/SaveGames.h"

#include "platform/Cp932.h"
#include "support/ExactBytes.h"
#include "support/MemoryFileSystem.h"
#include "support/SaveFileBuilder.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrin {
namespace {

using test::lcfChunk;
using test::lcfNumber;
using test::makeLsd;
using test::makeLsdAround;
using test::saveTitle;

constexpr double kDecember8th1829 = 46364.77048611111; // 2026-12-08 18:29:30

test::SaveTitleFields hero() {
    return {kDecember8th1829, sj("勇者"), 12, 340};
}

std::optional<SaveGame> parse(std::string_view bytes) {
    return parseSaveTitle(test::ExactBytes(bytes).view());
}

std::string titleWithLevel(std::string_view number) {
    return makeLsdAround(lcfChunk(0x0C, number) + std::string(1, '\0'));
}

TEST(SaveGames, TitlesReadOrRefused) {
    const std::string header = lcfNumber(11) + "LcfSaveData";
    const std::string good = saveTitle(hero());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        std::string bytes;
        bool read;
        std::optional<int> level = {};
    } rows[] = {
        {"good", makeLsd(hero()), true, 12},
        {"title after another chunk", header + lcfChunk(0x65, "x") + lcfChunk(0x64, good), true,
         12},
        {"fields after the title's end", makeLsdAround(good + lcfChunk(0x0C, "\x05")), true, 12},
        {"level of five bytes", titleWithLevel("\x80\x80\x80\x80\x0C"), true, 12},
        {"highest level", titleWithLevel(lcfNumber(kHighestLevel)), true, kHighestLevel},
        {"level of six bytes", titleWithLevel("\x80\x80\x80\x80\x80\x0C"), false},
        {"level past 32 bits", titleWithLevel("\x90\x80\x80\x80\x0C"), false},
        {"negative level", titleWithLevel(lcfNumber(0xFFFFFFFF)), false},
        {"level too high", titleWithLevel(lcfNumber(kHighestLevel + 1)), false},
        {"level and more", titleWithLevel(lcfNumber(12) + "x"), false},
        {"hit points too many", makeLsd({{}, "", {}, kMostHitPoints + 1u}), false},
        // Read, with no time: see below.
        {"NaN time", makeLsd({nan, "", 1, 1}), true, 1},
        {"infinite time", makeLsd({inf, "", 1, 1}), true, 1},
        {"huge time", makeLsd({1e300, "", 1, 1}), true, 1},
        {"time before 1980", makeLsd({kEarliestSaveTime - 1, "", 1, 1}), true, 1},
        {"time of four bytes", makeLsdAround(lcfChunk(0x01, "\0\0\0\0")), false},
        {"huge title size", header + lcfNumber(0x64) + lcfNumber(0xFFFFFFFF) + good, false},
        {"field past the title", makeLsdAround(lcfNumber(0x0B) + lcfNumber(50) + "abc"), false},
        {"chunk ID of six bytes", header + "\x80\x80\x80\x80\x80\x64" + lcfNumber(1) + "\0", false},
        {"no title", header + lcfChunk(0x65, good), false},
        {"title after the end", header + std::string(1, '\0') + lcfChunk(0x64, good), false},
        {"database header", lcfNumber(11) + "LcfDataBase" + lcfChunk(0x64, good), false},
        {"header too long", lcfNumber(12) + "LcfSaveData" + lcfChunk(0x64, good), false},
        {"empty", "", false},
    };
    for (const auto& r : rows) {
        const std::optional<SaveGame> save = parse(r.bytes);
        ASSERT_EQ(save.has_value(), r.read) << r.what;
        if (save) {
            EXPECT_EQ(save->level, r.level) << r.what;
        }
    }

    // A time no clock shows, 1.0 as a runtime writes it among them, is no time.
    for (const double days : {nan, inf, 1e300, kEarliestSaveTime - 1, 1.0}) {
        EXPECT_FALSE(parse(makeLsd({days, "", 1, 1}))->saved) << days;
    }
    const std::optional<SaveGame> save = parse(makeLsd(hero()));
    ASSERT_TRUE(save);
    EXPECT_EQ(save->saved, kDecember8th1829);
    EXPECT_EQ(save->hero, sj("勇者"));
    EXPECT_EQ(save->hitPoints, 340);
    // A name is cleaned and cut as any name from a game's files.
    EXPECT_EQ(parse(makeLsd({{}, "\x01" + std::string(40, 'A'), {}, {}}))->hero,
              std::string(kLongestHeroName, 'A') + sj("…"));
}

TEST(SaveGames, FileCutShortInItsTitleIsDamaged) {
    const std::string whole = makeLsd(hero());
    const std::size_t titleEnd = whole.find("Actor1") + 6 + 4; // face ID chunk and the 0
    for (std::size_t n = 0; n < whole.size(); ++n) {
        EXPECT_EQ(parse(whole.substr(0, n)).has_value(), n >= titleEnd) << n;
    }
}

TEST(SaveGames, FolderCountsSavesAndFindsTheNewest) {
    test::MemoryFileSystem fs;
    const std::string folder = "Z:\\g\\";
    fs.folder(folder + "Save02.lsd");
    fs.file(folder + "Save01.lsd", makeLsd({kDecember8th1829 - 2, "A", 3, 30}));
    fs.file(folder + "Save03.lsd", makeLsd(hero()));
    fs.file(folder + "save15.LSD", makeLsd({kDecember8th1829 - 1, "B", 5, 50}));
    fs.file(folder + "Save08.lsd", makeLsd({{}, "C", 99, 999}));
    // Not the runtimes' slots.
    fs.file(folder + "Save16.lsd", makeLsd({kDecember8th1829 + 1, "D", 1, 1}));
    fs.file(folder + "Save1.lsd", makeLsd({kDecember8th1829 + 1, "D", 1, 1}));
    // Damaged, or not readable as files.
    fs.file(folder + "Save04.lsd", makeLsd(hero()).substr(0, 20));
    fs.file(folder + "SAVE05.lsd", "LcfSaveData");
    fs.file(folder + "Save06.lsd", makeLsd(hero()) + std::string(kSaveFileLimit, '\0'));
    fs.file(folder + "Save07.lsd", makeLsd(hero()));
    fs.refused.push_back(folder + "Save07.lsd");

    const SaveGames saves = readSaveGames(fs, folder);
    EXPECT_EQ(saves.count, 4);
    EXPECT_EQ(saves.damaged, 4);
    ASSERT_TRUE(saves.newest);
    EXPECT_EQ(saves.newest->slot, 3);
    EXPECT_EQ(
        saveGamesLine(saves),
        sj("セーブ: 4 個（最新: 2026/12/08 18:29 勇者 Lv 12 HP 340）（読めないファイル 4 個）"));

    EXPECT_EQ(saveGamesLine(readSaveGames(fs, "Z:\\none\\")), sj("セーブ: ありません"));
}

TEST(SaveGames, LinesSayWhatIsKnown) {
    const struct {
        SaveGames saves;
        const char* line;
    } rows[] = {
        {{}, "セーブ: ありません"},
        {{0, {}, 2}, "セーブ: 読めるものはありません（読めないファイル 2 個）"},
        {{2, {}, 0}, "セーブ: 2 個"},
        // 23:59:59.99 rounds to the next day's first minute, not to 23:59 of the day before.
        {{1, SaveGame{1, 46364.9999999, "", {}, {}}, 0}, "セーブ: 1 個（最新: 2026/12/09 00:00）"},
        {{1, SaveGame{1, 46000.5, "X", 7, {}}, 1},
         "セーブ: 1 個（最新: 2025/12/09 12:00 X Lv 7）（読めないファイル 1 個）"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(saveGamesLine(r.saves), sj(r.line)) << r.line;
    }
}

} // namespace
} // namespace tavrin
