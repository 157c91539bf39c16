#include "launch/ProjectDetails.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using details::Extent;

TEST(ProjectDetails, PlayTimeReadsAsHoursMinutesAndPlays) {
    struct Row {
        std::uint64_t seconds;
        std::uint32_t count;
        const char* line;
    };
    for (const Row& r :
         {Row{0, 0, "プレイ時間: まだありません"}, Row{59, 1, "プレイ時間: 1 分未満（1 回）"},
          Row{3725, 4, "プレイ時間: 1 時間 2 分（4 回）"},
          Row{4442400, 1001, "プレイ時間: 1,234 時間 0 分（1,001 回）"}}) {
        EXPECT_EQ(details::playTimeLine(r.seconds, r.count), sj(r.line)) << r.line;
    }
}

TEST(ProjectDetails, FolderCountStopsAtItsLimit) {
    test::MemoryFileSystem fs;
    fs.file("Z:\\g\\A\\a.bin", std::string(1000, 'a'));
    fs.file("Z:\\g\\A\\Sub\\b.bin", std::string(24, 'b'));
    const auto never = [] { return false; };

    const details::FolderSize all = details::countFolder(fs, "Z:\\g\\A", 100, never);
    EXPECT_TRUE(all.complete);
    EXPECT_EQ(all.bytes, 1024u);
    EXPECT_EQ(all.files, 2u);
    EXPECT_EQ(details::sizeLine(all), sj("フォルダの大きさ: 1.0 KB（2 個のファイル）"));

    const details::FolderSize cut = details::countFolder(fs, "Z:\\g\\A\\", 2, never);
    EXPECT_FALSE(cut.complete);
    EXPECT_NE(details::sizeLine(cut).find(sj(" 以上")), std::string::npos);
    EXPECT_FALSE(details::countFolder(fs, "Z:\\g\\A\\", 100, [] { return true; }).complete);
}

TEST(ProjectDetails, PicturesScaleByWholeSteps) {
    const struct {
        Extent picture, room, drawn;
    } rows[] = {
        {{320, 240}, {320, 240}, {320, 240}}, {{320, 240}, {700, 500}, {640, 480}},
        {{320, 240}, {300, 500}, {160, 120}}, {{320, 240}, {100, 100}, {80, 60}},
        {{4096, 1}, {100, 100}, {99, 1}},     {{320, 240}, {0, 100}, {0, 0}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(details::wholeStepSize(r.picture, r.room), r.drawn)
            << r.picture.width << "x" << r.picture.height << " in " << r.room.width;
    }
}

} // namespace
} // namespace tavrin
