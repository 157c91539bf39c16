#include "app/Main.h"
#include "catalogue/qt/CatalogueActions.h"
#include "catalogue/qt/TreeSelectionDebounce.h"
#include "platform/Cp932.h"
#include "support/MainWindow.h"
#include "support/Widgets.h"

#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

using namespace tavrin;
using test::control;

namespace {

// R (rows A B C D) with children S (rows x, y) and T; S holds U, which holds V.
struct Fixture : test::MainWindow {
    Fixture()
        : MainWindow(test::CatalogueTree()
                         .folder("R", {{"A", "a", pk2000},
                                       {"B", "b", pk95},
                                       {"C", "c", pk2000},
                                       {"D", "d", pk2000}})
                         .folder(">S", {{"x", "", pk2000}, {"y", "", pk2000}})
                         .folder(">>U", {{"u", "", pk2000}})
                         .folder(">>>V")
                         .folder(">T")) {}
};

} // namespace

class TestTreeClipboard : public QObject {
    Q_OBJECT
private slots:
    void newFolderUnderACollapsedFolderOpensForEditing() {
        Fixture f;
        f.show();
        TreeNode* s = f.node("S");
        QVERIFY(!f.tree()->isExpanded(f.indexOf(s)));
        f.select(s);
        f.form->updateTreePopup();
        control(f.form.get(), "TreePop_New")->trigger();
        TreeNode* added = s->child(s->childCount() - 1);
        QCOMPARE(added->name, sj("新しいフォルダ"));
        QCOMPARE(f.workspace->catalogue().selected(), added);
        QVERIFY(f.tree()->isExpanded(f.indexOf(s)));
        QCOMPARE(f.tree()->currentIndex(), f.indexOf(added));
        QLineEdit* editor = f.editor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("新しいフォルダ"));
        editor->setText(QStringLiteral("作りかけ"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(added->name, sj("作りかけ"));
    }

    // Deeper than the tree is wide: the tree scrolls sideways to the new folder and its editor
    // shows the whole name, not its end.
    void aDeepNewFolderIsEditedInView() {
        Fixture f;
        f.show();
        TreeNode* deep = f.node("V");
        for (int i = 0; i < 6; ++i)
            deep = f.workspace->catalogue().addFolder(deep, "W");
        f.select(deep);
        f.form->updateTreePopup();
        control(f.form.get(), "TreePop_New")->trigger();
        QLineEdit* editor = f.editor();
        QVERIFY(editor);
        const QRect shown = f.tree()->viewport()->rect();
        QVERIFY(shown.contains(editor->geometry()));
        QVERIFY(shown.contains(f.tree()->visualRect(f.tree()->currentIndex()).topLeft()));
        const int nameWidth = editor->fontMetrics().horizontalAdvance(editor->text());
        QVERIFY2(editor->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() >= nameWidth,
                 "the name's start is scrolled away");
    }

    // A name wider than the tree, added under a folder already open, is reached sideways.
    void aLongNameAddedToAnOpenFolderIsReachedSideways() {
        Fixture f;
        f.show();
        QVERIFY(f.tree()->isExpanded(f.indexOf(f.node("R"))));
        QCOMPARE(f.tree()->horizontalScrollBar()->maximum(), 0);
        f.workspace->catalogue().addFolder(f.node("R"), std::string(80, 'W'));
        QTRY_VERIFY(f.tree()->horizontalScrollBar()->maximum() > 0);
    }

    void renameKeepsTheOldNameForAnEmptyTextAndRefusesTheRoot() {
        Fixture f;
        f.show();
        f.tree()->setFocus();
        QTest::keyClick(f.tree(), Qt::Key_F2); // the root
        QVERIFY(!f.editor());

        TreeNode* t = f.node("T");
        f.select(t);
        QTest::keyClick(f.tree(), Qt::Key_F2);
        QLineEdit* editor = f.editor();
        QVERIFY(editor);
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!f.editor());
        QCOMPARE(t->name, std::string("T"));

        f.form->updateTreePopup();
        control(f.form.get(), "TreePop_Rename")->trigger();
        QVERIFY(f.editor());
        f.editor()->setText(QStringLiteral(" 空白で始まる"));
        QTest::keyClick(f.editor(), Qt::Key_Return);
        QTRY_COMPARE(t->name, sj(" 空白で始まる"));
    }

