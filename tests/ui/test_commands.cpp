#include "app/Main.h"
#include "app/UserBar.h"
#include "catalogue/qt/CatalogueActions.h"
#include "dialogs/qt/AboutDialog.h"
#include "dialogs/qt/SettingsDialog.h"
#include "platform/Cp932.h"
#include "support/MainWindow.h"
#include "support/Widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>

using namespace tavrin;
using test::click;
using test::control;
using test::kApp;

namespace {

// Root "R" holding rows A to E (titles a to e), and an empty folder "S".
struct Fixture : test::MainWindow {
    Fixture()
        : MainWindow(test::CatalogueTree()
                         .folder("R", {{"A", "a", pk2000},
                                       {"B", "b", pk2000},
                                       {"C", "c", pk2000},
                                       {"D", "d", pk2000},
                                       {"E", "e", pk2000}})
                         .folder(">S")) {}
};

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void captionsShortcutsAndHints() {
        Fixture f;
        TMainForm& m = *f.form;
        struct Row {
            QAction* action;
            const char* caption;
            QKeySequence shortcut;
        };
        const QList<Row> rows = {
            {control(&m, "MainMenu_Exit"), "終了(&X)", {}},
            {control(&m, "MainMenu_OpenProjectFolder"), "プロジェクトのフォルダを開く(&S)",
             Qt::Key_F9},
            {control(&m, "N2"), "フォルダのプロパティ(&R)", {}},
            {control(&m, "MainMenu_Cut"), "アイテムを切り取り(&T)",
             QKeySequence(Qt::CTRL | Qt::Key_X)},
            {control(&m, "MainMenu_Copy"), "アイテムをコピー(&C)",
             QKeySequence(Qt::CTRL | Qt::Key_C)},
            {control(&m, "MainMenu_Paste"), "アイテムを貼り付け(&P)",
             QKeySequence(Qt::CTRL | Qt::Key_V)},
            {control(&m, "MainMenu_Delete"), "アイテムを削除(&D)", Qt::Key_Delete},
            {control(&m, "MainMenu_SelectAll"), "すべて選択(&A)",
             QKeySequence(Qt::CTRL | Qt::Key_A)},
            {control(&m, "MainMenu_Setting"), "環境設定(&S)...", {}},
            {control(&m, "MainMenu_RPG2000Search"), "RPGツクール検索(&S)...", Qt::Key_F3},
            {control(&m, "MenuItem_NmlBar"), "標準", {}},
            {control(&m, "MenuItem_AplBar"), "アプリケーション", {}},
            {control(&m, "MenuItem_GazBar"), "Gaz Soft", {}},
            {control(&m, "MenuItem_Customize"), "カスタマイズ(&C)...", {}},
            {control(&m, "MainMenu_GameStart"), "ゲーム実行(&G)", Qt::Key_F5},
            {control(&m, "MainMenu_TestPlay"), "テストプレー(&T)", {}},
            {control(&m, "MainMenu_ThukuruExecute"), "RPGツクールで編集(&E)", {}},
            {control(&m, "MainMenu_OpenHelp"), "トピックの検索(&H)", Qt::Key_F1},
            {control(&m, "MainMenu_About"), "バージョン情報(&A)...", {}},
            {control(&m, "ListPop_OpenProjectFolder"), "プロジェクトのフォルダを開く(&F)", {}},
            {control(&m, "ListPop_GameStart"), "ゲーム実行(&G)", Qt::Key_F5},
            {control(&m, "ListPop_TestPlay"), "テストプレー(&T)", {}},
            {control(&m, "ListPop_Thukuru2000Execute"), "RPGツクール2000で編集(&E)", {}},
            {control(&m, "ListPop_Thukuru2003Execute"), "RPGツクール2003で編集(&F)", {}},
            {control(&m, "ListPop_Cut"), "アイテムを切り取り(&T)",
             QKeySequence(Qt::CTRL | Qt::Key_X)},
            {control(&m, "ListPop_Copy"), "アイテムをコピー(&C)",
             QKeySequence(Qt::CTRL | Qt::Key_C)},
            {control(&m, "ListPop_Paste"), "アイテムを貼り付け(&P)",
             QKeySequence(Qt::CTRL | Qt::Key_V)},
            {control(&m, "ListPop_Delete"), "アイテムを削除(&D)", Qt::Key_Delete},
            {control(&m, "R1"), "フォルダのプロパティ(&R)", {}},
            {control(&m, "TreePop_New"), "新規フォルダ作成(&N)", {}},
            {control(&m, "TreePop_Delete"), "削除(&D)", {}},
            {control(&m, "TreePop_Rename"), "名前の変更(&M)", Qt::Key_F2},
        };
        for (const Row& r : rows) {
            QCOMPARE(r.action->text(), QString::fromUtf8(r.caption));
            QCOMPARE(r.action->shortcut(), r.shortcut);
        }
        const QList<QPair<QMenu*, const char*>> menus = {
            {control<QMenu>(&m, "MainMenu_File"), "ファイル(&F)"},
            {control<QMenu>(&m, "MainMenu_Edit"), "編集(&E)"},
            {control<QMenu>(&m, "MainMenu_Find"), "検索(&R)"},
            {control<QMenu>(&m, "MainMenu_Visual"), "表示(&V)"},
            {control<QMenu>(&m, "MenuItem_ToolBar"), "ツールバー(&R)"},
            {control<QMenu>(&m, "MainMenu_Start"), "起動(&S)"},
            {control<QMenu>(&m, "MainMenu_Help"), "ヘルプ(&H)"}};
        for (const auto& [menu, caption] : menus) {
            QCOMPARE(menu->title(), QString::fromUtf8(caption));
        }
        const QList<QPair<QAction*, const char*>> hints = {
            {control(&m, "ToolButton_OpenProjectFolder"), "プロジェクトのフォルダを開く"},
            {control(&m, "ToolButton_RpgSearch"), "RPGツクール2000検索"},
            {control(&m, "ToolButton_GameStart"), "ゲームスタート"},
            {control(&m, "ToolButton_TestPlay"), "テストプレー"},
            {control(&m, "ToolButton_ThukuruExecute"), "ツクールで開く"},
            {control(&m, "ToolButton_DeleteListItem"), "リストから削除"}};
        for (const auto& [button, hint] : hints) {
            QCOMPARE(button->toolTip(), QString::fromUtf8(hint));
            QVERIFY(!button->icon().isNull());
        }
        QCOMPARE(control<QToolBar>(&m, "NmlBar")->windowTitle(), QStringLiteral("標準ツールバー"));
        QVERIFY(control(&m, "MenuItem_NmlBar")->isChecked());
    }

