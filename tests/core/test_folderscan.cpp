#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "search/FolderScan.h"
#include "support/CatalogueTree.h"
#include "support/MemoryFileSystem.h"
#include "support/ScanRecorder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tavrin;

namespace {

using test::MemoryFileSystem;

using test::kBothMarkers;
using test::ScanRecorder;

std::vector<std::string> walk(MemoryFileSystem& fs, const std::string& start,
                              const std::vector<std::string>& markers = kBothMarkers) {
    ScanRecorder host(fs);
    EXPECT_EQ(walkFolders(fs, start, markers, host), 0);
    return host.events;
}

class CatalogueFixture : public ::testing::Test {
protected:
    Catalogue catalogue;
    MemoryFileSystem fs;

    void SetUp() override {
        TreeNode* node = catalogue.addFolder(nullptr, "found");
        catalogue.selectFolder(node);
    }
    std::vector<ProjectItem> rows() const { return test::rowsOf(catalogue); }
    void search(const std::string& start, bool dupChk) {
        ScanRecorder host(fs);
        host.catalogue = &catalogue;
        std::optional<DuplicateCheck> dup;
        if (dupChk) {
            dup.emplace(catalogue);
            host.duplicates = &*dup;
        }
        walkFolders(fs, start, kBothMarkers, host);
    }
};

} // namespace

TEST(MarkerNames, FromTheSearchKinds) {
    EXPECT_EQ(markerNamesFor(6), kBothMarkers);
    EXPECT_EQ(markerNamesFor(2), std::vector<std::string>{"RPG_RT.lmt"});
    EXPECT_EQ(markerNamesFor(4 | 1), std::vector<std::string>{"GAME.EXE"});
    EXPECT_TRUE(markerNamesFor(1).empty());
}

TEST(StartFolder, MadeAbsoluteWithOneTrailingBackslash) {
    MemoryFileSystem fs;
    fs.cwd = "C:\\Work\\Here";
    EXPECT_EQ(absoluteFolderPath(fs, "C:\\Games"), "C:\\Games\\");
    EXPECT_EQ(absoluteFolderPath(fs, "C:\\Games\\\\"), "C:\\Games\\");
    EXPECT_EQ(absoluteFolderPath(fs, "c:/GAMES/./x/../Hero"), "c:\\GAMES\\Hero\\");
    EXPECT_EQ(absoluteFolderPath(fs, "C:\\"), "C:\\");
    EXPECT_EQ(absoluteFolderPath(fs, "C:\\..\\.."), "C:\\");
    EXPECT_EQ(absoluteFolderPath(fs, "Games"), "C:\\Work\\Here\\Games\\");
    EXPECT_EQ(absoluteFolderPath(fs, ".."), "C:\\Work\\");
    EXPECT_EQ(absoluteFolderPath(fs, "."), "C:\\Work\\Here\\");
    EXPECT_EQ(absoluteFolderPath(fs, "\\Games"), "C:\\Games\\");
    EXPECT_EQ(absoluteFolderPath(fs, "C:Games"), "C:\\Work\\Here\\Games\\");
    EXPECT_EQ(absoluteFolderPath(fs, "D:Games"), "D:\\Games\\");
    EXPECT_EQ(absoluteFolderPath(fs, ""), "");
    EXPECT_EQ(absoluteFolderPath(fs, "\\\\server\\share"), "");
    // "ソ" ends in 0x5C, which is no separator.
    const std::string so = sj("ソ");
    EXPECT_EQ(absoluteFolderPath(fs, "C:\\" + so), "C:\\" + so + "\\");
    fs.cwd.clear();
    EXPECT_EQ(absoluteFolderPath(fs, "Games"), "");
}

