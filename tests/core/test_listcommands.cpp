#include "app/core/MenuState.h"
#include "catalogue/ListCommands.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

class ListCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TreeNode* root = catalogue.addFolder(nullptr, "R");
        catalogue.selectFolder(root);
    }
    void rows(const std::string& letters) {
        catalogue.clearSelectedFolder();
        for (char c : letters) {
            catalogue.addFoundItem(std::string(1, c), "", c == 'B' ? pk95 : pk2000);
        }
    }
    std::string order() const {
        std::string out;
        for (int i = 0; i < catalogue.rowCount(); ++i) {
            out += catalogue.row(i)->path;
        }
        return out;
    }
    Catalogue catalogue;
};

TEST_F(ListCommandsTest, DroppedRowsStandAsOneSelectedBlock) {
    struct Row {
        std::string before;
        std::vector<int> selected;
        int target;
        std::string after;
        std::vector<int> block;
    };
    const std::vector<Row> table = {
        {"ABCDE", {1, 3}, 4, "ACBDE", {2, 3}},  // dropped on E
        {"ABCDE", {1, 3}, -1, "ACEBD", {3, 4}}, // below the last row
        {"ABC", {0}, 2, "BAC", {1}},
        {"ABCDE", {3, 1}, 0, "BDACE", {0, 1}}, // selection order does not matter
        {"ABCDE", {0, 4}, 2, "BAECD", {1, 2}},
        {"ABC", {}, 1, "ABC", {}},
    };
    for (const auto& r : table) {
        rows(r.before);
        EXPECT_EQ(moveSelectedRows(catalogue, r.selected, r.target), r.block) << r.before;
        EXPECT_EQ(order(), r.after) << r.before << " onto " << r.target;
    }
    rows("ABC");
    moveSelectedRows(catalogue, {1}, -1);
    EXPECT_EQ(catalogue.row(2)->kind, pk95); // kinds travel with their rows
}

TEST(ListRules, DeleteQuestionReadsAsWritten) {
    EXPECT_EQ(deleteQuestion(1, sj("勇者")),
              sj("リストから\n「勇者」を削除します。\nよろしいですか？\n\n"));
    EXPECT_EQ(deleteQuestion(3, "ignored"),
              sj("リストから\n選択していてる 3 個のアイテムを削除します。\nよろしいですか？\n\n"));
}

TEST(ListRules, DropsAreTakenOnlyFromTheListOntoUnselectedRows) {
    EXPECT_TRUE(listAcceptsDrop(true, -1, false));
    EXPECT_TRUE(listAcceptsDrop(true, 2, false));
    EXPECT_FALSE(listAcceptsDrop(true, 2, true));
    EXPECT_FALSE(listAcceptsDrop(false, -1, false));
}

TEST(ListRules, EachColumnKeepsItsOwnSortToggle) {
    ColumnSortToggles toggles;
    EXPECT_FALSE(toggles.click(0));
    EXPECT_TRUE(toggles.click(0));
    EXPECT_FALSE(toggles.click(1));
    EXPECT_FALSE(toggles.click(0));
    EXPECT_TRUE(toggles.click(1));
}

TEST(ListRules, DoubleClickChoices) {
    EXPECT_EQ(dblClickAction(0), DblClickAction::openProjectFolder);
    EXPECT_EQ(dblClickAction(2), DblClickAction::editIn2000);
    EXPECT_EQ(dblClickAction(3), DblClickAction::nothing);
    EXPECT_EQ(dblClickAction(-1), DblClickAction::unknown);
    EXPECT_EQ(dblClickAction(4), DblClickAction::unknown);
}

