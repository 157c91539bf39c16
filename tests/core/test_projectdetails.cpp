#include "launch/ProjectDetails.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using details::Extent;

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
