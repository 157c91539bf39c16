#include "platform/Cp932.h"
#include "platform/DriveTable.h"

#include <gtest/gtest.h>

using namespace tavrin;

namespace {

DriveTable sampleTable() {
    // Given out of order and with a trailing "/", as a hand-made table might be.
    return DriveTable(
        {{'z', "/"}, {'C', "/home/u/.wine/drive_c"}, {'D', "/home/a/"}, {'E', "/mnt/games"}});
}

TEST(DriveTable, LongestComponentPrefixWins) {
    const struct {
        std::string host;
        std::optional<std::string> windows;
    } rows[] = {
        {"/home/u/.wine/drive_c", "C:\\"},
        {"/home/u/.wine/drive_c/", "C:\\"},
        {"/home/u/.wine/drive_c/Games/Hero", "C:\\Games\\Hero"},
        {"/home/u/.wine/drive_c/Games/Hero/", "C:\\Games\\Hero\\"},
        {"/home/u/.wine/drive_cx", "Z:\\home\\u\\.wine\\drive_cx"},
        {"/home/a/file", "D:\\file"},
        {"/home/ab/file", "Z:\\home\\ab\\file"},
        {"/home//a/./b", "D:\\b"},
        {"/", "Z:\\"},
        {"/mnt/games/RPG_RT.EXE", "E:\\RPG_RT.EXE"},
        {"/home/a/ゲーム/表", "D:\\" + sj("ゲーム") + "\\" + sj("表")},
        {"/home/a/\x95\x5C", "D:\\\x95\x5C"}, // a raw CP932 host name is kept
        {"/home/a/x\xFFy", "D:\\x<X+FF>y"},   // a byte that is no character is kept
        {"home/a", std::nullopt},
        {"", std::nullopt},
    };
    const DriveTable table = sampleTable();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.host);
        EXPECT_EQ(table.toWindows(row.host), row.windows);
    }
}

TEST(DriveTable, LettersAreUpperCaseAndSorted) {
    const DriveTable table = sampleTable();
    std::string letters;
    for (const DriveTable::Drive& d : table.drives())
        letters += d.letter;
    EXPECT_EQ(letters, "CDEZ");
    EXPECT_EQ(table.drives()[1].hostFolder, "/home/a");
}

TEST(DriveTable, WithoutRootDriveOutsidePathsHaveNoWindowsPath) {
    const DriveTable table({{'C', "/srv/c"}});
    EXPECT_EQ(table.toWindows("/etc/passwd"), std::nullopt);
    EXPECT_EQ(table.toWindows("/srv/c/x"), "C:\\x");
}

TEST(DriveTable, TwoDrivesOnOneFolderGiveTheEarlierLetter) {
    const DriveTable table({{'F', "/data"}, {'D', "/data"}});
    EXPECT_EQ(table.toWindows("/data/x"), "D:\\x");
}

TEST(DriveTable, RootOnlyIsDriveZ) {
    EXPECT_EQ(DriveTable::rootOnly().toWindows("/usr/share"), "Z:\\usr\\share");
}

} // namespace
