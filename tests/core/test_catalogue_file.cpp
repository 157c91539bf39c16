#include "catalogue/CatalogueFile.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "support/CatalogueTree.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <random>
#include <thread>

namespace tavrin {
namespace {

// What a failed load adds to its message: where the file it could not read will be kept.
std::string keptAs(const std::string& backup) {
    return sj("元のファイルは、終了するときに ") + backup + sj(" として残します。");
}

using test::CatalogueTree;
using test::le32;
using test::MemoryFileSystem;
using test::ScriptedDialogs;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

std::string file(char version, const std::string& treeBlock, const std::string& itemsBlock) {
    return test::catalogueFile(treeBlock, itemsBlock, version);
}

// "name/child" outline of the tree with each folder's items.
std::string describe(const FolderTree& tree) {
    std::string out;
    tree.forEachPreOrder([&out](TreeNode& n, int depth) {
        out += std::string(static_cast<std::size_t>(depth), '>') + n.name + "[";
        for (const auto& i : n.folder.items) {
            out += i.path + "|" + i.title + "|" + std::to_string(int(i.kind)) + ";";
        }
        out += "]";
    });
    return out;
}

const std::string kPath = "Z:\\app\\data.ixo";

struct Fixture {
    MemoryFileSystem fs;
    ScriptedDialogs dialogs;
    Catalogue catalogue;
    CatalogueFile store{fs, dialogs, kPath};
};

TEST(CatalogueFileTest, DefaultTreeIsWrittenAsTheKnown28Bytes) {
    Fixture f;
    f.store.load(f.catalogue);
    EXPECT_EQ(f.catalogue.selected()->name, "RPG");
    EXPECT_TRUE(f.dialogs.shown.empty());
    f.store.write(f.catalogue);
    EXPECT_EQ(f.fs.files[kPath], bytes({0x49, 0x78, 0x4F, 0x09, 0x0E, 0,    0,    0,    0x54, 0x61,
                                        0x76, 0x72, 0x69, 0x6E, 0x0A, 0x0D, 0x0B, 0x52, 0x50, 0x47,
                                        0x0A, 0x0D, 0x02, 0,    0,    0,    0x1E, 0x1E}));
}

TEST(CatalogueFileTest, TreeBlockMapsLevelsAndLineEnds) {
    Catalogue c;
    CatalogueTree({"R", ">A", ">>B", ">C"}).addTo(c);
    const std::string stored = "R\n\r\vA\n\r\v\vB\n\r\vC\n\r";
    EXPECT_EQ(treeText(c.tree()), stored);

    FolderTree back;
    readTreeText(back, stored);
    EXPECT_EQ(describe(back), "R[]>A[]>>B[]>C[]");
}

TEST(CatalogueFileTest, OutlineLineBreaksAndLevels) {
    struct Row {
        std::string stored; // before the reader's mapping
        std::string tree;   // or "invalid"
    };
    const std::vector<Row> rows = {
        {"R", "R[]"},                                  // final line without a break
        {"R\n\r\vA", "R[]>A[]"},                       // CR LF pair is one break
        {"R\r\vA\n\vB", "R[]>A[]>B[]"},                // lone LF and lone CR break too
        {"R\n\r\n\r\vA", "R[][]>A[]"},                 // an empty line is a folder
        {"R\n\r\v\vA", "invalid"},                     // one level skipped
        {"R\n\r\v\v\vA", "invalid"},                   // two levels deeper
        {"\vR\n\rA", "invalid"},                       // climbs above the first line
        {"R\n\r\vA\n\r\v\vB\n\rC", "R[]>A[]>>B[]C[]"}, // back to the top level
        {"R\n\r\v A", "R[]> A[]"},                     // a leading blank belongs to the name
    };
    for (const auto& r : rows) {
        FolderTree tree;
        std::string got;
        try {
            readTreeText(tree, r.stored);
            got = describe(tree);
        } catch (const CatalogueFormatError&) {
            got = "invalid";
        }
        EXPECT_EQ(got, r.tree) << "stored: " << r.stored;
    }
}

TEST(CatalogueFileTest, RichCatalogueIsWrittenBackByteForByte) {
    Catalogue c;
    const auto folders =
        CatalogueTree({"Tavrin", sj(">ゲーム表"), sj(">> 作りかけ"), ">>>Level3", ">Empty"})
            .addTo(c);
    TreeNode* const games = folders[1];
    TreeNode* const deep = folders[2];
    c.selectFolder(games);
    c.addFoundItem(sj("C:\\ゲーム\\表\\"), sj("ソード"), pk2000);
    c.addFoundItem("C:\\Old\\", sj("ツクール95作品"), pk95);
    c.insertPastedItem("D:\\Pasted\\", "Pasted", -1);
    c.selectFolder(deep);
    c.addFoundItem("E:\\x\\", "", pk2000);

    const std::string saved = serializeCatalogue(c.tree());
    FolderTree back;
    ASSERT_EQ(parseCatalogue(saved, back), CatalogueParse::ok);
    EXPECT_EQ(describe(back), describe(c.tree()));
    EXPECT_EQ(serializeCatalogue(back), saved);
    // Kind 0 is stored with an empty kind field.
    EXPECT_NE(saved.find("D:\\Pasted\\\x1CPasted\x1C\x1D"), std::string::npos);
}

TEST(CatalogueFileTest, StorableTextsSurviveAWriteAndARead) {
    Catalogue c;
    TreeNode* root = c.addFolder(nullptr, "R");
    c.addFolder(root, storableText("\tA\r\nB"));
    c.selectFolder(root);
    c.addFoundItem(storableText("P\x1C\x1DQ"), storableText(sj("表\x1E")), pk2000);
    FolderTree back;
    ASSERT_EQ(parseCatalogue(serializeCatalogue(c.tree()), back), CatalogueParse::ok);
    EXPECT_EQ(describe(back), describe(c.tree()));
    EXPECT_EQ(storableText(sj("表ソ")), sj("表ソ")); // trail bytes 0x5C are no control bytes

    // Raw texts through every way in, and kind bytes that would end a record or a group.
    const std::string raw("a\x1C\x1D\x1E\0\r\n\tb", 9);
    const std::string item = "a       b|a       b|";
    Catalogue d;
    TreeNode* top = d.addFolder(nullptr, "R\r\n");
    TreeNode* other = d.addFolder(top, "O");
    d.selectFolder(top);
    d.addFoundItem(raw, raw, pk2000);
    d.insertPastedItem(raw, raw, 0);
    d.insertItem(1, {raw, raw, static_cast<ProjectKind>(0x1D)});
    d.appendItems(other, {{raw, raw, static_cast<ProjectKind>(0x1E)}});
    d.renameFolder(other, raw);
    FolderTree again;
    ASSERT_EQ(parseCatalogue(serializeCatalogue(d.tree()), again), CatalogueParse::ok);
    EXPECT_EQ(describe(again),
              "R  [" + item + "0;" + item + "0;" + item + "1;]>a       b[" + item + "0;]");
}

// Up to a dozen bytes of any value, control bytes and CP932 lead bytes often.
std::string arbitraryBytes(std::mt19937& rng) {
    std::string out(rng() % 13, '\0');
    for (char& c : out) {
        const auto r = rng();
        c = static_cast<char>(r % 3 == 0 ? (r / 3) % 0x20 : r % 4 == 1 ? 0x81 : (r / 3) % 0x100);
    }
    return out;
}

struct Folder {
    int depth;
    std::string name;
    std::vector<ProjectItem> items;
};

std::vector<Folder> foldersOf(const FolderTree& tree) {
    std::vector<Folder> out;
    tree.forEachPreOrder([&out](TreeNode& n, int depth) {
        out.push_back({depth, n.name, {n.folder.items.begin(), n.folder.items.end()}});
    });
    return out;
}

// Found items and folder names of any bytes, through the entries a search and a rename use,
// then a close and the next start: every folder keeps its place, its name and its items, the
// new texts cleaned as storableText cleans them.
TEST(CatalogueFileTest, TextsOfAnyBytesNeverBreakTheFileAcrossACloseAndAStart) {
    Fixture f;
    f.store.load(f.catalogue);
    TreeNode* rpg = f.catalogue.selected();
    f.catalogue.addFolder(f.catalogue.addFolder(rpg, "A"), "B");
    f.catalogue.addFolder(rpg, "C");
    f.catalogue.addFolder(nullptr, "Top");
    std::mt19937 rng(1729);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const auto nodes = f.catalogue.tree().preOrder();
        std::vector<Folder> expected = foldersOf(f.catalogue.tree());
        if (round % 4 == 0) {
            const std::size_t renamed = rng() % nodes.size();
            const std::string name = arbitraryBytes(rng);
            f.catalogue.renameFolder(nodes[renamed], name);
            expected[renamed].name = storableText(name);
        }
        const std::size_t target = rng() % nodes.size();
        f.catalogue.selectFolder(nodes[target]);
        for (int n = static_cast<int>(rng() % 4); n > 0; --n) {
            const std::string path = arbitraryBytes(rng);
            const std::string title = arbitraryBytes(rng);
            const auto kind = static_cast<ProjectKind>(static_cast<std::int8_t>(rng() % 0x100));
            f.catalogue.addFoundItem(path, title, kind);
            // A kind byte that ends a record or a group is dropped.
            const bool framing = kind == 0x1D || kind == 0x1E;
            expected[target].items.push_back(
                {storableText(path), storableText(title), framing ? pkNone : kind});
        }
        f.store.write(f.catalogue);
        f.store.load(f.catalogue);
        ASSERT_TRUE(f.dialogs.shown.empty());
        const std::vector<Folder> read = foldersOf(f.catalogue.tree());
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].depth, expected[i].depth) << i;
            EXPECT_EQ(read[i].name, expected[i].name) << i;
            EXPECT_EQ(read[i].items, expected[i].items) << i;
        }
    }
    std::size_t items = 0;
    for (const Folder& folder : foldersOf(f.catalogue.tree())) {
        items += folder.items.size();
    }
    EXPECT_GT(items, 400u);
}

