#include "platform/Cp932.h"
#include "platform/qt/AccessKeys.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtText.h"
#include "search/qt/SearchOptionsDialog.h"
#include "support/Fakes.h"
#include "support/Widgets.h"

#include <QFileDialog>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace tavrin;

namespace {

const std::string helpFile = "Z:\\opt\\tavrin\\Tavrin.hlp";
const char* const editorKey = "Software\\ASCII\\RPG2000";

using test::box;
using test::click;
using test::control;
using test::toggle;

QLineEdit* folderEdit(QWidget* f) {
    return test::edit(f, "Ed_FindStartFolder");
}

// Opens the dialog on `s`, lets `act` work in it, and answers what editSearch did.
int edited(test::FakeServices& fakes, SearchSettings& s,
           std::function<void(SearchOptionsDialog*)> act) {
    SearchOptionsDialog form({fakes.dialogs, fakes.help, fakes.registry}, helpFile);
    return test::whileShown(form, act, [&] { return form.editSearch(s); });
}

// Turns every control away from the record {"C:\Games", insert, dupChk, 2000 only}.
void changeEverything(SearchOptionsDialog* f) {
    folderEdit(f)->selectAll();
    QTest::keyClicks(folderEdit(f), "D:\\Other");
    for (const char* name : {"Chk_rpgt2k", "Chk_rpgt95", "Chk_insert", "Chk_duplicate"}) {
        toggle(box(f, name));
    }
}

} // namespace

class TestSearchForm : public QObject {
    Q_OBJECT
private slots:
    void controlsShowTheRecord() {
        struct Row {
            SearchSettings s;
            bool rpg2000, rpg95;
        };
        // Kinds 0 and 4 prove the form's own "2000 checked" never shows through.
        const QList<Row> rows = {
            {{sj("C:\\ゲーム"), true, false, 2}, true, false},
            {{"", false, true, 4}, false, true},
            {{"Z:\\x", true, true, 0}, false, false},
            {{"Z:\\x", false, false, 7}, true, true},
        };
        for (const Row& r : rows) {
            test::FakeServices fakes;
            SearchSettings s = r.s;
            edited(fakes, s, [&](SearchOptionsDialog* f) {
                QCOMPARE(folderEdit(f)->text(), qs(r.s.searchFolder));
                QCOMPARE(box(f, "Chk_rpgt2k")->isChecked(), r.rpg2000);
                QCOMPARE(box(f, "Chk_rpgt95")->isChecked(), r.rpg95);
                QCOMPARE(box(f, "Chk_insert")->isChecked(), r.s.insert);
                QCOMPARE(box(f, "Chk_duplicate")->isChecked(), r.s.dupChk);
                // Focused with its text selected, so typing replaces it.
                QCOMPARE(QApplication::focusWidget(), folderEdit(f));
                QCOMPARE(folderEdit(f)->selectedText(), folderEdit(f)->text());
                click(f, "Bt_Cancel");
            });
        }
    }

    void cancelAndTheCloseBoxKeepTheRecord() {
        const QList<std::function<void(SearchOptionsDialog*)>> ways = {
            [](SearchOptionsDialog* f) { click(f, "Bt_Cancel"); },
            [](SearchOptionsDialog* f) { f->close(); },
        };
        for (const auto& way : ways) {
            test::FakeServices fakes;
            SearchSettings s{"C:\\Games", true, true, 2 | 8};
            const int result = edited(fakes, s, [&](SearchOptionsDialog* f) {
                changeEverything(f);
                way(f);
            });
            QCOMPARE(result, 0);
            QCOMPARE(s.searchFolder, std::string("C:\\Games"));
            QVERIFY(s.insert);
            QVERIFY(s.dupChk);
            QCOMPARE(s.matchKinds, 2u | 8u);
        }
    }

    void saveAndSearchCopyTheControlsBack() {
        const QList<std::pair<const char*, int>> rows = {{"Bt_Ok", 1}, {"Bt_Search", 2}};
        for (const auto& row : rows) {
            const char* button = row.first;
            const int expected = row.second;
            test::FakeServices fakes;
            SearchSettings s{"C:\\Games", true, true, 2 | 8};
            const int result = edited(fakes, s, [&](SearchOptionsDialog* f) {
                changeEverything(f);
                // Typed on: blanks and a trailing "\" stay, no check of any kind.
                QTest::keyClicks(folderEdit(f), "\\");
                // Japanese arrives as an input method commits it.
                QInputMethodEvent ime;
                ime.setCommitString(QString::fromUtf8("ゲーム"));
                QApplication::sendEvent(folderEdit(f), &ime);
                QTest::keyClicks(folderEdit(f), "\\ ");
                click(f, button);
            });
            QCOMPARE(result, expected);
            QCOMPARE(s.searchFolder, sj("D:\\Other\\ゲーム\\ "));
            QVERIFY(!s.insert);
            QVERIFY(!s.dupChk);
            QCOMPARE(s.matchKinds, 4u);
        }
    }