    void editMenuFollowsFocusSelectionAndClipboard() {
        Fixture f;
        TMainForm& m = *f.form;
        f.list()->selectRows({1, 2});
        f.list()->selectionModel()->clearCurrentIndex();
        m.updateEditMenu();
        QVERIFY(control(&m, "MainMenu_Cut")->isEnabled());
        QVERIFY(control(&m, "MainMenu_Copy")->isEnabled());
        QVERIFY(control(&m, "MainMenu_Delete")->isEnabled());
        QVERIFY(!control(&m, "MainMenu_OpenProjectFolder")->isEnabled());
        QVERIFY(!control(&m, "MainMenu_Paste")->isEnabled());
        f.clipboard.items = std::string("P\x1CT\n", 4);
        m.updateEditMenu();
        QVERIFY(control(&m, "MainMenu_Paste")->isEnabled());
        m.updateStartMenu();
        QVERIFY(!control(&m, "MainMenu_GameStart")->isEnabled());

        f.list()->setCurrentIndex(f.list()->model()->index(3, 0));
        m.updateListPopup();
        QCOMPARE(f.status(1), QStringLiteral("d"));

        // Right-clicking the root: folder commands other than "new" are off.
        m.updateTreePopup();
        QVERIFY(!control(&m, "TreePop_Delete")->isEnabled());
        QVERIFY(!control(&m, "TreePop_Rename")->isEnabled());
        QVERIFY(control(&m, "TreePop_New")->isEnabled());
        f.catalogue().selectFolder(f.catalogue().tree().nodeAt(1));
        m.updateTreePopup();
        QVERIFY(control(&m, "TreePop_Delete")->isEnabled());
        QCOMPARE(m.catalogueActions().treePopupNode(), f.catalogue().tree().nodeAt(1));
    }

