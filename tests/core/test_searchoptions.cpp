#include "search/SearchOptions.h"

#include "platform/PathText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin {
namespace {

TEST(SearchOptions, KindsReachTheirBoxesWhateverElseTheWordHolds) {
    struct Row {
        std::uint32_t kinds;
        bool rpg2000, rpg95;
    };
    const std::vector<Row> table = {
        {0, false, false}, {2, true, false},  {4, false, true},
        {6, true, true},   {1, false, false}, {0xFFFFFFF9u, false, false},
    };
    for (const Row& r : table) {
        const SearchFormValues v = searchFormValues({"C:\\Games", false, true, r.kinds});
        EXPECT_EQ(v.rpg2000, r.rpg2000) << r.kinds;
        EXPECT_EQ(v.rpg95, r.rpg95) << r.kinds;
        EXPECT_EQ(v.startFolder, "C:\\Games");
        EXPECT_FALSE(v.insert);
        EXPECT_TRUE(v.duplicate);
    }
}

TEST(SearchOptions, ResultsUpToTenCancelAndLeaveTheGroupAlone) {
    const SearchFormValues changed{"D:\\Other", false, true, false, false};
    for (int result : {0, 1, 2, 10}) {
        SearchSettings s{"C:\\Games", true, true, 0x13};
        EXPECT_EQ(applySearchForm(result, changed, s), kSearchSettingsCancelled) << result;
        EXPECT_EQ(s.searchFolder, "C:\\Games");
        EXPECT_TRUE(s.insert);
        EXPECT_TRUE(s.dupChk);
        EXPECT_EQ(s.matchKinds, 0x13u);
    }
}

TEST(SearchOptions, KeptOrSearchCopiesEveryControlBack) {
    struct Row {
        int result;
        bool rpg2000, rpg95;
        std::uint32_t kinds;
        int answer;
    };
    const std::vector<Row> table = {
        {kSearchFormSave, false, false, 0, kSearchSettingsKept},
        {kSearchFormSave, true, false, 2, kSearchSettingsKept},
        {kSearchFormSearch, false, true, 4, kSearchSettingsSearch},
        {kSearchFormSearch, true, true, 6, kSearchSettingsSearch},
        {kSearchFormSearch, false, false, 0, kSearchSettingsSearch},
        // A result past the two buttons still keeps the options without searching.
        {11 + 2, true, false, 2, kSearchSettingsKept},
    };
    for (const Row& r : table) {
        // Stray bits (1, 8, ...) from the file are dropped.
        SearchSettings s{"C:\\Games", true, true, 0xFFu};
        // Blanks, a trailing "\" and a CP932 character ending in 0x5C stay as typed.
        const std::string typed = " E:\\\x95\x5C\\ ";
        const SearchFormValues v{typed, r.rpg2000, r.rpg95, false, false};
        EXPECT_EQ(applySearchForm(r.result, v, s), r.answer) << r.result;
        EXPECT_EQ(s.matchKinds, r.kinds) << r.rpg2000 << r.rpg95;
        EXPECT_EQ(s.searchFolder, typed);
        EXPECT_FALSE(s.insert);
        EXPECT_FALSE(s.dupChk);
    }
    SearchSettings s;
    applySearchForm(kSearchFormSave, {"", false, false, true, true}, s);
    EXPECT_TRUE(s.insert);
    EXPECT_TRUE(s.dupChk);
    EXPECT_EQ(s.searchFolder, "");
}

TEST(SearchOptions, ChosenFolderLosesItsBackslashButAtADriveRoot) {
    const std::vector<std::pair<std::string, std::string>> table = {
        {"Z:\\", "Z:\\"},
        {"C:\\Games\\", "C:\\Games"},
        {"C:\\Games", "C:\\Games"},
        {"Z:\\home\\me\\", "Z:\\home\\me"},
        // The last character's second byte is 0x5C, not a separator.
        {"C:\\\x95\x5C", "C:\\\x95\x5C"},
        {"C:\\\x95\x5C\\", "C:\\\x95\x5C"},
    };
    for (const auto& [in, out] : table) {
        EXPECT_EQ(pathtext::folderText(in), out) << in;
    }
}

} // namespace
} // namespace tavrin