TEST(CatalogueFileTest, OlderRecordsTakeTheirKindFromTheTitle) {
    const std::string tree = "Tavrin\n\r\vRPG\n\r";
    const std::string items = "\x1E"
                              "A\\\x1C" +
                              sj("ツクール95作品") +
                              "\x1D"
                              "B\\\x1CHero\x1D" +
                              "C\\\x1C" + sj("ツクール95作品 ") + "\x1D\x1E";
    FolderTree v8;
    FolderTree v9;
    ASSERT_EQ(parseCatalogue(file(8, tree, items), v8), CatalogueParse::ok);
    ASSERT_EQ(parseCatalogue(file(9, tree, items), v9), CatalogueParse::ok);
    EXPECT_EQ(describe(v8), describe(v9));
    const auto& got = v8.nodeAt(1)->folder.items;
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, pk95);
    EXPECT_EQ(got[1].kind, pk2000);
    EXPECT_EQ(got[2].kind, pk2000);

    const std::string again = serializeCatalogue(v8);
    EXPECT_EQ(again[3], 9);
    EXPECT_NE(again.find("B\\\x1CHero\x1C\x01\x1D"), std::string::npos);
    EXPECT_NE(again.find("A\\\x1C" + sj("ツクール95作品") + "\x1C\x02\x1D"), std::string::npos);
}