TEST(MenuRules, FocusAndSelectionAreTestedApart) {
    // Rows selected, none focused, clipboard taken by another program.
    const ListState selectedOnly{false, true, false};
    const EditMenuState edit = editMenuState(selectedOnly);
    EXPECT_FALSE(edit.openProjectFolder);
    EXPECT_TRUE(edit.cut && edit.copy && edit.del);
    EXPECT_FALSE(edit.paste);
    EXPECT_FALSE(startMenuState(selectedOnly).gameStart);

    const ListState focusedOnly{true, false, true};
    EXPECT_TRUE(editMenuState(focusedOnly).openProjectFolder);
    EXPECT_TRUE(editMenuState(focusedOnly).paste);
    EXPECT_FALSE(listPopupState(focusedOnly).del);
    EXPECT_TRUE(startMenuState(focusedOnly).editIn2000);

    // Rows found in many folders start, open and are copied, but are neither cut, deleted nor
    // pasted among.
    const ListState found{true, true, true, true};
    const EditMenuState foundEdit = editMenuState(found);
    const ListPopupState foundPopup = listPopupState(found);
    EXPECT_TRUE(foundEdit.openProjectFolder && startMenuState(found).gameStart);
    EXPECT_TRUE(foundEdit.copy && foundPopup.copy);
    EXPECT_FALSE(foundEdit.cut || foundEdit.paste || foundEdit.del);
    EXPECT_FALSE(foundPopup.cut || foundPopup.paste || foundPopup.del);

    EXPECT_FALSE(treePopupState(true, true).del);
    EXPECT_FALSE(treePopupState(false, false).rename);
    EXPECT_TRUE(treePopupState(true, false).rename);

    EXPECT_FALSE(toggledBarVisible(true, 100));
    EXPECT_FALSE(toggledBarVisible(false, 0));
    EXPECT_TRUE(toggledBarVisible(false, 100));
}

} // namespace
} // namespace tavrin

#include "catalogue/ItemClipboard.h"

namespace tavrin {
namespace {

TEST(ItemClipboardTest, BothRenderingsOfTwoRows) {
    const std::vector<ProjectItem> rows = {{"P1", "T1", pk2000}, {"P2", "T2", pk95}};
    EXPECT_EQ(itemDataOf(rows), std::string("P1\x1CT1\nP2\x1CT2\n\0", 13));
    EXPECT_EQ(plainTextOf(rows), "P1\r\nP2\r\n");
}

TEST(ItemClipboardTest, PastedLinesSplitAtTheirLastSeparator) {
    struct Row {
        std::string data;
        std::vector<std::pair<std::string, std::string>> items;
    };
    const std::vector<Row> rows = {
        {std::string("P1\x1CT1\nP2\x1CT2\n\0junk\x1Cx\n", 19), {{"P1", "T1"}, {"P2", "T2"}}},
        {"no separator\r\n\r\nA\x1C"
         "B\x1C"
         "C",
         {{"", "no separator"}, {"", ""}, {"A B", "C"}}},
        {"P\x1C\rQ\x1CT", {{"P", ""}, {"Q", "T"}}},
        {"", {}},
        // Separators of the catalogue file inside a field would corrupt it at the next close.
        {"A\x1D\x1E"
         "B\x1C\tT\x1D",
         {{"A  B", " T "}}},
    };
    for (const auto& r : rows) {
        std::vector<std::pair<std::string, std::string>> got;
        for (const auto& item : parseItemData(r.data)) {
            got.emplace_back(item.path, item.title);
        }
        EXPECT_EQ(got, r.items);
    }
}

TEST(FolderRulesTest, RowsMoveToAnotherFolderWithTheirKinds) {
    Catalogue c;
    TreeNode* root = c.addFolder(nullptr, "R");
    TreeNode* other = c.addFolder(root, "O");
    c.selectFolder(root);
    for (const char* p : {"A", "B", "C", "D"}) {
        c.addFoundItem(p, "", *p == 'C' ? pk95 : pk2000);
    }
    moveRowsToFolder(c, {3, 0, 2}, other);
    ASSERT_EQ(other->folder.items.size(), 3u);
    EXPECT_EQ(other->folder.items[0].path, "A");
    EXPECT_EQ(other->folder.items[1].kind, pk95);
    EXPECT_EQ(other->folder.items[2].path, "D");
    ASSERT_EQ(c.rowCount(), 1);
    EXPECT_EQ(c.row(0)->path, "B");
    moveRowsToFolder(c, {0}, root); // onto the folder itself: nothing
    EXPECT_EQ(c.rowCount(), 1);

    EXPECT_FALSE(treeAcceptsDrop(true, root, root));
    EXPECT_TRUE(treeAcceptsDrop(true, other, root));
    EXPECT_FALSE(treeAcceptsDrop(false, other, root));
    EXPECT_EQ(folderNameAfterEdit("old", ""), "old");
    EXPECT_EQ(folderNameAfterEdit("old", " "), " ");
    EXPECT_EQ(folderNameAfterEdit("old", "\ta\r\nb"), " a  b");
    EXPECT_EQ(deleteFolderQuestion("X"),
              sj("フォルダ 「X」 "
                 "と、フォルダ以下のすべてのフォルダ,アイテムを削除します。\nよろしいですか？\n"));
}

} // namespace
} // namespace tavrin