TEST(Walk, DepthFirstEachFolderAfterItsSubfoldersTheStartFolderLast) {
    MemoryFileSystem fs;
    fs.file("C:\\Games\\RPG_RT.lmt");
    fs.file("C:\\Games\\A\\RPG_RT.lmt");
    fs.file("C:\\Games\\A\\Backup\\RPG_RT.lmt");
    fs.file("C:\\Games\\A\\readme.txt");
    fs.folder("C:\\Games\\A\\Empty");
    fs.file("C:\\Games\\B\\GAME.EXE");
    fs.file("C:\\Games\\B\\rpg_rt.LMT");
    const std::vector<std::string> expected = {
        "show C:\\Games\\A\\",
        "show C:\\Games\\A\\Backup\\",
        "add C:\\Games\\A\\Backup\\ RPG_RT.lmt",
        "show C:\\Games\\A\\Empty\\",
        "add C:\\Games\\A\\ RPG_RT.lmt",
        "show C:\\Games\\B\\",
        "add C:\\Games\\B\\ RPG_RT.lmt",
        "add C:\\Games\\B\\ GAME.EXE",
        "add C:\\Games\\ RPG_RT.lmt",
    };
    EXPECT_EQ(walk(fs, "C:\\Games"), expected);
    EXPECT_EQ(walk(fs, "C:\\Games\\"), expected);

    // Without markers every folder is still reported.
    EXPECT_EQ(walk(fs, "C:\\Games", {}),
              (std::vector<std::string>{"show C:\\Games\\A\\", "show C:\\Games\\A\\Backup\\",
                                        "show C:\\Games\\A\\Empty\\", "show C:\\Games\\B\\"}));
    // The drive root, the folder names as listed, the start folder's letter case as written.
    EXPECT_EQ(walk(fs, "c:\\games\\a\\..")[0], "show c:\\games\\A\\");
    EXPECT_EQ(walk(fs, "C:\\").front(), "show C:\\Games\\");
    EXPECT_EQ(walk(fs, "C:\\").back(), "add C:\\Games\\ RPG_RT.lmt");
}

TEST(Walk, StartFolderThatCannotBeEnteredFindsNothing) {
    MemoryFileSystem fs;
    fs.file("C:\\Games\\RPG_RT.lmt");
    fs.file("C:\\Games\\Sub\\RPG_RT.lmt");
    EXPECT_TRUE(walk(fs, "").empty());
    EXPECT_TRUE(walk(fs, "C:\\Missing").empty());
    EXPECT_TRUE(walk(fs, "C:\\Games\\RPG_RT.lmt").empty());
    fs.noEntry = {"C:\\Games"};
    EXPECT_TRUE(walk(fs, "C:\\Games").empty());
    // A relative start folder without a working folder.
    EXPECT_TRUE(walk(fs, "Games").empty());
}

TEST(Walk, RefusedFoldersAndListings) {
    MemoryFileSystem fs;
    fs.file("C:\\S\\Locked\\RPG_RT.lmt");
    fs.file("C:\\S\\Locked\\In\\RPG_RT.lmt");
    fs.file("C:\\S\\Blind\\RPG_RT.lmt");
    fs.file("C:\\S\\Blind\\In\\RPG_RT.lmt");
    fs.noEntry = {"C:\\S\\Locked"};
    fs.noListing = {"C:\\S\\Blind"};
    // Not entered: neither reported nor tested. Not listed: reported, tested, nothing below.
    EXPECT_EQ(walk(fs, "C:\\S"),
              (std::vector<std::string>{"show C:\\S\\Blind\\", "add C:\\S\\Blind\\ RPG_RT.lmt"}));
}

TEST(Walk, FolderOnThePathIsNotEnteredAgain) {
    MemoryFileSystem fs;
    fs.file("C:\\S\\A\\RPG_RT.lmt");
    fs.folder("C:\\S\\A\\B");
    fs.file("C:\\S\\Other\\ToA\\RPG_RT.lmt");
    // B and ToA lead to A, S\Up to S, S\Root to the drive root above it.
    fs.folder("C:\\S\\Up").folder("C:\\S\\Root");
    fs.links = {{"C:\\S\\A\\B", "C:\\S\\A"},
                {"C:\\S\\Other\\ToA", "C:\\S\\A"},
                {"C:\\S\\Up", "C:\\S"},
                {"C:\\S\\Root", "C:\\"}};
    // A link to a folder not on the path is walked like any folder.
    EXPECT_EQ(walk(fs, "C:\\S"), (std::vector<std::string>{
                                     "show C:\\S\\A\\",
                                     "add C:\\S\\A\\ RPG_RT.lmt",
                                     "show C:\\S\\Other\\",
                                     "show C:\\S\\Other\\ToA\\",
                                     "add C:\\S\\Other\\ToA\\ RPG_RT.lmt",
                                 }));
}