TEST(CatalogueFileTest, BlocksEndAtTheirFirstZeroByteAndExtraKindBytesAreIgnored) {
    const std::string tree = std::string("R\n\r\0junk", 8);
    const std::string items = std::string("P\x1CT\x1C\x02xyz\x1D\x1E\0\x1E", 12);
    FolderTree t;
    ASSERT_EQ(parseCatalogue(file(9, tree, items), t), CatalogueParse::ok);
    EXPECT_EQ(describe(t), "R[P|T|2;]");
}

TEST(CatalogueFileTest, DamagedFilesGiveTheirMessageAndAnEmptyTree) {
    const std::string tree = "R\n\r\vA\n\r";
    const std::string good = file(9, tree, "\x1E\x1E");
    struct Row {
        std::string name;
        std::string bytes;
        std::string message;
    };
    const std::string badId = sj("ファイル識別子が不正です。\n");
    const std::string bad = sj("ファイルが不正です。\n");
    const std::vector<Row> rows = {
        {"wrong magic", "IXO\x09" + good.substr(4), badId},
        {"two bytes", "Ix", badId},
        {"empty", "", badId},
        {"no version", "IxO", bad},
        {"version 7", file(7, tree, "\x1E\x1E"), bad},
        {"version 10", file(10, tree, "\x1E\x1E"), bad},
        {"tree length past the end", good.substr(0, 10), bad},
        {"no items length", good.substr(0, 8 + tree.size() + 2), bad},
        {"items length past the end", good.substr(0, good.size() - 1), bad},
        {"huge tree length", std::string("IxO\x09\xFF\xFF\xFF\xFF", 8) + tree, bad},
        {"outline skips a level", file(9, "R\n\r\v\vA", "\x1E\x1E"), bad},
        {"missing group end", file(9, tree, "\x1E"), bad},
        {"record without separator",
         file(9, tree,
              "\x1E"
              "P\x1D\x1E"),
         bad},
        {"group without record end",
         file(9, tree,
              "\x1E"
              "P\x1CT\x1E"),
         bad},
        {"stray bytes after record", file(9, tree, "P\x1CT\x1Dzz\x1E\x1E"), bad},
    };
    for (const auto& r : rows) {
        Fixture f;
        f.fs.files[kPath] = r.bytes;
        f.store.load(f.catalogue);
        ASSERT_EQ(f.dialogs.shown.size(), 1u) << r.name;
        EXPECT_EQ(f.dialogs.shown[0].text, r.message + keptAs(kPath + ".bak")) << r.name;
        EXPECT_EQ(f.dialogs.shown[0].caption, "Tavrin") << r.name;
        EXPECT_TRUE(f.catalogue.tree().empty()) << r.name;
        EXPECT_EQ(f.catalogue.selected(), nullptr) << r.name;
        EXPECT_TRUE(f.store.keepsUnreadable()) << r.name;
    }
}

