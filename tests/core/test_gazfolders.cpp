#include "dialogs/GazFolders.h"

#include "platform/Cp932.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin {
namespace {

using test::MemoryFileSystem;

const std::string notFound = sj("指定されたフォルダには\"actview.exe\"が存在しません。");

TEST(GazFolders, DroppedProgramFolderOrParentFindsTheTool) {
    MemoryFileSystem fs;
    fs.file("C:\\Tools\\readme.txt").file("C:\\Tools\\actview\\actview.exe");
    struct Row {
        std::string dropped, expected;
    };
    const std::vector<Row> table = {
        // The program by name alone, without looking: any case, even where it is missing.
        {"C:\\Tools\\actview\\actview.exe", "C:\\Tools\\actview\\"},
        {"E:\\gone\\ACTVIEW.EXE", "E:\\gone\\"},
        {"C:\\Tools\\actview", "C:\\Tools\\actview\\"},
        {"C:\\Tools\\actview\\", "C:\\Tools\\actview\\"},
        {"C:\\Tools", "C:\\Tools\\actview\\"},
        {"C:\\Tools\\readme.txt", notFound},
        {"C:\\Empty", notFound},
    };
    for (const Row& r : table) {
        EXPECT_EQ(resolveGazToolFolder(fs, r.dropped, "actview"), r.expected) << r.dropped;
    }
}

TEST(GazFolders, ListingOrderDotDotFirstAndOnlyPlainFoldersOneLevelDeep) {
    MemoryFileSystem fs;
    // Found through ".." in the parent, through "b" and through "c": ".." is tried first, then
    // the folders as listed, "c" before "b"; "f" is a file.
    for (const char* in : {".hid", "a\\deep", "c", "b"}) {
        fs.file("C:\\T\\sub\\" + std::string(in) + "\\ccclip.exe");
    }
    fs.file("C:\\T\\sub\\f").file("C:\\T\\ccclip.exe");
    EXPECT_EQ(resolveGazToolFolder(fs, "C:\\T\\sub", "ccclip"), "C:\\T\\sub\\..\\");

    fs.files.erase("C:\\T\\ccclip.exe");
    fs.askedFiles.clear();
    EXPECT_EQ(resolveGazToolFolder(fs, "C:\\T\\sub", "ccclip"), "C:\\T\\sub\\c\\");
    // Hidden folders, files and deeper levels are never asked about.
    const std::vector<std::string> asked = {
        "C:\\T\\sub\\ccclip.exe", "C:\\T\\sub\\.\\ccclip.exe", "C:\\T\\sub\\..\\ccclip.exe",
        "C:\\T\\sub\\a\\ccclip.exe", "C:\\T\\sub\\c\\ccclip.exe"};
    EXPECT_EQ(fs.askedFiles, asked);
}

TEST(GazFolders, AFolderThatCannotBeListedIsNotSearchedThroughDotDot) {
    MemoryFileSystem fs;
    // "notes.txt\..\ccclip.exe" names C:\T\ccclip.exe as Windows reads it.
    fs.file("C:\\T\\notes.txt").file("C:\\T\\ccclip.exe");
    EXPECT_EQ(resolveGazToolFolder(fs, "C:\\T\\notes.txt", "ccclip"),
              sj("指定されたフォルダには\"ccclip.exe\"が存在しません。"));
    // A listed folder, even an empty one, has its "..".
    fs.folder("C:\\T\\empty");
    EXPECT_EQ(resolveGazToolFolder(fs, "C:\\T\\empty", "ccclip"), "C:\\T\\empty\\..\\");
}

TEST(GazFolders, DoubleByteNamesKeepTheirTrailByte) {
    MemoryFileSystem fs;
    // "表" ends in 0x5C, a trail byte and no separator.
    const std::string tools = sj("C:\\表");
    fs.file(tools + "\\mywin.exe");
    EXPECT_EQ(resolveGazToolFolder(fs, tools, "mywin"), tools + "\\");
    EXPECT_EQ(resolveGazToolFolder(fs, tools + "\\MyWin.exe", "mywin"), tools + "\\");
}

TEST(GazFolders, StoredFoldersLoseTrailingControlBytesAndBlanksOnly) {
    const std::vector<std::pair<std::string, std::string>> table = {
        {"C:\\Gaz\\ \t\r\n", "C:\\Gaz\\"}, {std::string("C:\\Gaz\\\x01 \0", 10), "C:\\Gaz\\"},
        {" C:\\Gaz !", " C:\\Gaz !"},      {"   ", ""},
        {sj("C:\\表"), sj("C:\\表")},
    };
    for (const auto& [text, stored] : table) {
        EXPECT_EQ(trimmedToolFolder(text), stored);
    }
}

TEST(GazFolders, SharedDialogStartsInTheFieldsFolderOrWhereItLastStarted) {
    SharedOpenDialog dialog;
    EXPECT_EQ(dialog.request("*.exe", aplBrowseFilter(), "").initialFolder, "");
    EXPECT_EQ(dialog.request("*.exe", aplBrowseFilter(), "C:\\Apps\\x.exe").initialFolder,
              "C:\\Apps\\");
    EXPECT_EQ(dialog.request("lukey.exe", "", "").initialFolder, "C:\\Apps\\");
    EXPECT_EQ(dialog.request("lukey.exe", "", "D:x.exe").initialFolder, "D:");
    // Text without a folder part starts where the dialog chooses.
    EXPECT_EQ(dialog.request("lukey.exe", "", "notepad").initialFolder, "");
}

} // namespace
} // namespace tavrin