TEST(Walk, CancellationIsSeenOnlyOnTheWayIntoAFolder) {
    MemoryFileSystem fs;
    fs.file("C:\\S\\RPG_RT.lmt");
    fs.file("C:\\S\\A\\RPG_RT.lmt");
    fs.file("C:\\S\\A\\B\\RPG_RT.lmt");
    fs.file("C:\\S\\A\\B\\C\\RPG_RT.lmt");
    fs.file("C:\\S\\A\\B\\notes.txt");
    fs.file("C:\\S\\A\\B2\\RPG_RT.lmt");
    fs.file("C:\\S\\Z\\RPG_RT.lmt");

    // Cancelled in the leaf C: C and B have no further subfolder and still add; A's next
    // subfolder B2 is not entered, and neither A nor S is tested.
    {
        ScanRecorder host(fs);
        host.onShow = [&](const std::string& f) { host.cancel = f == "C:\\S\\A\\B\\C\\"; };
        walkFolders(fs, "C:\\S", kBothMarkers, host);
        EXPECT_EQ(host.events, (std::vector<std::string>{
                                   "show C:\\S\\A\\",
                                   "show C:\\S\\A\\B\\",
                                   "show C:\\S\\A\\B\\C\\",
                                   "add C:\\S\\A\\B\\C\\ RPG_RT.lmt",
                                   "add C:\\S\\A\\B\\ RPG_RT.lmt",
                               }));
        // Once per subfolder tried: A, B, C, B2.
        EXPECT_EQ(host.terminatedReads, 4);
    }
    // Cancelled in B, which has a subfolder still to enter: nothing more happens.
    {
        ScanRecorder host(fs);
        host.onShow = [&](const std::string& f) { host.cancel = f == "C:\\S\\A\\B\\"; };
        walkFolders(fs, "C:\\S", kBothMarkers, host);
        EXPECT_EQ(host.events, (std::vector<std::string>{"show C:\\S\\A\\", "show C:\\S\\A\\B\\"}));
    }
    // Cancelled in the last folder: the walk ends as if it had not been cancelled.
    {
        ScanRecorder host(fs);
        host.onShow = [&](const std::string& f) { host.cancel = f == "C:\\S\\Z\\"; };
        walkFolders(fs, "C:\\S", kBothMarkers, host);
        ASSERT_GE(host.events.size(), 2u);
        EXPECT_EQ(host.events[host.events.size() - 2], "add C:\\S\\Z\\ RPG_RT.lmt");
        EXPECT_EQ(host.events.back(), "add C:\\S\\ RPG_RT.lmt");
    }
}

TEST(Walk, AFailedHandOverEndsTheWalk) {
    MemoryFileSystem fs;
    fs.file("C:\\S\\A\\RPG_RT.lmt");
    fs.file("C:\\S\\A\\RPG_RT.ini", "GameTitle=x");
    fs.unreadable = {"C:\\S\\A\\RPG_RT.ini"};
    fs.file("C:\\S\\A\\GAME.EXE");
    fs.file("C:\\S\\A\\a.rpg");
    fs.file("C:\\S\\RPG_RT.lmt");
    Catalogue catalogue;
    catalogue.selectFolder(catalogue.addFolder(nullptr, "f"));
    ScanRecorder host(fs);
    host.catalogue = &catalogue;
    EXPECT_THROW(walkFolders(fs, "C:\\S", kBothMarkers, host), AppError);
    EXPECT_EQ(host.events.back(), "add C:\\S\\A\\ RPG_RT.lmt");
    EXPECT_EQ(catalogue.rowCount(), 0);
}

TEST_F(CatalogueFixture, BothMarkersInOneFolder) {
    fs.file("C:\\G\\RPG_RT.lmt");
    fs.file("C:\\G\\RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Hero's Tale\r\n");
    fs.file("C:\\G\\GAME.EXE");
    fs.file("C:\\G\\Hero.rpg");
    search("C:\\G", false);
    EXPECT_EQ(rows(), (std::vector<ProjectItem>{{"C:\\G\\", "Hero's Tale", pk2000},
                                                {"C:\\G\\", "Hero", pk95}}));
    catalogue.clearSelectedFolder();
    search("C:\\G", true);
    EXPECT_EQ(rows(), (std::vector<ProjectItem>{{"C:\\G\\", "Hero's Tale", pk2000}}));
}

