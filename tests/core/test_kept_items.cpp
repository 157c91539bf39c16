// A catalogue file's folders keep their records until first used: what they show, what they
// write back, and how they take a change must be those of items read one by one.
#include "catalogue/CatalogueFile.h"
#include "platform/Cp932.h"
#include "support/CatalogueTree.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

namespace tavrin {
namespace {

using Folders = std::vector<std::vector<ProjectItem>>;

// The items block read as the format states it, one find at a time, for `folders` folders:
// the model the reader must match. Nothing when the block is invalid.
std::optional<Folders> plainReading(std::string_view block, std::size_t folders) {
    block = block.substr(0, block.find('\0'));
    Folders out(folders);
    if (block.empty()) {
        return out;
    }
    std::size_t pos = 0;
    for (auto& items : out) {
        const auto groupEnd = block.find('\x1E', pos);
        if (groupEnd == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view group = block.substr(pos, groupEnd - pos);
        for (std::size_t at = 0; at < group.size();) {
            const auto end = group.find('\x1D', at);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
            const std::string_view record = group.substr(at, end - at);
            const auto sep1 = record.find('\x1C');
            if (sep1 == std::string_view::npos) {
                return std::nullopt;
            }
            const auto sep2 = record.find('\x1C', sep1 + 1);
            ProjectItem item{std::string(record.substr(0, sep1)), "", pkNone};
            if (sep2 == std::string_view::npos) {
                item.title = record.substr(sep1 + 1);
                item.kind = item.title == sj("ツクール95作品") ? pk95 : pk2000;
            } else {
                item.title = record.substr(sep1 + 1, sep2 - sep1 - 1);
                if (sep2 + 1 < record.size()) {
                    item.kind = static_cast<ProjectKind>(record[sep2 + 1]);
                }
            }
            items.push_back(item);
            at = end + 1;
        }
        pos = groupEnd + 1;
    }
    return out;
}

// Root, two children and a grandchild: four folders.
const std::string kTree = "R\n\r\vA\n\r\v\vB\n\r\vC\n\r";

Folders itemsOf(const FolderTree& tree) {
    Folders out;
    for (TreeNode* node : tree.preOrder()) {
        out.emplace_back(node->folder.items.begin(), node->folder.items.end());
    }
    return out;
}

std::string writtenFrom(const Folders& folders) {
    FolderTree tree;
    readTreeText(tree, kTree);
    const auto nodes = tree.preOrder();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        for (const auto& item : folders[i]) {
            nodes[i]->folder.items.push_back(item);
        }
    }
    return serializeCatalogue(tree);
}

// Records of every length, so the separators fall at every place of the reader's 64-byte
// steps; texts hold the other control bytes and double-byte characters.
std::string writerRecords(std::mt19937& rng, int count) {
    const char alphabet[] = {'A', 'z', '\\', '\t', '\x1F', '\x81', '\x5C', '\xFF', ' '};
    std::string out;
    for (int i = 0; i < count; ++i) {
        for (int field = 0; field < 2; ++field) {
            const int length = static_cast<int>(rng() % 90);
            for (int k = 0; k < length; ++k) {
                out += alphabet[rng() % sizeof(alphabet)];
            }
            out += '\x1C';
        }
        if (rng() % 4) {
            out += static_cast<char>(1 + rng() % 2);
        }
        out += '\x1D';
    }
    return out;
}

// Whether the block reads as the plain reading does; the tree's items and the file written
// back are compared, before and after every folder is opened.
bool readsAsStated(const std::string& block) {
    SCOPED_TRACE(::testing::PrintToString(block));
    const std::optional<Folders> expected = plainReading(block, 4);
    FolderTree tree;
    const CatalogueParse result = parseCatalogue(test::catalogueFile(kTree, block), tree);
    EXPECT_EQ(result == CatalogueParse::ok, expected.has_value());
    if (!expected) {
        EXPECT_TRUE(tree.empty());
        return false;
    }
    const std::string written = writtenFrom(*expected);
    EXPECT_EQ(serializeCatalogue(tree), written);
    EXPECT_EQ(itemsOf(tree), *expected);
    EXPECT_EQ(serializeCatalogue(tree), written);
    return true;
}

TEST(KeptItemsTest, ReaderMatchesThePlainReadingOfTheFormat) {
    // An empty block, or one that starts with its end, leaves every folder empty.
    EXPECT_TRUE(readsAsStated(""));
    EXPECT_TRUE(readsAsStated(std::string("\0\x1E", 2)));
    EXPECT_FALSE(readsAsStated("P\x1CT\x1D\x1E\x1E\x1E"));

    std::mt19937 rng(2026);
    const char damage[] = {'\x1C', '\x1D', '\x1E', '\0', 'A', '\x1F'};
    int valid = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string block;
        for (int g = 0; g < 4; ++g) {
            block += writerRecords(rng, static_cast<int>(rng() % 5)) + '\x1E';
        }
        if (rng() % 3 == 0) {
            block += writerRecords(rng, 1); // after the last group: ignored
        }
        const int flips = static_cast<int>(rng() % 3);
        for (int k = 0; k < flips && !block.empty(); ++k) {
            block[rng() % block.size()] = damage[rng() % sizeof(damage)];
        }
        valid += readsAsStated(block);
    }
    EXPECT_GT(valid, 1000);
}

TEST(KeptItemsTest, OnlyTheWritersFormIsWrittenBackAsRead) {
    struct Case {
        std::string group, written;
    };
    const std::vector<Case> cases = {
        {"P\x1CT\x1C\x01\x1D", "P\x1CT\x1C\x01\x1D"},
        // A pasted item, and a kind byte that is a separator: both as the writer makes them.
        {"P\x1CT\x1C\x1D", "P\x1CT\x1C\x1D"},
        {"P\x1CT\x1C\x1C\x1D", "P\x1CT\x1C\x1C\x1D"},
        // Bytes after the kind, and the older form, in a group that also holds a plain record.
        {"P\x1CT\x1C\x02xy\x1DQ\x1CU\x1C\x01\x1D", "P\x1CT\x1C\x02\x1DQ\x1CU\x1C\x01\x1D"},
        {"P\x1CT\x1C\x02x\x1D", "P\x1CT\x1C\x02\x1D"},
        {"Q\x1CU\x1C\x01\x1DP\x1CHero\x1D", "Q\x1CU\x1C\x01\x1DP\x1CHero\x1C\x01\x1D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.group));
        FolderTree tree;
        ASSERT_EQ(parseCatalogue(test::catalogueFile("R\n\r", c.group + "\x1E"), tree),
                  CatalogueParse::ok);
        EXPECT_EQ(serializeCatalogue(tree), test::catalogueFile("R\n\r", c.written + "\x1E"));
    }
}

TEST(KeptItemsTest, AFolderIsCountedUnopenedAndChangedLikeAnyOther) {
    Catalogue source;
    TreeNode* root = source.addFolder(nullptr, "Tavrin");
    TreeNode* games = source.addFolder(root, sj("ゲーム"));
    source.selectFolder(games);
    for (int i = 0; i < 5; ++i) {
        source.addFoundItem("C:\\G" + std::to_string(i) + "\\", sj("作品") + std::to_string(i),
                            i % 2 ? pk95 : pk2000);
    }
    const std::string saved = serializeCatalogue(source.tree());

    test::MemoryFileSystem fs;
    test::ScriptedDialogs dialogs;
    fs.files["Z:\\data.ixo"] = saved;
    CatalogueFile file(fs, dialogs, "Z:\\data.ixo");
    Catalogue c;
    file.load(c);
    ASSERT_EQ(c.selected()->name, sj("ゲーム"));
    const ItemList& items = c.selected()->folder.items;
    ASSERT_TRUE(items.keptRecords());
    EXPECT_EQ(c.rowCount(), 5);
    EXPECT_TRUE(items.keptRecords()); // counting opens nothing

    // A change opens the folder first and keeps what was there.
    c.addFoundItem("D:\\New\\", "New", pk2000);
    EXPECT_FALSE(items.keptRecords());
    ASSERT_EQ(c.rowCount(), 6);
    EXPECT_EQ(c.row(0)->path, "C:\\G0\\");
    EXPECT_EQ(c.row(1)->kind, pk95);
    EXPECT_EQ(c.row(4)->title, sj("作品4"));
    c.removeSelectedItems({0});
    file.write(c);
    source.removeSelectedItems({0});
    source.addFoundItem("D:\\New\\", "New", pk2000);
    EXPECT_EQ(fs.files["Z:\\data.ixo"], serializeCatalogue(source.tree()));

    // Emptied while still kept: written as an empty folder.
    Catalogue again;
    file.load(again);
    again.clearSelectedFolder();
    EXPECT_EQ(again.rowCount(), 0);
    file.write(again);
    source.clearSelectedFolder();
    EXPECT_EQ(fs.files["Z:\\data.ixo"], serializeCatalogue(source.tree()));
}

} // namespace
} // namespace tavrin