TEST(CatalogueFileTest, LoadSelectsTheSecondFolderAndSetsIcons) {
    struct Row {
        std::string tree, groups, selected;
    };
    const std::vector<Row> rows = {
        {"Only\n\r", "\x1E", "Only"},
        {"R\n\r\vA\n\r\v\vB\n\r", "\x1E\x1E\x1E", "A"},
        {"R\n\rS\n\r", "\x1E\x1E", "S"}, // two top-level folders
    };
    for (const auto& r : rows) {
        Fixture f;
        f.fs.files[kPath] = file(9, r.tree, r.groups);
        f.store.load(f.catalogue);
        ASSERT_NE(f.catalogue.selected(), nullptr);
        EXPECT_EQ(f.catalogue.selected()->name, r.selected);
        TreeNode* root = f.catalogue.tree().root();
        EXPECT_EQ(root->imageIndex, tiProgram);
        EXPECT_EQ(root->selectedIndex, tiProgram);
        EXPECT_TRUE(root->expanded);
        for (TreeNode* n : f.catalogue.tree().preOrder()) {
            if (n != root) {
                EXPECT_EQ(n->imageIndex, tiClosedFolder);
                EXPECT_EQ(n->selectedIndex, tiOpenFolder);
            }
        }
    }
}

TEST(CatalogueFileTest, UnreadableFileIsKeptAsideBeforeTheNextWrite) {
    Fixture f;
    const std::string damaged = "IxO\x09garbage";
    f.fs.files[kPath] = damaged;
    f.fs.files[kPath + ".bak"] = "older backup";
    f.store.load(f.catalogue);
    f.store.write(f.catalogue);
    EXPECT_EQ(f.fs.files[kPath + ".bak"], "older backup");
    EXPECT_EQ(f.fs.files[kPath + ".bak2"], damaged);
    EXPECT_EQ(f.fs.files[kPath], file(9, "", ""));
    // Kept once: a second write replaces the new file only.
    f.store.write(f.catalogue);
    EXPECT_EQ(f.fs.files.size(), 3u);
}

