#include "dialogs/SettingsDialogRules.h"

#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin {
namespace {

TEST(SettingValues, ColourSplitsIntoBarsAndComposesWithoutTheTopByte) {
    struct Row {
        Colour colour;
        ColourBars bars;
        Colour composed;
    };
    const std::vector<Row> table = {
        // What the main window hands over for the system window colour.
        {0x7FFFFFFF, {255, 255, 255}, 0xFFFFFF},    {0x00000000, {0, 0, 0}, 0x000000},
        {0x00123456, {0x56, 0x34, 0x12}, 0x123456}, {0x80000005, {5, 0, 0}, 0x000005},
        {0xFF0000FF, {255, 0, 0}, 0x0000FF},
    };
    for (const Row& r : table) {
        EXPECT_EQ(colourBars(r.colour), r.bars) << std::hex << r.colour;
        EXPECT_EQ(composedColour(r.bars), r.composed) << std::hex << r.colour;
    }
    EXPECT_EQ(composedColour({300, -4, 256}), 0xFF00FFu);
}

TEST(SettingValues, RadioItemIsTheNearestState) {
    struct Row {
        std::int32_t value;
        int items, shown;
    };
    const std::vector<Row> table = {
        {0, 2, 0},          {1, 2, 1}, {5, 2, 1}, {-1, 2, -1},
        {INT32_MIN, 4, -1}, {3, 4, 3}, {4, 4, 3}, {INT32_MAX, 4, 3},
    };
    for (const Row& r : table) {
        EXPECT_EQ(radioItem(r.value, r.items), r.shown) << r.value << " of " << r.items;
    }
}

TEST(SettingValues, TrialFolderIsThePickedFilesFolderWithItsBackslash) {
    struct Row {
        std::string picked, folder;
    };
    const std::vector<Row> table = {
        {"C:\\RPG\\RPG2000T.exe", "C:\\RPG\\"},
        {"D:\\RPG2000T.exe", "D:\\"},
        // The second byte of 表 is 0x5C: no separator.
        {sj("C:\\表\\RPG2000T.exe"), sj("C:\\表\\")},
        {sj("C:\\ソフト\\表"), sj("C:\\ソフト\\")},
        {"RPG2000T.exe", ""},
    };
    for (const Row& r : table) {
        EXPECT_EQ(trialFolder(r.picked), r.folder) << r.picked;
    }
}

UserSettings sample() {
    UserSettings r;
    r.basic = {true, true, false, 5, -3};
    r.list = {true, false, true, false, 0x7F102030, {"C:\\a.ico", sj("C:\\ツール\\b.exe")}};
    r.trial = {false, "C:\\Try\\"};
    r.bars.nmlBarVisible = true;
    r.bars.aplButtons[3] = {"C:\\x.exe", true};
    r.search = {"C:\\Games", true, false, 6};
    return r;
}

TEST(SettingValues, FormShowsTheRecordInItsNearestStates) {
    const SettingsDialogValues v = settingsDialogValues(sample());
    EXPECT_TRUE(v.position);
    EXPECT_EQ(v.startSize, 1);
    EXPECT_EQ(v.dblClick, -1);
    EXPECT_TRUE(v.rowSelect);
    EXPECT_FALSE(v.gridLines);
    EXPECT_TRUE(v.hotTrack);
    EXPECT_FALSE(v.bgColorOn);
    EXPECT_EQ(v.colour, 0x102030u);
    EXPECT_EQ(v.iconPaths, sample().list.listIconPath);
    EXPECT_FALSE(v.useTry);
    EXPECT_EQ(v.tryPath, "C:\\Try\\");
}

TEST(SettingValues, ApplyingTouchesOnlyTheThreeGroupsAndKeepsTheColourWhenOff) {
    UserSettings r = sample();
    SettingsDialogValues v;
    v.position = false;
    v.startSize = 1;
    v.dblClick = 3;
    v.rowSelect = false;
    v.gridLines = true;
    v.hotTrack = false;
    v.bgColorOn = false;
    v.iconPaths = {"", "D:\\c.ico"};
    v.colour = 0x0A0B0C;
    v.useTry = true;
    v.tryPath = "E:\\";
    applySettingsDialog(v, r);

    EXPECT_EQ(r.basic, (BasicSettings{false, true, false, 1, 3, true}));
    EXPECT_EQ(r.list, (ListSettings{false, true, false, false, 0x0A0B0C, {"", "D:\\c.ico"}}));
    EXPECT_EQ(r.trial, (TrySettings{true, "E:\\"}));
    EXPECT_EQ(r.bars, sample().bars);
    EXPECT_EQ(r.search, sample().search);
}

TEST(SettingValues, FiltersPairDescriptionsWithPatterns) {
    EXPECT_EQ(trialFileFilter(), sj("RPGツクール体験版(RPG2000T.exe)|RPG2000T.exe"));
    EXPECT_EQ(iconFileFilter(),
              sj("抽出可能ファイル(*.ico,*.exe)|*.ico;*.exe|アイコンファイル(*.ico)|"
                 "*.ico|実行ファイル(*.exe)|*.exe|すべてのファイル(*.*)|*.*"));
}

} // namespace
} // namespace tavrin