    void deletingAFolderTakesItsSubtreeAfterAQuestion() {
        Fixture f;
        TreeNode* s = f.node("S");
        f.select(s);
        f.form->updateTreePopup();
        f.dialogs.answers = {MsgResult::no};
        control(f.form.get(), "TreePop_Delete")->trigger();
        QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(
            f.dialogs.shown[0].text,
            sj("フォルダ 「S」 "
               "と、フォルダ以下のすべてのフォルダ,アイテムを削除します。\nよろしいですか？\n"));
        QCOMPARE(f.dialogs.shown[0].caption, sj("確認"));
        QVERIFY(f.dialogs.shown[0].icon == MsgIcon::warning);
        QVERIFY(f.dialogs.shown[0].defaultButton == MsgResult::no);
        QCOMPARE(f.workspace->catalogue().tree().nodeCount(), 5);

        f.dialogs.answers = {MsgResult::yes};
        control(f.form.get(), "TreePop_Delete")->trigger();
        QCOMPARE(f.workspace->catalogue().tree().nodeCount(), 2);
        QVERIFY(!f.node("U") && !f.node("V"));
        QCOMPARE(f.workspace->catalogue().selected(), f.node("T"));
        QCOMPARE(f.tree()->currentIndex(), f.indexOf(f.node("T")));
        // No late change from the view follows: the tree's change delay passes unused.
        QVERIFY(!f.form->treeChange().pending());
        QCOMPARE(f.workspace->catalogue().selected(), f.node("T"));
        QCOMPARE(f.status(0), QStringLiteral("0個のプロジェクト"));

        // The last child gone: the selection falls back to the root.
        f.dialogs.answers = {MsgResult::yes};
        f.form->updateTreePopup();
        control(f.form.get(), "TreePop_Delete")->trigger();
        QCOMPARE(f.workspace->catalogue().selected(), f.workspace->catalogue().tree().root());
        QCOMPARE(f.list()->model()->rowCount(), 4);
    }

    // The folder the tree menu remembers is forgotten when it goes with an ancestor.
    // A click below the last folder keeps the folder selected, as the list still shows it.
    void aClickBelowTheFoldersKeepsTheSelection() {
        Fixture f;
        f.show();
        FolderTreeView* tree = f.tree();
        const QModelIndex t = f.indexOf(f.node("T"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(t).center());
        QTRY_COMPARE(f.workspace->catalogue().selected(), f.node("T"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          QPoint(5, tree->viewport()->height() - 3));
        QVERIFY(tree->selectionModel()->isSelected(t));
        QCOMPARE(tree->currentIndex(), t);
        QCOMPARE(f.workspace->catalogue().selected(), f.node("T"));
    }

    void rememberedFolderGoesWithItsAncestor() {
        Fixture f;
        f.select(f.node("V"));
        f.form->updateTreePopup();
        QCOMPARE(f.form->catalogueActions().treePopupNode(), f.node("V"));
        TreeNode* s = f.node("S");
        f.workspace->catalogue().deleteFolderTree(s->child(0));
        f.workspace->catalogue().deleteFolder(s);
        QCOMPARE(f.form->catalogueActions().treePopupNode(), static_cast<TreeNode*>(nullptr));
        control(f.form.get(), "TreePop_Rename")->trigger(); // acts on nothing
        QCOMPARE(f.workspace->catalogue().tree().nodeCount(), 2);
    }

    // The mouse resting on a name the tree cuts short shows it whole; on one that fits, nothing.
    void cutNamesShowWholeWhereTheMouseRests() {
        Fixture f;
        f.show();
        FolderTreeView* tree = f.tree();
        tree->expandAll();
        const QString longName = QString(40, QChar(0x3042)); // あああ…
        f.workspace->catalogue().renameFolder(f.node("T"), cp932::fromUtf8(longName.toStdString()));
        const auto restOn = [&](const char* folder) {
            QToolTip::hideText();
            QTRY_VERIFY(!QToolTip::isVisible());
            const QPoint at = tree->visualRect(f.indexOf(f.node(folder))).center();
            QTest::mouseMove(tree->viewport(), at);
        };
        restOn("S");
        QTest::qWait(1000); // past the delay after which a tip would show
        QVERIFY(!QToolTip::isVisible());
        const std::string shortName = cp932::fromUtf8(longName.toStdString());
        restOn(shortName.c_str());
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), longName);
    }