TEST(CatalogueFileTest, FileThatVanishedOrCannotBeOpenedIsReported) {
    Fixture f;
    f.store.read(f.catalogue);
    ASSERT_EQ(f.dialogs.shown.size(), 1u);
    EXPECT_EQ(f.dialogs.shown[0].text, sj("ファイルが存在しません。\n") + keptAs(kPath + ".bak"));

    Fixture g;
    g.fs.files[kPath] = file(9, "R\n\r", "\x1E");
    g.fs.unreadable.push_back(kPath);
    g.store.load(g.catalogue);
    ASSERT_EQ(g.dialogs.shown.size(), 1u);
    EXPECT_EQ(g.dialogs.shown[0].text,
              sj("ファイル Z:\\app\\data.ixo を開けません\n") + keptAs(kPath + ".bak"));
    EXPECT_TRUE(g.store.keepsUnreadable());
}

// A catalogue read ahead on its own thread through its own file system stands in for the window's
// read of the same path, once; anything else is read as it always was.
TEST(CatalogueFileTest, ReadAheadStandsInForTheReadOfItsOwnPathOnce) {
    Catalogue rich;
    const auto folders =
        CatalogueTree({"Tavrin", sj(">ゲーム表"), ">>Deep", ">>>Level3", "Second top"}).addTo(rich);
    rich.selectFolder(folders[1]);
    rich.addFoundItem(sj("C:\\ゲーム\\表\\"), sj("ソード"), pk2000);
    rich.addFoundItem("C:\\Old\\", sj("ツクール95作品"), pk95);
    const std::string ahead = serializeCatalogue(rich.tree());
    const std::string own = file(9, "Own\n\r", "\x1E");
    const auto aheadOf = [&](const std::string& path, std::optional<std::string> bytes) {
        auto fs = std::make_shared<MemoryFileSystem>();
        if (bytes)
            fs->files[path] = *bytes;
        return std::make_unique<CatalogueReadAhead>(fs, path);
    };

    {
        Fixture f;
        f.fs.files[kPath] = own;
        auto readAhead = aheadOf(kPath, ahead);
        f.store.load(f.catalogue, readAhead.get());
        EXPECT_TRUE(f.dialogs.shown.empty());
        const FolderTree& tree = f.catalogue.tree();
        EXPECT_EQ(describe(tree), describe(rich.tree()));
        // The nodes made on the other thread know their places in this tree.
        ASSERT_EQ(tree.topLevelCount(), 2);
        EXPECT_EQ(tree.parentOf(tree.root()), nullptr);
        EXPECT_EQ(tree.parentOf(tree.topLevel(1)), nullptr);
        EXPECT_EQ(tree.parentOf(tree.root()->child(0)), tree.root());
        EXPECT_EQ(tree.indexOf(tree.topLevel(1)), 4);
        EXPECT_EQ(f.catalogue.selected(), tree.root()->child(0));
        f.store.write(f.catalogue);
        EXPECT_EQ(f.fs.files[kPath], ahead);
        // Given once: a later read is the window's own.
        f.fs.files[kPath] = own;
        f.store.read(f.catalogue, readAhead.get());
        EXPECT_EQ(f.catalogue.tree().root()->name, "Own");
    }
    {
        SCOPED_TRACE("read ahead for another path");
        Fixture f;
        f.fs.files[kPath] = own;
        auto readAhead = aheadOf("Z:\\elsewhere\\data.ixo", ahead);
        f.store.load(f.catalogue, readAhead.get());
        EXPECT_EQ(f.catalogue.tree().root()->name, "Own");
    }
    {
        SCOPED_TRACE("nothing could be read ahead");
        Fixture f;
        f.fs.files[kPath] = own;
        auto readAhead = aheadOf(kPath, std::nullopt);
        f.store.load(f.catalogue, readAhead.get());
        EXPECT_TRUE(f.dialogs.shown.empty());
        EXPECT_EQ(f.catalogue.tree().root()->name, "Own");
    }
    {
        SCOPED_TRACE("a damaged file read ahead");
        Fixture f;
        f.fs.files[kPath] = own;
        auto readAhead = aheadOf(kPath, ahead.substr(0, ahead.size() - 1));
        f.store.load(f.catalogue, readAhead.get());
        ASSERT_EQ(f.dialogs.shown.size(), 1u);
        EXPECT_EQ(f.dialogs.shown[0].text, sj("ファイルが不正です。\n") + keptAs(kPath + ".bak"));
        EXPECT_TRUE(f.catalogue.tree().empty());
        EXPECT_TRUE(f.store.keepsUnreadable());
    }
    {
        SCOPED_TRACE("a file refused on the other thread, and one refused by the window's read");
        for (const bool ahead : {true, false}) {
            Fixture f;
            f.fs.files[kPath] = own;
            f.fs.files[kPath + ".bak"] = "older";
            auto refusing = std::make_shared<MemoryFileSystem>();
            refusing->files[kPath] = own;
            refusing->refused.push_back(kPath);
            if (!ahead)
                f.fs.refused.push_back(kPath);
            CatalogueReadAhead readAhead(refusing, ahead ? kPath : "Z:\\other");
            f.store.load(f.catalogue, &readAhead);
            ASSERT_EQ(f.dialogs.shown.size(), 1u);
            EXPECT_NE(f.dialogs.shown[0].text.find(keptAs(kPath + ".bak2")), std::string::npos);
            EXPECT_TRUE(f.catalogue.tree().empty());
            f.store.write(f.catalogue);
            EXPECT_EQ(f.fs.files[kPath + ".bak2"], own);
            EXPECT_EQ(f.fs.files[kPath + ".bak"], "older");
        }
    }
}