    void bothKindsUncheckedSearchForNothing() {
        test::FakeServices fakes;
        SearchSettings s{"C:\\Games", true, true, 6};
        const int result = edited(fakes, s, [](SearchOptionsDialog* f) {
            toggle(box(f, "Chk_rpgt2k"));
            toggle(box(f, "Chk_rpgt95"));
            click(f, "Bt_Search");
        });
        QCOMPARE(result, 2);
        QCOMPARE(s.matchKinds, 0u);
    }

    void editorFolderButtonFollowsTheRegistry() {
        {
            test::FakeServices fakes;
            SearchSettings s{"C:\\Games", true, true, 2};
            edited(fakes, s, [](SearchOptionsDialog* f) {
                QVERIFY(!control<QPushButton>(f, "Bt_Rpg2k")->isEnabled());
                click(f, "Bt_Cancel");
            });
        }
        {
            // A value that is no string counts as none: this dialog shows no messages.
            test::FakeServices fakes;
            fakes.registry.keys[editorKey]["ApplicationPath"] = "C:\\x";
            fakes.registry.notStrings = {"ApplicationPath"};
            SearchSettings s;
            edited(fakes, s, [](SearchOptionsDialog* f) {
                QVERIFY(!control<QPushButton>(f, "Bt_Rpg2k")->isEnabled());
                click(f, "Bt_Cancel");
            });
            QVERIFY(fakes.dialogs.shown.empty());
        }
        {
            test::FakeServices fakes;
            const std::string folder = sj("C:\\Program Files\\ASCII\\RPG2000\\");
            fakes.registry.keys[editorKey]["ApplicationPath"] = folder;
            SearchSettings s{"C:\\Games", true, true, 2};
            const int result = edited(fakes, s, [](SearchOptionsDialog* f) {
                QVERIFY(control<QPushButton>(f, "Bt_Rpg2k")->isEnabled());
                click(f, "Bt_Rpg2k");
                click(f, "Bt_Ok");
            });
            QCOMPARE(result, 1);
            QCOMPARE(s.searchFolder, folder);
        }
    }

    void browseReplacesTheEditUnlessCancelled() {
        test::FakeServices fakes;
        fakes.dialogs.folders = {sj("E:\\作品"), std::nullopt};
        SearchSettings s{"C:\\Games", true, true, 2};
        edited(fakes, s, [](SearchOptionsDialog* f) {
            click(f, "Bt_Ref");
            QCOMPARE(folderEdit(f)->text(), QString::fromUtf8("E:\\作品"));
            click(f, "Bt_Ref");
            QCOMPARE(folderEdit(f)->text(), QString::fromUtf8("E:\\作品"));
            click(f, "Bt_Cancel");
        });
        const std::vector<std::string> prompts(2, sj("検索を開始するフォルダを選んで下さい"));
        QCOMPARE(fakes.dialogs.folderPrompts, prompts);
    }

    // A folder CP932 cannot spell, chosen and then typed on, is searched by the path naming it.
    void folderCp932CannotSpellKeepsItsPath() {
        test::FakeServices fakes;
        fakes.dialogs.folders = {"E:\\Fr<U+00F6>hliche"};
        SearchSettings s{"C:\\Games", true, true, 2};
        edited(fakes, s, [](SearchOptionsDialog* f) {
            click(f, "Bt_Ref");
            QTest::keyClicks(folderEdit(f), QString::fromUtf8("\\Ö"));
            click(f, "Bt_Ok");
        });
        QCOMPARE(s.searchFolder, std::string("E:\\Fr<U+00F6>hliche\\<U+00D6>"));
    }

    void enterSavesAndEscapeDoesNothing() {
        test::FakeServices fakes;
        SearchSettings s{"C:\\Games", true, true, 2};
        bool stillOpen = false;
        const int result = edited(fakes, s, [&](SearchOptionsDialog* f) {
            QTest::keyClick(folderEdit(f), Qt::Key_Escape);
            stillOpen = f->isVisible() && f->result() == 0;
            QTest::keyClicks(folderEdit(f), "X:\\");
            // From a box as from the edit: Enter belongs to the dialog's default button.
            box(f, "Chk_rpgt2k")->setFocus(Qt::TabFocusReason);
            QTest::keyClick(box(f, "Chk_rpgt2k"), Qt::Key_Return);
        });
        QVERIFY(stillOpen);
        QCOMPARE(result, 1);
        QCOMPARE(s.searchFolder, std::string("X:\\"));
    }

