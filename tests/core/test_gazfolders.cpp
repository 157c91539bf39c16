#include "dialogs/GazFolders.h"

#include "platform/Cp932.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tavrin {
namespace {

// Files by exact path; listings by folder, in the order given. A folder without a listing
// cannot be listed (a file, a refused folder).
class TreeFileSystem : public FileSystem {
public:
    std::set<std::string> files;
    std::map<std::string, std::vector<Entry>> listings;
    std::vector<std::string> asked;

    bool fileExists(const std::string& path) override {
        asked.push_back(path);
        return files.count(path) > 0;
    }
    bool folderExists(const std::string& path) override { return listings.count(path) > 0; }
    std::optional<std::string> readFile(const std::string&) override { return std::nullopt; }
    bool writeFileAtomic(const std::string&, std::string_view) override { return false; }
    bool renameFile(const std::string&, const std::string&) override { return false; }
    std::vector<Entry> listFolder(const std::string& path) override {
        return tryListFolder(path).value_or(std::vector<Entry>());
    }
    std::optional<std::vector<Entry>> tryListFolder(const std::string& path) override {
        auto it = listings.find(path);
        return it == listings.end() ? std::nullopt : std::optional(it->second);
    }
};

FileSystem::Entry folder(std::string name) {
    return {std::move(name), true};
}
FileSystem::Entry file(std::string name) {
    return {std::move(name), false};
}

const std::string notFound = sj("指定されたフォルダには\"actview.exe\"が存在しません。");

TEST(GazFolders, DroppedProgramFolderOrParentFindsTheTool) {
    TreeFileSystem fs;
    fs.files = {"C:\\Tools\\actview\\actview.exe"};
    fs.listings["C:\\Tools\\"] = {file("readme.txt"), folder("actview")};
    fs.listings["C:\\Tools\\actview\\"] = {file("actview.exe")};
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
        EXPECT_EQ(ResolveGazToolFolder(fs, r.dropped, "actview"), r.expected) << r.dropped;
    }
}

TEST(GazFolders, ListingOrderDotDotFirstAndOnlyPlainFoldersOneLevelDeep) {
    TreeFileSystem fs;
    // Found through ".." in the parent, through "b" and through "c": ".." is tried first.
    fs.files = {"C:\\T\\sub\\..\\ccclip.exe", "C:\\T\\sub\\b\\ccclip.exe",
                "C:\\T\\sub\\c\\ccclip.exe",  "C:\\T\\sub\\.hid\\ccclip.exe",
                "C:\\T\\sub\\f\\ccclip.exe",  "C:\\T\\sub\\a\\deep\\ccclip.exe"};
    const std::vector<FileSystem::Entry> entries = {folder(".hid"), file("f"), folder("a"),
                                                    folder("c"), folder("b")};
    fs.listings["C:\\T\\sub\\"] = entries;
    EXPECT_EQ(ResolveGazToolFolder(fs, "C:\\T\\sub", "ccclip"), "C:\\T\\sub\\..\\");

    fs.files.erase("C:\\T\\sub\\..\\ccclip.exe");
    fs.asked.clear();
    EXPECT_EQ(ResolveGazToolFolder(fs, "C:\\T\\sub", "ccclip"), "C:\\T\\sub\\c\\");
    // Hidden folders, files and deeper levels are never asked about.
    const std::vector<std::string> asked = {
        "C:\\T\\sub\\ccclip.exe", "C:\\T\\sub\\.\\ccclip.exe", "C:\\T\\sub\\..\\ccclip.exe",
        "C:\\T\\sub\\a\\ccclip.exe", "C:\\T\\sub\\c\\ccclip.exe"};
    EXPECT_EQ(fs.asked, asked);
}

TEST(GazFolders, AFolderThatCannotBeListedIsNotSearchedThroughDotDot) {
    TreeFileSystem fs;
    fs.files = {"C:\\T\\notes.txt\\..\\ccclip.exe", "C:\\T\\empty\\..\\ccclip.exe"};
    EXPECT_EQ(ResolveGazToolFolder(fs, "C:\\T\\notes.txt", "ccclip"),
              sj("指定されたフォルダには\"ccclip.exe\"が存在しません。"));
    // A listed folder, even an empty one, has its "..".
    fs.listings["C:\\T\\empty\\"] = {};
    EXPECT_EQ(ResolveGazToolFolder(fs, "C:\\T\\empty", "ccclip"), "C:\\T\\empty\\..\\");
}

TEST(GazFolders, DoubleByteNamesKeepTheirTrailByte) {
    TreeFileSystem fs;
    // "表" ends in 0x5C, a trail byte and no separator.
    const std::string tools = sj("C:\\表");
    fs.files = {tools + "\\mywin.exe"};
    EXPECT_EQ(ResolveGazToolFolder(fs, tools, "mywin"), tools + "\\");
    EXPECT_EQ(ResolveGazToolFolder(fs, tools + "\\MyWin.exe", "mywin"), tools + "\\");
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