// A file system that maps its files: the held bytes stay the test's to change, and tell when
// nothing holds them any more.
class MappingFileSystem : public MemoryFileSystem {
public:
    std::shared_ptr<std::string> held;
    bool released = false;
    bool unchanged = true;

    std::optional<HeldFile> holdFile(const std::string& path, std::uint64_t) override {
        held = std::make_shared<std::string>(files.at(path));
        std::shared_ptr<const void> owner(held.get(), [this, keep = held](const void*) mutable {
            released = true;
            keep.reset();
        });
        return HeldFile{owner, *held, true, [this] { return unchanged; }};
    }
};

// A catalogue parsed in a mapped file keeps its records there only until they are copied, so
// the file may then change or go; a folder whose bytes changed before the copy is left empty
// rather than misread.
TEST(CatalogueFileTest, RecordsLeaveTheMappedFileOnceCopied) {
    Catalogue rich;
    const auto folders = CatalogueTree({"Tavrin", sj(">ゲーム表"), "Second"}).addTo(rich);
    rich.selectFolder(folders[1]);
    rich.addFoundItem(sj("C:\\ゲーム\\表\\"), sj("ソード"), pk2000);
    rich.selectFolder(folders[2]);
    rich.addFoundItem("C:\\Old\\", sj("ツクール95作品"), pk95);
    const std::string bytes = serializeCatalogue(rich.tree());

    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "changed before the copy" : "unchanged");
        auto fs = std::make_shared<MappingFileSystem>();
        fs->files[kPath] = bytes;
        Fixture f;
        f.fs.files[kPath] = bytes;
        {
            CatalogueReadAhead readAhead(fs, kPath);
            f.store.load(f.catalogue, &readAhead);
        }
        if (changed) {
            fs->unchanged = false;
            std::string& held = *fs->held;
            held[held.find("C:\\Old\\") + 7] = 'x';
        }
        while (!f.store.settle(f.catalogue, false)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(fs->released);
        const FolderTree& tree = f.catalogue.tree();
        if (!changed) {
            EXPECT_EQ(describe(tree), describe(rich.tree()));
        }
        ASSERT_EQ(tree.root()->child(0)->folder.items.size(), 1u);
        EXPECT_EQ(tree.root()->child(0)->folder.items[0].title, sj("ソード"));
        EXPECT_EQ(tree.topLevel(1)->folder.items.size(), changed ? 0u : 1u);
        f.store.write(f.catalogue);
        if (!changed) {
            EXPECT_EQ(f.fs.files[kPath], bytes);
        }
    }
}