    void deleteAsksAboutTheListRows() {
        Fixture f;
        TMainForm& m = *f.form;
        // Del with nothing selected: the rules disable the entry and nothing is asked.
        control(&m, "MainMenu_Delete")->trigger();
        QVERIFY(f.dialogs.shown.empty());

        f.list()->selectRows({1});
        f.dialogs.answers = {MsgResult::no};
        f.tree()->setFocus();
        control(&m, "MainMenu_Delete")->trigger();
        QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(f.dialogs.shown[0].text,
                 sj("リストから\n「b」を削除します。\nよろしいですか？\n\n"));
        QCOMPARE(f.dialogs.shown[0].caption, sj("確認"));
        QVERIFY(f.dialogs.shown[0].icon == MsgIcon::warning);
        QVERIFY(f.dialogs.shown[0].buttons == MsgButtons::yesNo);
        QVERIFY(f.dialogs.shown[0].defaultButton == MsgResult::yes);
        QCOMPARE(f.paths(), std::string("ABCDE"));
        QCOMPARE(f.list()->selectedRows(), std::vector<int>{1});
        QCOMPARE(f.catalogue().tree().nodeCount(), 2); // never a folder

        f.list()->selectRows({0, 2, 4});
        f.list()->setCurrentIndex(f.list()->model()->index(1, 0));
        f.list()->selectRows({0, 2, 4});
        f.dialogs.answers = {MsgResult::yes};
        control(&m, "ToolButton_DeleteListItem")->trigger();
        QCOMPARE(
            f.dialogs.shown.back().text,
            sj("リストから\n選択していてる 3 個のアイテムを削除します。\nよろしいですか？\n\n"));
        QCOMPARE(f.paths(), std::string("BD"));
        QVERIFY(f.list()->selectedRows().empty());
        QCOMPARE(f.status(0), QStringLiteral("2個のプロジェクト"));
    }