    // Access keys act as the key goes down, as on Windows: the search starts without Qt's
    // tenth of a second with the button held down.
    void accessKeysActAtOnce() {
        ImmediateAccessKeys accessKeys;
        qApp->installEventFilter(&accessKeys);
        test::FakeServices fakes;
        SearchSettings s{"C:\\Games", false, false, 2};
        bool insertAtOnce = false, endedAtOnce = false;
        const int result = edited(fakes, s, [&](SearchOptionsDialog* f) {
            QTest::keyClick(folderEdit(f), Qt::Key_I, Qt::AltModifier);
            insertAtOnce = box(f, "Chk_insert")->isChecked();
            QTest::keyClick(folderEdit(f), Qt::Key_S, Qt::AltModifier);
            endedAtOnce = !f->isVisible();
        });
        QVERIFY(insertAtOnce);
        QVERIFY(endedAtOnce);
        QCOMPARE(result, 2);
        QVERIFY(s.insert);
    }

    void helpOpensContext21() {
        test::FakeServices fakes;
        SearchSettings s;
        edited(fakes, s, [](SearchOptionsDialog* f) {
            click(f, "Bt_Help");
            QTest::keyClick(f, Qt::Key_F1);
            click(f, "Bt_Cancel");
        });
        const std::vector<std::pair<std::string, int>> expected(2, {helpFile, 21});
        QCOMPARE(fakes.help.shown, expected);
    }

    void shapeAndTabOrder() {
        test::FakeServices fakes;
        fakes.registry.keys[editorKey]["ApplicationPath"] = "C:\\x";
        SearchSettings s;
        QStringList order;
        edited(fakes, s, [&](SearchOptionsDialog* f) {
            QCOMPARE(f->windowTitle(), QString::fromUtf8("RPGツクール検索"));
            QCOMPARE(f->size(), QSize(486, 307));
            QCOMPARE(f->minimumSize(), f->maximumSize());
            QCOMPARE(test::sharedAccessKeys(f).join(QStringLiteral(", ")), QString());
            for (int i = 0; i < 11; ++i) {
                order << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            click(f, "Bt_Cancel");
        });
        const QStringList expected = {"Ed_FindStartFolder", "Bt_Ref",        "Bt_Rpg2k",
                                      "Bt_Search",          "Chk_rpgt2k",    "Chk_rpgt95",
                                      "Chk_insert",         "Chk_duplicate", "Bt_Ok",
                                      "Bt_Cancel",          "Bt_Help"};
        QCOMPARE(order, expected);
    }

    // The real folder browser: owned by the open dialog, answering a Windows path.
    void folderBrowserAnswersWindowsPaths() {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString chosen = tmp.path() + QString::fromUtf8("/作品");
        QVERIFY(QDir().mkpath(chosen));
        struct Row {
            QString pick;
            QtDialogs::FolderMapper mapper;
            std::optional<std::string> expected;
        };
        const auto drive = [](const std::string&) { return std::optional<std::string>("D:\\"); };
        const auto folder = [](const std::string& host) {
            return std::optional<std::string>("C:\\g" + host + "\\");
        };
        const std::string host = QFile::encodeName(chosen).toStdString();
        const QList<Row> rows = {
            {chosen, nullptr, sj("Z:" + QString(chosen).replace('/', '\\').toStdString())},
            {chosen, folder, "C:\\g" + host},
            {chosen, drive, "D:\\"},
            {"/", nullptr, "Z:\\"},
            {QString(), nullptr, std::nullopt},
        };
        for (const Row& r : rows) {
            QtDialogs dialogs(r.mapper);
            QWidget* owner = nullptr;
            QString title;
            test::OnceShown<QFileDialog> person([&](QFileDialog* d) {
                owner = d->parentWidget();
                title = d->windowTitle();
                if (r.pick.isEmpty()) {
                    d->reject();
                    return;
                }
                d->setDirectory(r.pick);
                static_cast<QDialog*>(d)->accept();
            });
            std::optional<std::string> got;
            QWidget* outer = nullptr;
            test::insideADialog([&](QDialog* d) {
                outer = d;
                got = dialogs.browseForFolder(sj("検索を開始するフォルダを選んで下さい"));
            });
            QVERIFY(person.seen);
            QCOMPARE(owner, outer);
            QCOMPARE(title, QString::fromUtf8("検索を開始するフォルダを選んで下さい"));
            QCOMPARE(got, r.expected);
        }
    }
};

QTEST_MAIN(TestSearchForm)
#include "test_searchoptionsdialog.moc"