TEST_F(CatalogueFixture, DuplicateCheckAgainstTheSelectedFolderOnly) {
    fs.file("C:\\Games\\Hero\\RPG_RT.lmt");
    fs.file("C:\\Games\\Other\\RPG_RT.lmt");
    TreeNode* selected = catalogue.selected();
    TreeNode* elsewhere = catalogue.addFolder(nullptr, "elsewhere");
    catalogue.appendItems(elsewhere, {{"C:\\Games\\Other\\", "t", pk2000}});
    catalogue.selectFolder(selected);
    catalogue.addFoundItem("c:\\games\\hero\\", "old", pk2000);
    search("C:\\Games", true);
    EXPECT_EQ(rows(), (std::vector<ProjectItem>{
                          {"c:\\games\\hero\\", "old", pk2000},
                          {"C:\\Games\\Other\\", sj("設定ファイルがありません"), pk2000}}));
}

// Control bytes in a settings file's title and an "*.RPG" name are stored as blanks; a
// project whose folder cannot be named without its control byte is left out.
TEST_F(CatalogueFixture, ControlBytesFoundKeepTheCatalogueFileWhole) {
    fs.file("C:\\S\\Odd\\RPG_RT.lmt");
    fs.file("C:\\S\\Odd\\RPG_RT.ini", "GameTitle=Odd\x1D\x1E\r\n");
    fs.file("C:\\S\\Old\\GAME.EXE");
    fs.file("C:\\S\\Old\\A\x1C\x1E"
            "B.RPG");
    fs.file("C:\\S\\Bad\x1D\\RPG_RT.lmt");
    search("C:\\S", false);
    const std::vector<ProjectItem> cleaned = {{"C:\\S\\Odd\\", "Odd  ", pk2000},
                                              {"C:\\S\\Old\\", "A  B", pk95}};
    EXPECT_EQ(rows(), cleaned);
    FolderTree back;
    ASSERT_EQ(parseCatalogue(serializeCatalogue(catalogue.tree()), back), CatalogueParse::ok);
    EXPECT_EQ(back.root()->folder.items.size(), 2u);
}

TEST(DuplicateCheck, LettersFoldedButNoTrailByte) {
    Catalogue catalogue;
    catalogue.selectFolder(catalogue.addFolder(nullptr, "f"));
    // 0x83 0x41 and 0x83 0x61 differ only in a trail byte that looks like "A" and "a".
    const std::string a = "C:\\x\x83\x41\\";
    const std::string lower = "c:\\X\x83\x61\\";
    catalogue.addFoundItem(a, "t", pk2000);
    DuplicateCheck dup(catalogue);
    EXPECT_TRUE(dup.contains("c:\\X\x83\x41\\"));
    EXPECT_FALSE(dup.contains(lower));
    EXPECT_EQ(dup.contains(lower), pathtext::sameName(a, lower));
    EXPECT_FALSE(dup.contains("C:\\x\x83\x41"));
    dup.add(lower);
    EXPECT_TRUE(dup.contains("C:\\x\x83\x61\\"));
}

// Quadratic would be 10^10 comparisons and overrun the time limit by far.
TEST(DuplicateCheck, HundredThousandRowsAndChecks) {
    Catalogue catalogue;
    TreeNode* node = catalogue.addFolder(nullptr, "f");
    std::vector<ProjectItem> items;
    for (int i = 0; i < 100000; ++i)
        items.push_back({"C:\\Games\\Project" + std::to_string(i) + "\\", "t", pk2000});
    catalogue.appendItems(node, items);
    catalogue.selectFolder(node);
    ASSERT_EQ(catalogue.rowCount(), 100000);
    DuplicateCheck dup(catalogue);
    int found = 0;
    for (int i = 0; i < 100000; ++i) {
        found += dup.contains("c:\\games\\project" + std::to_string(i) + "\\");
        dup.add("C:\\New\\" + std::to_string(i) + "\\");
    }
    EXPECT_EQ(found, 100000);
    EXPECT_TRUE(dup.contains("c:\\new\\99999\\"));
    EXPECT_FALSE(dup.contains("C:\\New\\100000\\"));
}