TEST(CatalogueFileTest, FailedWriteRaisesTheMessageAndKeepsTheOldFile) {
    Fixture f;
    const std::string old = file(9, "Old\n\r", "\x1E");
    f.fs.files[kPath] = old;
    f.store.load(f.catalogue);
    f.catalogue.addFoundItem("P\\", "T", pk2000);
    f.fs.failWrites.push_back(kPath);
    EXPECT_EQ(test::errorOf([&] { f.store.write(f.catalogue); }),
              sj("ファイル Z:\\app\\data.ixo を作成できません"));
    EXPECT_EQ(f.fs.files[kPath], old);
    f.fs.failWrites.clear();
    f.store.write(f.catalogue);
    EXPECT_EQ(f.fs.files[kPath], file(9, "Old\n\r", "P\\\x1CT\x1C\x01\x1D\x1E"));
}

// A hostile outline, each line one level deeper than the one before, read at a start, written
// at the close and destroyed, on a stack that a recursion over its depth would overflow. The
// file grows with the square of the depth: 80,000 levels would take 3.2 GB of tabs.
TEST(CatalogueFileTest, DeepOutlineIsReadWrittenAndDestroyedWithoutRecursion) {
    constexpr std::size_t kDepth = 4000;
    std::string tree;
    for (std::size_t level = 0; level < kDepth; ++level) {
        tree += std::string(level, '\v') + "d\n\r";
    }
    const std::string hostile =
        file(9, tree, std::string(kDepth - 1, '\x1E') + "P\x1CT\x1C\x01\x1D\x1E");
    std::size_t folders = 0;
    std::string written;
    ASSERT_TRUE(test::onSmallStack(64 * 1024, [&] {
        Fixture f;
        f.fs.files[kPath] = hostile;
        f.store.load(f.catalogue);
        folders = static_cast<std::size_t>(f.catalogue.tree().nodeCount());
        f.store.write(f.catalogue);
        written = f.fs.files[kPath];
    }));
    EXPECT_EQ(folders, kDepth);
    EXPECT_TRUE(written == hostile);
}