    // As in a Windows list view: Home and End select the first and the last row; with Ctrl
    // they move the focus alone.
    void homeAndEndGoToTheFirstAndLastRow() {
        Fixture f;
        f.show();
        ProjectListView* list = f.list();
        list->setFocus();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(2, 0)).center());
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->focusedRow(), 4);
        QCOMPARE(list->selectedRows(), std::vector<int>{4});
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->focusedRow(), 0);
        QCOMPARE(list->selectedRows(), std::vector<int>{0});
        QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(list->focusedRow(), 4);
        QCOMPARE(list->selectedRows(), std::vector<int>{0});
    }

    void delKeyInTheTreeAsksAboutRows() {
        Fixture f;
        f.form->show();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.list()->selectRows({0, 1});
        f.tree()->setFocus();
        f.dialogs.answers = {MsgResult::no, MsgResult::no};
        QTest::keyClick(f.tree(), Qt::Key_Delete);
        QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
        QVERIFY(f.dialogs.shown[0].text.find(sj("選択していてる 2 個")) != std::string::npos);
        // Twice: the shortcut stays reachable after the rules ran.
        f.list()->clearSelection();
        QTest::keyClick(f.tree(), Qt::Key_Delete);
        f.list()->selectRows({2});
        QTest::keyClick(f.tree(), Qt::Key_Delete);
        QCOMPARE(f.dialogs.shown.size(), std::size_t(2));
        QCOMPARE(f.paths(), std::string("ABCDE"));
    }

    void headerClicksSortEachByItsOwnToggle() {
        Fixture f;
        QHeaderView* header = f.list()->horizontalHeader();
        f.list()->selectRows({0});
        emit header->sectionClicked(0);
        QCOMPARE(f.paths(), std::string("ABCDE"));
        emit header->sectionClicked(0);
        QCOMPARE(f.paths(), std::string("EDCBA"));
        QCOMPARE(f.list()->selectedRows(), std::vector<int>{0}); // positions stay
        emit header->sectionClicked(1);
        QCOMPARE(f.paths(), std::string("ABCDE"));
    }

    // A large folder sorts away from the window, which answers meanwhile with a busy cursor;
    // the later click wins, and rows changed meanwhile are sorted as they now stand.
    void largeFolderSortsAwayFromTheWindow() {
        Fixture f;
        ListSort& sort = f.form->catalogueActions().listSort();
        sort.setBackgroundFrom(2);
        QHeaderView* header = f.list()->horizontalHeader();
        emit header->sectionClicked(0);
        QVERIFY(sort.running());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        emit header->sectionClicked(0);
        QTRY_VERIFY(!sort.running());
        QCOMPARE(f.paths(), std::string("EDCBA"));
        QVERIFY(!QApplication::overrideCursor());

        emit header->sectionClicked(0);
        f.workspace->catalogue().removeSelectedItems({2});
        f.workspace->catalogue().insertItem(0, {"F", "f", pk2000});
        QTRY_VERIFY(!sort.running());
        QCOMPARE(f.paths(), std::string("ABDEF"));

        // The folder deleted meanwhile: the sort ends unheard.
        Catalogue& catalogue = f.workspace->catalogue();
        TreeNode* gone = catalogue.addFolder(catalogue.tree().root(), "T");
        catalogue.appendItems(gone, {{"Y", "y", pk2000}, {"X", "x", pk2000}});
        emit header->sectionClicked(0);
        catalogue.deleteFolder(gone);
        QTRY_VERIFY(!sort.running());
        QVERIFY(!QApplication::overrideCursor());
    }

    // A press on a selected row and a move start the list's own drag; the selection stays.
    void pressAndMoveOnSelectedRowsStartsADrag() {
        Fixture f;
        ProjectListView* list = f.list();
        f.show();
        list->selectRows({1, 3});
        list->setCurrentIndex(list->model()->index(3, 0));
        list->selectRows({1, 3});
        test::DragCatcher caught(list);
        const QPoint onB = list->visualRect(list->model()->index(1, 0)).center();
        const QPoint onD = list->visualRect(list->model()->index(3, 0)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onB);
        QTest::mouseMove(list->viewport(), onB + QPoint(4, 4));
        QTest::mouseMove(list->viewport(), onD);
        QDrag* drag = caught.drag();
        QVERIFY(drag);
        QCOMPARE(drag->source(), list);
        QVERIFY(list->acceptsDragAt(drag->source(), drag->mimeData(),
                                    list->visualRect(list->model()->index(4, 0)).center()));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onD);
        QCOMPARE(list->selectedRows(), (std::vector<int>{1, 3}));
        QCOMPARE(f.paths(), std::string("ABCDE"));
    }

    void dropInsideTheListMovesTheBlock() {
        Fixture f;
        ProjectListView* list = f.list();
        f.show();
        list->selectRows({1, 3});
        const QPoint onE = list->visualRect(list->model()->index(4, 0)).center();
        const QPoint onB = list->visualRect(list->model()->index(1, 0)).center();
        const QPoint below(10, list->viewport()->height() - 2);
        std::unique_ptr<QMimeData> ours(list->dragData());
        QMimeData foreign;
        foreign.setText(QStringLiteral("C:\\x\\"));
        QVERIFY(list->acceptsDragAt(list, ours.get(), onE));
        QVERIFY(list->acceptsDragAt(list, ours.get(), below));
        QVERIFY(!list->acceptsDragAt(list, ours.get(), onB)); // a selected row
        QVERIFY(!list->acceptsDragAt(list, &foreign, onE));
        QVERIFY(!list->acceptsDragAt(f.tree(), ours.get(), onE));
        // The list's own format from another program: a drop without a source is refused.
        QVERIFY(!test::dropAt(list, ours.get(), onE));
        QCOMPARE(f.paths(), std::string("ABCDE"));

        f.form->catalogueActions().dropOnRow(4);
        QCOMPARE(f.paths(), std::string("ACBDE"));
        QCOMPARE(list->selectedRows(), (std::vector<int>{2, 3}));
        f.form->catalogueActions().dropOnRow(-1);
        QCOMPARE(f.paths(), std::string("ACEBD"));
        QCOMPARE(list->selectedRows(), (std::vector<int>{3, 4}));
    }

    void doubleClickFollowsTheSetting() {
        Fixture f;
        ProjectListView* list = f.list();
        f.show();
        f.registry.keys["Software\\Enterbrain\\RPG2000"]["ApplicationPath"] = "C:\\E\\";
        const QPoint onC = list->visualRect(list->model()->index(2, 0)).center();
        const QString expected[] = {
            QStringLiteral("C||"),
            QStringLiteral("C\\RPG_RT.EXE|GamePlay ShowTitle FullScreen|C\\"),
            QStringLiteral("C:\\E\\RPG2000.exe|0|C:\\E\\")};
        for (int value = 0; value <= 2; ++value) {
            f.workspace->settings().basic.dblClick = value;
            f.shell.starts.clear();
            // A person's double click: a click, then the second press that the system reports
            // as a double click.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onC);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onC);
            QVERIFY2(f.shell.starts.size() == 1, qPrintable(QString::number(value)));
            const auto& s = f.shell.starts[0];
            QCOMPARE(QString::fromStdString(s.file + "|" + s.parameters + "|" + s.directory),
                     expected[value]);
        }
        f.shell.starts.clear();
        f.workspace->settings().basic.dblClick = 3;
        f.workspace->launch().runDoubleClickAction();
        QVERIFY(f.dialogs.shown.empty());
        QVERIFY(f.shell.starts.empty());
        f.workspace->settings().basic.dblClick = 7;
        f.workspace->launch().runDoubleClickAction();
        QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(f.dialogs.shown[0].text, std::string("Not found be specified action"));
        QCOMPARE(f.dialogs.shown[0].caption, std::string("ProjectListDblClick()"));
    }

    // Launch commands act on the focused row, from their keys, menus and buttons alike.
    void launchCommandsTakeTheFocusedRow() {
        Fixture f;
        ProjectListView* list = f.list();
        f.show();
        list->setFocus();
        list->setCurrentIndex(list->model()->index(1, 0));
        list->selectRows({0, 3}); // the selection is not what starts
        QTest::keyClick(list, Qt::Key_F5);
        control(f.form.get(), "ToolButton_TestPlay")->trigger();
        control(f.form.get(), "ListPop_OpenProjectFolder")->trigger();
        control(f.form.get(), "R1")->trigger();
        QCOMPARE(f.shell.starts.size(), std::size_t(3));
        QCOMPARE(f.shell.starts[0].file, std::string("B\\RPG_RT.EXE"));
        QCOMPARE(f.shell.starts[1].parameters, std::string("TestPlay ShowTitle FullScreen"));
        QCOMPARE(f.shell.starts[2].file, std::string("B"));
        QCOMPARE(f.shell.properties, std::vector<std::string>{"B"});
        control(f.form.get(), "MainMenu_ThukuruExecute")->trigger();
        QCOMPARE(f.dialogs.shown.size(), std::size_t(1)); // not installed
    }

    void rpg2003EntryShowsOnlyWhenTheEditorIsRegistered() {
        {
            Fixture f;
            QVERIFY(!control(f.form.get(), "ListPop_Thukuru2003Execute")->isVisible());
        }
        test::MainWindow s;
        s.registry.keys["Software\\Enterbrain\\RPG2003"]["ApplicationPath"] = "C:\\R\\";
        TMainForm& form = s.start();
        QVERIFY(control(&form, "ListPop_Thukuru2003Execute")->isVisible());
    }

    // The list's own state goes into the dialog; OK brings the dialog's choices back to the list.
    void settingsCommandRefreshesTheListSettingsAndAppliesThemOnOk() {
        Fixture f;
        TMainForm& m = *f.form;
        m.show();
        f.dialogs.fonts.push_back(FontChoice{sj("Noto Serif CJK JP"), 14, 0x0000FF});
        int red = -1;
        test::OnceShown<SettingsDialog> cancel([&red](SettingsDialog* d) {
            red = control<QScrollBar>(d, "SclBar_Red")->value();
            click(d, "Bt_ChangeFont");
            click(d, "Bt_Cansel");
        });
        const QFont before = f.list()->font();
        control(&m, "MainMenu_Setting")->trigger();
        QVERIFY(cancel.seen);
        QCOMPARE(red, 255); // the system colour comes in as 0x7FFFFFFF
        QCOMPARE(f.list()->font(), before);
        QCOMPARE(f.dialogs.fontRequests.size(), std::size_t(1));
        QCOMPARE(f.dialogs.fontRequests[0].colour, std::uint32_t(0x80000008));

        f.dialogs.fonts.push_back(FontChoice{sj("Noto Serif CJK JP"), 14, 0x0000FF});
        test::OnceShown<SettingsDialog> ok([](SettingsDialog* d) {
            click(d, "Bt_ChangeFont");
            control<QTabWidget>(d, "PageControl")->setCurrentIndex(1);
            click(d, "Chk_Rowselect");
            click(d, "Bt_Ok");
        });
        control(&m, "MainMenu_Setting")->trigger();
        QVERIFY(ok.seen);
        QVERIFY(f.list()->rowSelect());
        QCOMPARE(f.list()->font().families().value(0), QStringLiteral("Noto Serif CJK JP"));
        QCOMPARE(f.tree()->font(), f.list()->font());
        QCOMPARE(f.list()->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(f.workspace->settings().list.bgColor, Colour(0xFFFFFF));
        QVERIFY(!f.workspace->settings().list.bgColorOn);
        QVERIFY(m.close());
        QVERIFY(f.saved("FontName=Noto Serif CJK JP\r\n"));
    }

    void aboutBoxLinkOpensThePageAndCloses() {
        Fixture f;
        f.hostFolder = QStringLiteral("/home/me/.config/Tavrin/");
        TMainForm& m = f.start();
        m.show();
        test::OnceShown<AboutDialog> person([](AboutDialog* box) {
            QVERIFY(control<QLabel>(box, "Lab_DataFolder")
                        ->text()
                        .endsWith(QStringLiteral("\n/home/me/.config/Tavrin/")));
            QTest::mouseClick(control<QLabel>(box, "Lab_Url"), Qt::LeftButton);
        });
        control(&m, "MainMenu_About")->trigger();
        QVERIFY(person.seen);
        QCOMPARE(f.shell.starts.size(), std::size_t(1));
        QCOMPARE(f.shell.starts[0].file, std::string("https://tavrin.example.org/"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void barToggleAndHelp() {
        Fixture f;
        TMainForm& m = *f.form;
        m.show();
        control(&m, "MenuItem_AplBar")->trigger(); // no shown buttons: stays hidden, unchecked
        QVERIFY(!control<UserBar>(&m, "AplBar")->isVisible());
        QVERIFY(!control(&m, "MenuItem_AplBar")->isChecked());
        control(&m, "MenuItem_NmlBar")->trigger();
        QVERIFY(!control<QToolBar>(&m, "NmlBar")->isVisible());
        QVERIFY(!control(&m, "MenuItem_NmlBar")->isChecked());
        control(&m, "MenuItem_NmlBar")->trigger();
        QVERIFY(control<QToolBar>(&m, "NmlBar")->isVisible());
        QVERIFY(control(&m, "MenuItem_NmlBar")->isChecked());

        control(&m, "MainMenu_OpenHelp")->trigger();
        QCOMPARE(f.help.shown.size(), std::size_t(1));
        QCOMPARE(f.help.shown[0].first, kApp + "Tavrin.hlp");
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
