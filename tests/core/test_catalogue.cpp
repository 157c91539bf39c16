#include "catalogue/Catalogue.h"
#include "platform/Cp932.h"
#include "support/HostScratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

namespace tavrin {
namespace {

// Keeps a shadow row count from the notices alone; a view built on them must agree with the
// model after every change.
class RowShadow : public CatalogueListener {
public:
    explicit RowShadow(Catalogue& c) : mCatalogue(c) { rows = c.rowCount(); }
    int rows = 0;
    std::vector<std::string> events;

    void itemsAboutToBeInserted(int first, int last) override {
        EXPECT_EQ(mCatalogue.rowCount(), rows);
        EXPECT_LE(first, rows);
        rows += last - first + 1;
    }
    void itemsInserted() override { EXPECT_EQ(mCatalogue.rowCount(), rows); }
    void itemsAboutToBeRemoved(int first, int last) override {
        EXPECT_EQ(mCatalogue.rowCount(), rows);
        EXPECT_LT(last, rows);
        rows -= last - first + 1;
    }
    void itemsRemoved() override { EXPECT_EQ(mCatalogue.rowCount(), rows); }
    void itemsAboutToReset() override { events.push_back("reset"); }
    void itemsReset() override { rows = mCatalogue.rowCount(); }
    void selectionAboutToChange(TreeNode*) override {
        events.push_back("leaving:" + std::to_string(mCatalogue.rowCount()));
    }
    void selectionChanged(TreeNode*) override {
        events.push_back("shown:" + std::to_string(mCatalogue.rowCount()));
    }

private:
    Catalogue& mCatalogue;
};

std::vector<std::string> paths(const Catalogue& c) {
    std::vector<std::string> out;
    for (int i = 0; i < c.rowCount(); ++i) {
        out.push_back(c.row(i)->path);
    }
    return out;
}

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = catalogue.addFolder(nullptr, "Tavrin");
        folder = catalogue.addFolder(root, "RPG");
        catalogue.addListener(&shadow);
    }
    void fill(std::initializer_list<const char*> ps) {
        for (const char* p : ps) {
            catalogue.addFoundItem(p, std::string("T") + p, pk2000);
        }
    }
    Catalogue catalogue;
    TreeNode* root = nullptr;
    TreeNode* folder = nullptr;
    RowShadow shadow{catalogue};
};

TEST_F(CatalogueTest, RemoveSelectedKeepsTheOthersInOrder) {
    struct Row {
        std::vector<int> selected;
        std::vector<std::string> left;
    };
    const std::vector<Row> rows = {
        {{1, 3}, {"A", "C", "E"}}, {{}, {"A", "B", "C", "D", "E"}},       {{4, 0}, {"B", "C", "D"}},
        {{0, 1, 2, 3, 4}, {}},     {{1, 1, 7, -1}, {"A", "C", "D", "E"}},
    };
    for (const auto& r : rows) {
        catalogue.clearSelectedFolder();
        fill({"A", "B", "C", "D", "E"});
        catalogue.removeSelectedItems(r.selected);
        EXPECT_EQ(paths(catalogue), r.left);
        EXPECT_EQ(shadow.rows, catalogue.rowCount());
    }
}

TEST_F(CatalogueTest, RemoveManyScatteredRowsKeepsOrder) {
    std::vector<int> odd;
    for (int i = 0; i < 1000; ++i) {
        catalogue.addFoundItem(std::to_string(i), "", pk95);
        if (i % 2) {
            odd.push_back(i);
        }
    }
    catalogue.removeSelectedItems(odd);
    ASSERT_EQ(catalogue.rowCount(), 500);
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(catalogue.row(i)->path, std::to_string(2 * i));
    }
    EXPECT_EQ(shadow.rows, 500);
}

TEST_F(CatalogueTest, PastedItemsGoBeforeTheFocusedRowInReverse) {
    catalogue.insertPastedItem("X", "x", -1);
    EXPECT_EQ(paths(catalogue), (std::vector<std::string>{"X"}));
    catalogue.clearSelectedFolder();

    fill({"A", "B", "C", "D"});
    for (const char* p : {"P1", "P2", "P3"}) {
        catalogue.insertPastedItem(p, "", 2);
    }
    EXPECT_EQ(paths(catalogue), (std::vector<std::string>{"A", "B", "P3", "P2", "P1", "C", "D"}));
    EXPECT_EQ(catalogue.row(2)->kind, pkNone);
    EXPECT_EQ(shadow.rows, 7);
}