// Every boundary of the layout: each length field reaching exactly to the end of the file,
// one byte short of it and one past it, and a small valid file cut at every byte. A file sits
// in a std::string, so a read one past its end finds a zero byte, and a block one short of the
// end is followed by the group end it lacks: neither may be taken.
TEST(CatalogueFileTest, EveryLengthIsCheckedAtItsExactBoundary) {
    const std::string tree = "R\n\r\vA\n\r";
    const std::string items = "P\x1CT\x1C\x01\x1D\x1EQ\x1CU\x1C\x1D\x1E";
    const auto parsed = [](const std::string& bytes) {
        FolderTree t;
        const CatalogueParse result = parseCatalogue(bytes, t);
        EXPECT_EQ(t.empty(), result != CatalogueParse::ok);
        return result == CatalogueParse::ok ? describe(t) : "refused";
    };
    const std::string head = "IxO\x09";
    struct Row {
        std::string name, bytes, read;
    };
    const std::vector<Row> rows = {
        {"both exact", file(9, tree, items), "R[P|T|1;]>A[Q|U|0;]"},
        {"items one past", head + le32(tree.size()) + tree + le32(items.size() + 1) + items,
         "refused"},
        {"items one short", head + le32(tree.size()) + tree + le32(items.size() - 1) + items,
         "refused"},
        {"tree one past", head + le32(tree.size() + 1) + tree + le32(items.size()) + items,
         "refused"},
        {"tree one short", head + le32(tree.size() - 1) + tree + le32(items.size()) + items,
         "refused"},
        {"tree to the end", head + le32(tree.size()) + tree, "refused"},
        {"tree one past the end", head + le32(tree.size() + 1) + tree, "refused"},
        {"empty items to the end", head + le32(tree.size()) + tree + le32(0), "R[]>A[]"},
        {"items one past the end", head + le32(tree.size()) + tree + le32(1), "refused"},
        {"items length cut short", head + le32(tree.size()) + tree + le32(0).substr(0, 3),
         "refused"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(parsed(r.bytes), r.read) << r.name;
    }
    const std::string valid = rows[0].bytes;
    for (std::size_t n = 0; n < valid.size(); ++n) {
        EXPECT_EQ(parsed(valid.substr(0, n)), "refused") << "cut at " << n;
    }
    // Blocks of every length about the reader's 64-byte steps, the last separator on the
    // block's last byte.
    for (std::size_t size = 60; size <= 132; ++size) {
        const std::string block = "P\x1C" + std::string(size - 5, 't') + "\x1C\x1D\x1E";
        const std::string read = "R[P|" + std::string(size - 5, 't') + "|0;]";
        const std::string lead = head + le32(3) + "R\n\r";
        EXPECT_EQ(parsed(lead + le32(size) + block), read) << size;
        EXPECT_EQ(parsed(lead + le32(size - 1) + block), "refused") << size;
        EXPECT_EQ(parsed(lead + le32(size + 1) + block), "refused") << size;
    }
}

// Random and truncated files: the reader must neither crash nor read out of bounds, and a
// failure leaves an empty tree. The bytes sit in a block of exactly their size, so the sanitizer
// build sees even a read one past the end (a std::string has its terminator there).
TEST(CatalogueFileTest, RandomAndTruncatedFilesNeverCrash) {
    Catalogue c;
    c.selectFolder(CatalogueTree({"R", sj(">表示"), ">>B"}).addTo(c)[1]);
    for (int i = 0; i < 20; ++i) {
        c.addFoundItem("C:\\P" + std::to_string(i) + "\\", "T", static_cast<ProjectKind>(i % 3));
    }
    const std::string valid = serializeCatalogue(c.tree());
    std::mt19937 rng(12345);
    auto check = [](const std::string& data) {
        const auto block = std::make_unique<char[]>(data.size());
        std::copy(data.begin(), data.end(), block.get());
        FolderTree t;
        if (parseCatalogue(std::string_view(block.get(), data.size()), t) != CatalogueParse::ok) {
            EXPECT_TRUE(t.empty());
        }
    };
    for (std::size_t n = 0; n <= valid.size(); ++n) {
        check(valid.substr(0, n));
    }
    const char alphabet[] = {'\x1C', '\x1D', '\x1E', '\n', '\r', '\v', '\0', 'A', '\x81', '\xFF'};
    for (int round = 0; round < 3000; ++round) {
        std::string data = valid;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < flips; ++k) {
            data[rng() % data.size()] = alphabet[rng() % sizeof(alphabet)];
        }
        check(data);
        std::string noise(rng() % 64, '\0');
        for (char& ch : noise) {
            ch = alphabet[rng() % sizeof(alphabet)];
        }
        check("IxO\x09" + noise);
    }
}

} // namespace
} // namespace tavrin