    void rowsDraggedOntoAFolderMoveThere() {
        Fixture f;
        f.show();
        FolderTreeView* tree = f.tree();
        tree->expandAll();
        f.list()->selectRows({0, 1, 3});
        std::unique_ptr<QMimeData> rows(f.list()->dragData());
        const QPoint onRoot = tree->visualRect(f.indexOf(f.node("R"))).center();
        const QPoint onT = tree->visualRect(f.indexOf(f.node("T"))).center();
        const QPoint empty(5, tree->viewport()->height() - 2);
        QVERIFY(!tree->acceptsDragAt(f.list(), onRoot)); // the shown folder itself
        QVERIFY(!tree->acceptsDragAt(f.list(), empty));
        QVERIFY(!tree->acceptsDragAt(tree, onT));
        QVERIFY(tree->acceptsDragAt(f.list(), onT));
        // The list's format from another program has no source in this one.
        QVERIFY(!test::dropAt(tree, rows.get(), onT));
        QCOMPARE(f.rows(), std::string("A/a/1 B/b/2 C/c/1 D/d/1 "));
        f.form->catalogueActions().dropOnFolder(f.node("T"));
        QCOMPARE(f.rows(), std::string("C/c/1 "));
        QVERIFY(f.list()->selectedRows().empty());
        QCOMPARE(f.status(0), QStringLiteral("1個のプロジェクト")); // the rows left
        f.select(f.node("T"));
        QCOMPARE(f.rows(), std::string("A/a/1 B/b/2 D/d/1 "));
    }

    void copyPutsBothRenderings() {
        Fixture f;
        f.list()->selectRows({2, 0});
        control(f.form.get(), "MainMenu_Copy")->trigger();
        QCOMPARE(*f.clipboard.items, std::string("A\x1C"
                                                 "a\nC\x1C"
                                                 "c\n\0",
                                                 9));
        QCOMPARE(f.clipboard.text, std::string("A\r\nC\r\n"));
        QCOMPARE(f.rows(), std::string("A/a/1 B/b/2 C/c/1 D/d/1 "));

        f.clipboard.failOpen = true;
        control(f.form.get(), "MainMenu_Cut")->trigger();
        QCOMPARE(f.dialogs.shown.back().text, std::string("Clipboard Open Error"));
        QCOMPARE(f.dialogs.shown.back().caption, std::string("ListView_Copy()"));
        QCOMPARE(f.workspace->catalogue().rowCount(), 4); // a failed cut removes nothing
    }

    void pasteInsertsAboveTheFocusedRowInReverse() {
        Fixture f;
        f.clipboard.items = std::string("P1\x1CT1\nP2\x1CT2\n\0", 13);
        f.list()->setCurrentIndex(f.list()->model()->index(0, 0));
        control(f.form.get(), "MainMenu_Paste")->trigger();
        QCOMPARE(f.rows(), std::string("P2/T2/0 P1/T1/0 A/a/1 B/b/2 C/c/1 D/d/1 "));
        QCOMPARE(f.status(0), QStringLiteral("6個のプロジェクト"));

        f.select(f.node("T")); // empty, no focus
        f.clipboard.items = std::string("no separator\n\nQ\x1CU", 17);
        f.form->catalogueActions().pasteItems();
        QCOMPARE(f.rows(), std::string("Q/U/0 //0 /no separator/0 "));

        f.clipboard.failOpen = true;
        f.form->catalogueActions().pasteItems();
        QCOMPARE(f.dialogs.shown.back().caption, std::string("Clipboard Open Error"));
        QCOMPARE(f.dialogs.shown.back().text, sj("クリップボードが開けません。\n暫く時間をおいてか"
                                                 "らもう一度同じ操作を行ってください。"));

        // Text of another program neither enables nor performs a paste.
        f.clipboard.failOpen = false;
        f.clipboard.items.reset();
        f.clipboard.text = "C:\\Other\\";
        f.form->updateEditMenu();
        QVERIFY(!control(f.form.get(), "MainMenu_Paste")->isEnabled());
        f.form->catalogueActions().pasteItems();
        QCOMPARE(f.workspace->catalogue().rowCount(), 3);
    }

    void cutAndPasteMoveItemsAndSurviveARestart() {
        Fixture f;
        f.list()->selectRows({1, 2});
        control(f.form.get(), "MainMenu_Cut")->trigger();
        QCOMPARE(f.rows(), std::string("A/a/1 D/d/1 "));
        QCOMPARE(f.status(0), QStringLiteral("2個のプロジェクト"));
        f.select(f.node("T"));
        control(f.form.get(), "MainMenu_Paste")->trigger();
        QCOMPARE(f.rows(), std::string("C/c/0 B/b/0 "));
        QVERIFY(f.form->close());
        f.start();
        f.select(f.node("T"));
        QCOMPARE(f.rows(), std::string("C/c/0 B/b/0 "));
        f.select(f.node("R"));
        QCOMPARE(f.rows(), std::string("A/a/1 D/d/1 "));
    }
};

QTEST_MAIN(TestTreeClipboard)
#include "test_tree_clipboard.moc"