TEST(Recognize, TitleFromTheSettingsFile) {
    const struct {
        const char* ini; // null: no file
        std::string title;
    } cases[] = {
        {"[RPG_RT]\r\nGameTitle=Hero\r\n", "Hero"},
        {"gametitle=My Game\n", "My Game"},
        {"GameTitle=\r\nGameTitle=Second", ""},
        {" GameTitle=Blank\r\n", sj("タイトルがありません")},
        {"GameTitle\r\nTitle=x\r\nGameTitle =x", sj("タイトルがありません")},
        {"", sj("タイトルがありません")},
        {"A=1\rGAMETITLE= a=b \rGameTitle=no", " a=b "},
        {"x=1\n\nGameTitle=\x83\x5C\x82\xA0", "\x83\x5C\x82\xA0"},
        {nullptr, sj("設定ファイルがありません")},
    };
    for (const auto& c : cases) {
        MemoryFileSystem fs;
        fs.file("C:\\P\\RPG_RT.lmt");
        if (c.ini)
            fs.file("C:\\P\\rpg_rt.INI", c.ini);
        const auto item = recognizeProject(fs, "C:\\P\\", "RPG_RT.lmt", nullptr);
        ASSERT_TRUE(item) << (c.ini ? c.ini : "(none)");
        EXPECT_EQ(*item, (ProjectItem{"C:\\P\\", c.title, pk2000})) << (c.ini ? c.ini : "(none)");
    }
}

TEST(Recognize, UnreadableSettingsFileIsAnError) {
    MemoryFileSystem fs;
    fs.file("C:\\P\\RPG_RT.ini", "GameTitle=x");
    fs.unreadable = {"C:\\P\\RPG_RT.ini"};
    EXPECT_THROW(recognizeProject(fs, "C:\\P\\", "RPG_RT.lmt", nullptr), AppError);
    // A folder of that name is no settings file.
    MemoryFileSystem folder;
    folder.folder("C:\\P\\RPG_RT.ini");
    EXPECT_EQ(recognizeProject(folder, "C:\\P\\", "RPG_RT.lmt", nullptr)->title,
              sj("設定ファイルがありません"));
}

TEST(Recognize, RpgTsukuru95TitleFromTheFirstRpgEntry) {
    const struct {
        std::vector<std::string> files, folders;
        std::optional<std::string> title;
    } cases[] = {
        {{"GAME.EXE", "Hero.rpg"}, {}, "Hero"},
        {{"GAME.EXE", "readme.txt", "My.Game.RPG", "Other.RPG"}, {}, "My.Game"},
        {{"GAME.EXE", ".rPg"}, {}, ""},
        {{"GAME.EXE", "x.rpg.bak", "x.rpgx"}, {}, std::nullopt},
        {{"GAME.EXE"}, {}, std::nullopt},
        {{"GAME.EXE"}, {"Data.RPG"}, "Data"},
    };
    for (const auto& c : cases) {
        MemoryFileSystem fs;
        for (const auto& f : c.files)
            fs.file("C:\\P\\" + f);
        for (const auto& f : c.folders)
            fs.folder("C:\\P\\" + f);
        const auto item = recognizeProject(fs, "C:\\P\\", "GAME.EXE", nullptr);
        ASSERT_EQ(item.has_value(), c.title.has_value()) << c.files.back();
        if (item) {
            EXPECT_EQ(*item, (ProjectItem{"C:\\P\\", *c.title, pk95})) << c.files.back();
        }
    }
}

TEST(Recognize, DuplicateCheckedBeforeTheKind) {
    MemoryFileSystem fs;
    fs.file("C:\\P\\GAME.EXE");
    fs.file("C:\\P\\x.rpg");
    Catalogue catalogue;
    catalogue.selectFolder(catalogue.addFolder(nullptr, "f"));
    catalogue.addFoundItem("c:\\p\\", "t", pk2000);
    const DuplicateCheck dup(catalogue);
    EXPECT_FALSE(recognizeProject(fs, "C:\\P\\", "GAME.EXE", &dup));
    EXPECT_FALSE(recognizeProject(fs, "C:\\P\\", "RPG_RT.lmt", &dup));
    EXPECT_TRUE(recognizeProject(fs, "C:\\P\\", "GAME.EXE", nullptr));
}