TEST_F(CatalogueTest, SortIsByPathOnlyAndNeverMergesDifferentPaths) {
    catalogue.sortAscending([](const std::string& s) { return s; });
    EXPECT_EQ(catalogue.rowCount(), 0);

    catalogue.addFoundItem("b", "1", pk95);
    catalogue.addFoundItem("B", "2", pk2000);
    catalogue.addFoundItem("a", "3", pkNone);
    catalogue.addFoundItem("b", "4", pk2000);
    // A key that ignores case: the bytes must still tell "b" and "B" apart.
    auto folded = [](const std::string& s) {
        std::string k = s;
        for (char& c : k) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return k;
    };
    catalogue.sortAscending(folded);
    EXPECT_EQ(paths(catalogue), (std::vector<std::string>{"a", "B", "b", "b"}));
    catalogue.sortDescending(folded);
    EXPECT_EQ(paths(catalogue), (std::vector<std::string>{"b", "b", "B", "a"}));
    // Titles and kinds travel with their path.
    EXPECT_EQ(catalogue.row(3)->title, "3");
    EXPECT_EQ(catalogue.row(2)->kind, pk2000);
}

// A folder large enough to make its keys on several threads, the keys alike far past their
// first bytes and ordered otherwise than the paths: the order is the keys' whole order.
TEST_F(CatalogueTest, ALargeFolderSortsByWholeKeys) {
    std::vector<ProjectItem> items;
    for (int i = 0; i < 30000; ++i) {
        items.push_back({"C:\\Games\\" + std::to_string((i * 7919) % 30000), "", pk2000});
    }
    catalogue.appendItems(catalogue.selected(), items);
    const auto key = [](const std::string& s) {
        return "same start " + std::string(s.rbegin(), s.rend());
    };
    catalogue.sortAscending(key);
    std::vector<std::string> expected;
    for (const ProjectItem& item : items) {
        expected.push_back(item.path);
    }
    std::sort(expected.begin(), expected.end(),
              [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
    EXPECT_EQ(paths(catalogue), expected);
}

// The whole locale for one test; a locale that is missing fails the test (tools/setup.sh
// generates ja_JP.UTF-8 when run as root).
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : mOld(std::setlocale(LC_ALL, nullptr)) {
        ok = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, mOld.c_str()); }
    bool ok = false;

private:
    std::string mOld;
};

int sign(int v) {
    return (v > 0) - (v < 0);
}

// CP932 texts in the order the locale's collation gives their UTF-8 forms.
std::vector<std::string> sortedByLocale(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        return localeSortKey(a) < localeSortKey(b);
    });
    return texts;
}

TEST(LocaleSortKey, FollowsTheCollationOfTheLocale) {
    // Japanese collation puts half-width kana first and kanji in JIS order; C.UTF-8 is the
    // order of code points. CP932 bytes give neither: "ｱ" (B1) sorts after "あ" (82 A0).
    const struct {
        const char* locale;
        std::vector<std::string> order;
    } rows[] = {
        {"ja_JP.UTF-8", {"GAME", "Game", "game", sj("ｱ"), sj("あ"), sj("ア"), sj("亜"), sj("一")}},
        {"C.UTF-8", {"GAME", "Game", "game", sj("あ"), sj("ア"), sj("一"), sj("亜"), sj("ｱ")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locale);
        const ScopedLocale locale(row.locale);
        ASSERT_TRUE(locale.ok) << row.locale << " is not installed";
        std::vector<std::string> reversed(row.order.rbegin(), row.order.rend());
        EXPECT_EQ(sortedByLocale(reversed), row.order);
    }
}

TEST(LocaleSortKey, KeyOrderIsTheLocalesComparisonOrder) {
    const std::vector<std::string> texts = {
        "",           "a",        "A",        "ab",          "a b",         "a\\b",
        "a_b",        "10",       "9",        "Z:\\Games\\", "Z:\\games\\", sj("ゲーム"),
        sj("げーむ"), sj("ｹﾞｰﾑ"), sj("漢字"), sj("表示"),    sj("～"),      sj("①"),
    };
    for (const char* name : {"ja_JP.UTF-8", "C.UTF-8"}) {
        SCOPED_TRACE(name);
        const ScopedLocale locale(name);
        ASSERT_TRUE(locale.ok) << name << " is not installed";
        for (const std::string& a : texts)
            for (const std::string& b : texts) {
                const std::string utf8A = cp932::toUtf8(a);
                const std::string utf8B = cp932::toUtf8(b);
                EXPECT_EQ(sign(localeSortKey(a).compare(localeSortKey(b))),
                          sign(std::strcoll(utf8A.c_str(), utf8B.c_str())))
                    << a << " / " << b;
            }
        EXPECT_NE(localeSortKey("C:\\Game\\"), localeSortKey("C:\\game\\"));
    }
}

// "∵" is both 81 E6 and, in the IBM rows, FA 5B: one Unicode form, so one key. The bytes must
// still order the two, the same way whatever the order they start in.
TEST_F(CatalogueTest, LocaleSortNeverMergesTextsOfOneKey) {
    const ScopedLocale locale("ja_JP.UTF-8");
    ASSERT_TRUE(locale.ok) << "ja_JP.UTF-8 is not installed";
    const std::string nec = "C:\\\x81\xE6\\";
    const std::string ibm = "C:\\\xFA\x5B\\";
    ASSERT_EQ(localeSortKey(nec), localeSortKey(ibm));
    for (const auto& start : {std::vector<std::string>{ibm, "C:\\a\\", nec},
                              std::vector<std::string>{nec, ibm, "C:\\a\\"}}) {
        catalogue.clearSelectedFolder();
        for (const std::string& p : start) {
            catalogue.addFoundItem(p, "", pk2000);
        }
        catalogue.sortAscending(localeSortKey);
        EXPECT_EQ(paths(catalogue), (std::vector<std::string>{"C:\\a\\", nec, ibm}));
        catalogue.sortDescending(localeSortKey);
        EXPECT_EQ(paths(catalogue), (std::vector<std::string>{ibm, nec, "C:\\a\\"}));
    }
}

TEST_F(CatalogueTest, SelectingAnotherFolderEmptiesTheListFirst) {
    fill({"A", "B"});
    TreeNode* other = catalogue.addFolder(root, "Other");
    catalogue.addFoundItem("Z", "z", pk95);
    shadow.events.clear();
    catalogue.selectFolder(folder);
    EXPECT_EQ(shadow.events, (std::vector<std::string>{"leaving:1", "reset", "shown:2"}));
    EXPECT_EQ(shadow.rows, 2);
    EXPECT_EQ(other->folder.items.size(), 1u);
}

TEST_F(CatalogueTest, DeletingFoldersMovesTheSelectionOut) {
    TreeNode* a = catalogue.addFolder(folder, "A");
    TreeNode* b = catalogue.addFolder(a, "B");
    TreeNode* c = catalogue.addFolder(folder, "C");
    catalogue.selectFolder(b);
    fill({"x"});
    catalogue.deleteFolder(a); // the next sibling takes the selection
    EXPECT_EQ(catalogue.selected(), c);
    catalogue.deleteFolder(c); // no sibling left: the parent
    EXPECT_EQ(catalogue.selected(), folder);
    catalogue.addFolder(folder, "D");
    catalogue.addFolder(folder, "E");
    catalogue.deleteFolderTree(folder->child(0));
    EXPECT_EQ(folder->childCount(), 0);
    EXPECT_EQ(catalogue.tree().nodeCount(), 2);

    catalogue.clearTree();
    EXPECT_EQ(catalogue.selected(), nullptr);
    catalogue.addFoundItem("ignored", "", pk2000); // no folder selected: nothing happens
    EXPECT_EQ(catalogue.rowCount(), 0);
}

TEST_F(CatalogueTest, DeepTreeIsDestroyedWithoutRecursion) {
    TreeNode* n = folder;
    for (int i = 0; i < 200000; ++i) {
        n = catalogue.tree().append(n, "d");
    }
    catalogue.clearTree();
    EXPECT_TRUE(catalogue.tree().empty());

    // Walked, replaced and destroyed with its tree, on a stack a recursion would overflow.
    int count = 0;
    ASSERT_TRUE(test::onSmallStack(64 * 1024, [&count] {
        const auto deep = [](FolderTree& tree) {
            TreeNode* at = nullptr;
            for (int i = 0; i < 80000; ++i) {
                at = tree.append(at, "d");
            }
            return at;
        };
        FolderTree first;
        FolderTree second;
        const TreeNode* deepest = deep(first);
        count = first.indexOf(deepest) + first.nodeCount();
        deep(second);
        second.adopt(first);
    }));
    EXPECT_EQ(count, 80000 + 79999);
}

TEST_F(CatalogueTest, AppendToAnotherFolderLeavesTheListAlone) {
    TreeNode* other = catalogue.addFolder(root, "Other");
    catalogue.selectFolder(folder);
    fill({"A"});
    catalogue.appendItems(other, {{"P", "T", pk95}, {"Q", "U", pkNone}});
    EXPECT_EQ(shadow.rows, 1);
    ASSERT_EQ(other->folder.items.size(), 2u);
    EXPECT_EQ(other->folder.items[1].kind, pkNone);
}

} // namespace
} // namespace tavrin
