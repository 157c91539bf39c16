#include "dialogs/qt/CustomizeDialog.h"
#include "platform/Cp932.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/qt/QtText.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"
#include "support/Widgets.h"

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QtTest>

#include <filesystem>
#include <functional>

using namespace tavrin;

namespace {

const std::string helpFile = "Z:\\opt\\tavrin\\Tavrin.hlp";
const QString longFolder(120, 'L'), longFile = QString(140, 'M') + ".exe";

using test::click;
using test::control;
using test::edit;
using test::toggle;

QLineEdit* rowEdit(QWidget* f, int k) {
    return edit(f, QStringLiteral("AplEdit%1").arg(k));
}
QCheckBox* rowCheck(QWidget* f, int k) {
    return control<QCheckBox>(f, QStringLiteral("AplCheck%1").arg(k));
}
QPushButton* button(QWidget* f, const QString& name) {
    return control<QPushButton>(f, name);
}
void gazPage(QWidget* f) {
    QTest::keyClick(f, Qt::Key_G, Qt::AltModifier);
}

// Rows 2 and 5 shown, row 5 without a path; row 7 hidden with a path; tools with blanks.
BarSettings sample() {
    BarSettings b;
    b.nmlBarVisible = true;
    b.aplButtons[1] = {"C:\\Apps\\a.exe", true};
    b.aplButtons[4] = {"", true};
    b.aplButtons[6] = {sj("D:\\文書\\b.txt"), false};
    b.gazToolPath = {"C:\\Gaz\\ \t", "", sj("E:\\表"), "F:\\mywin\\"};
    return b;
}

// Sends a drag from another program (no source) onto `w` as a file manager does; answers whether
// the drop was taken as a copy.
bool dropUrls(QWidget* w, const QList<QUrl>& urls, const QString& text, Qt::DropActions offered) {
    QMimeData mime;
    if (!urls.isEmpty()) {
        mime.setUrls(urls);
    }
    if (!text.isEmpty()) {
        mime.setText(text);
    }
    const test::DropAnswer a = test::dropFromOutside(w, mime, w->rect().center(), offered);
    if (a.entered != a.moved || a.moved != a.dropped) {
        qFatal("the drag and the drop were answered differently");
    }
    return a.dropped && a.action == Qt::CopyAction;
}

} // namespace

class TestCustomize : public QObject {
    Q_OBJECT

    test::TempFolder mRoot; // drive C:
    LinuxFileSystem mFs{DriveTable({{'C', mRoot.path()}})};

    QString host(const QString& relative) const {
        return QString::fromStdString(mRoot.path()) + '/' + relative;
    }

    BarSettings bars;

    // Opens the dialog on `bars`, lets `act` work in it, and answers what editBars did.
    bool edited(test::FakeServices& fakes, std::function<void(CustomizeDialog*)> act) {
        CustomizeDialog form({fakes.dialogs, mFs, fakes.help}, helpFile);
        return test::whileShown(form, act, [&] { return form.editBars(bars); });
    }

private slots:
    void init() { bars = sample(); }
    void initTestCase() {
        for (const char* file : {"Tools/actview/actview.exe", "ゲーム/readme.txt"}) {
            test::writeHostFile(mRoot / file, "");
        }
        test::writeHostFile(host(longFolder + '/' + longFile).toStdString(), "");
        std::filesystem::create_directories(mRoot / "Tools/actview/sub");
        std::filesystem::create_directories(mRoot / "Tools/empty");
    }

    void okWithoutAChangeGivesTheSameRecordBack() {
        for (bool visible : {false, true}) {
            test::FakeServices fakes;
            init();
            bars.aplBarVisible = visible;
            bars.gazBarVisible = !visible;
            // Shown as its character, kept as its escape.
            bars.aplButtons[7] = {"C:\\<U+00D6>l.exe", false};
            QVERIFY(edited(fakes, [](CustomizeDialog* f) {
                QCOMPARE(rowEdit(f, 7)->text(), QString::fromUtf8("D:\\文書\\b.txt"));
                QCOMPARE(rowEdit(f, 8)->text(), QString::fromUtf8("C:\\Öl.exe"));
                for (int k = 1; k <= 8; ++k) {
                    const bool shown = k == 2 || k == 5;
                    QCOMPARE(rowCheck(f, k)->isChecked(), shown);
                    QCOMPARE(rowEdit(f, k)->isEnabled(), shown);
                    QCOMPARE(button(f, QStringLiteral("AplBrowse%1").arg(k))->isEnabled(), shown);
                }
                QCOMPARE(edit(f, "Ed_lukey")->text(), QString::fromUtf8("E:\\表"));
                click(f, "Bt_Ok");
            }));
            BarSettings expected = sample();
            expected.aplBarVisible = visible;
            expected.gazBarVisible = !visible;
            expected.aplButtons[7] = {"C:\\<U+00D6>l.exe", false};
            expected.gazToolPath[0] = "C:\\Gaz\\";
            QVERIFY(bars == expected);
        }
    }

    void tickingAndUntickingRowsSwitchTheBarOn() {
        test::FakeServices fakes;
        QVERIFY(edited(fakes, [](CustomizeDialog* f) {
            toggle(rowCheck(f, 3));
            QVERIFY(rowEdit(f, 3)->isEnabled());
            QVERIFY(button(f, "AplBrowse3")->isEnabled());
            toggle(rowCheck(f, 2));
            QVERIFY(!rowEdit(f, 2)->isEnabled());
            QVERIFY(!button(f, "AplBrowse2")->isEnabled());
            click(f, "Bt_Ok");
        }));
        BarSettings expected = sample();
        expected.aplBarVisible = true;
        expected.aplButtons[2].shown = true;
        expected.aplButtons[1].shown = false; // its path stays
        expected.gazToolPath[0] = "C:\\Gaz\\";
        QVERIFY(bars == expected);
    }

    // Typing on one page switches that page's bar on, not the other; Enter is OK.
    void typingSwitchesItsOwnBarOn() {
        {
            test::FakeServices fakes;
            init();
            QVERIFY(edited(fakes, [](CustomizeDialog* f) {
                gazPage(f);
                QTest::keyClicks(edit(f, "Ed_ccclip"), "G:\\cc\\  ");
                QTest::keyClick(edit(f, "Ed_ccclip"), Qt::Key_Return);
            }));
            QVERIFY(bars.gazBarVisible);
            QVERIFY(!bars.aplBarVisible);
            QCOMPARE(bars.gazToolPath[1], std::string("G:\\cc\\"));
        }
        {
            test::FakeServices fakes;
            init();
            QVERIFY(edited(fakes, [](CustomizeDialog* f) {
                QTest::keyClicks(rowEdit(f, 5), "x.exe ");
                QTest::keyClick(rowEdit(f, 5), Qt::Key_Return);
            }));
            QVERIFY(bars.aplBarVisible);
            QVERIFY(!bars.gazBarVisible);
            QCOMPARE(bars.aplButtons[4].path, std::string("x.exe ")); // as typed
        }
        {
            // A host path is kept as the Windows path of the drive that holds it.
            test::FakeServices fakes;
            init();
            QVERIFY(edited(fakes, [this](CustomizeDialog* f) {
                QTest::keyClicks(rowEdit(f, 5), host("Tools/actview/actview.exe"));
                rowEdit(f, 2)->clear();
                QTest::keyClicks(rowEdit(f, 2), QStringLiteral("/nowhere/tool"));
                gazPage(f);
                edit(f, "Ed_actview")->clear();
                QTest::keyClicks(edit(f, "Ed_actview"), host("Tools/actview"));
                QTest::keyClick(edit(f, "Ed_actview"), Qt::Key_Return);
            }));
            QCOMPARE(bars.aplButtons[4].path, std::string("C:\\Tools\\actview\\actview.exe"));
            QCOMPARE(bars.aplButtons[1].path, std::string("/nowhere/tool"));
            QCOMPARE(QString::fromStdString(bars.gazToolPath[0]),
                     QStringLiteral("C:\\Tools\\actview"));
        }
    }

    void cancelEscapeAndTheCloseBoxChangeNothing() {
        const QList<std::function<void(CustomizeDialog*)>> ways = {
            [](CustomizeDialog* f) { click(f, "Bt_Cancel"); },
            [](CustomizeDialog* f) { QTest::keyClick(rowEdit(f, 2), Qt::Key_Escape); },
            [](CustomizeDialog* f) { f->close(); },
        };
        for (const auto& way : ways) {
            test::FakeServices fakes;
            init();
            QVERIFY(!edited(fakes, [&](CustomizeDialog* f) {
                toggle(rowCheck(f, 1));
                QTest::keyClicks(rowEdit(f, 2), "zz");
                edit(f, "Ed_mywin")->setText("Q:\\");
                way(f);
            }));
            QVERIFY(bars == sample());
        }
    }

    void browsingForAToolPutsItsFolderInTheField() {
        test::FakeServices fakes;
        fakes.dialogs.files = {std::string("D:\\Gaz\\ccclip.exe"), std::nullopt,
                               std::string("D:\\Other\\ccclip.exe")};
        bars.gazToolPath[1] = "C:\\Old\\ccclip\\";
        QVERIFY(edited(fakes, [](CustomizeDialog* f) {
            gazPage(f);
            click(f, "Bt_ccclip");
            QCOMPARE(edit(f, "Ed_ccclip")->text(), QStringLiteral("D:\\Gaz\\"));
            click(f, "Bt_ccclip"); // cancelled
            QCOMPARE(edit(f, "Ed_ccclip")->text(), QStringLiteral("D:\\Gaz\\"));
            click(f, "Bt_mywin");
            click(f, "Bt_Ok");
        }));
        QCOMPARE(bars.gazToolPath[1], std::string("D:\\Gaz\\"));
        QCOMPARE(bars.gazToolPath[3], std::string("D:\\Other\\")); // whatever the name chosen
        QVERIFY(bars.gazBarVisible);
        const auto& asked = fakes.dialogs.fileRequests;
        QCOMPARE(asked.size(), std::size_t(3));
        QCOMPARE(asked[0].fileName, std::string("ccclip.exe"));
        QCOMPARE(asked[0].filter, sj("ccclip.exe|ccclip.exe|すべてのファイル(*.*)|*.*"));
        QCOMPARE(asked[0].initialFolder, std::string("C:\\Old\\ccclip\\"));
        QCOMPARE(asked[1].initialFolder, std::string("D:\\Gaz\\"));
        QCOMPARE(asked[2].fileName, std::string("mywin.exe"));
        QCOMPARE(asked[2].initialFolder, std::string("F:\\mywin\\"));
    }

    void browsingForARowStartsInItsFolderOrWhereTheDialogWas() {
        test::FakeServices fakes;
        fakes.dialogs.files = {sj("E:\\ツール\\y.exe"), std::nullopt};
        QVERIFY(edited(fakes, [](CustomizeDialog* f) {
            click(f, "AplBrowse2");
            toggle(rowCheck(f, 4));
            click(f, "AplBrowse4"); // cancelled
            click(f, "Bt_Ok");
        }));
        QCOMPARE(bars.aplButtons[1].path, sj("E:\\ツール\\y.exe"));
        QCOMPARE(bars.aplButtons[3].path, std::string());
        const auto& asked = fakes.dialogs.fileRequests;
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[0].fileName, std::string("*.exe"));
        QCOMPARE(asked[0].filter, sj("アプリケーション(*.exe)|*.exe|すべてのファイル(*.*)|*.*"));
        QCOMPARE(asked[0].initialFolder, std::string("C:\\Apps\\"));
        // An empty row leaves the shared dialog where it last started.
        QCOMPARE(asked[1].initialFolder, std::string("C:\\Apps\\"));
    }

    void droppedFilesFillTheFields() {
        const QString notFound =
            QString::fromUtf8("指定されたフォルダには\"actview.exe\"が存在しません。");
        struct Row {
            QString field;
            QList<QUrl> urls;
            QString text;      // the field afterwards
            bool taken = true; // false: refused, the field as it was
            Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        };
        const auto file = [this](const QString& relative) {
            return QUrl::fromLocalFile(host(relative));
        };
        const QList<Row> rows = {
            {"Ed_actview", {file("Tools/actview/actview.exe")}, "C:\\Tools\\actview\\"},
            {"Ed_actview", {file("Tools/actview")}, "C:\\Tools\\actview\\"},
            {"Ed_actview", {file("Tools")}, "C:\\Tools\\actview\\"},
            {"Ed_actview", {file("Tools/actview/sub")}, "C:\\Tools\\actview\\sub\\..\\"},
            {"Ed_actview", {file("Tools/empty")}, notFound},
            // Only the first item counts.
            {"Ed_actview", {file("Tools/empty"), file("Tools/actview")}, notFound},
            {"AplEdit2",
             {file("ゲーム/readme.txt"), file("Tools")},
             QString::fromUtf8("C:\\ゲーム\\readme.txt")},
            {"AplEdit2", {file("Tools/")}, "C:\\Tools"},
            // Past the 259 bytes of a Windows drop, whole.
            {"AplEdit2",
             {file(longFolder + '/' + longFile)},
             "C:\\" + longFolder + '\\' + longFile},
            // No drive holds it, no file at all, no files in the drag, a row switched off.
            {"AplEdit2", {QUrl::fromLocalFile("/usr/bin")}, "C:\\Apps\\a.exe", false},
            {"Ed_lukey",
             {QUrl("https://example.org/lukey.exe")},
             QString::fromUtf8("E:\\表"),
             false},
            {"Ed_lukey", {}, QString::fromUtf8("E:\\表"), false},
            {"AplEdit7", {file("Tools")}, QString::fromUtf8("D:\\文書\\b.txt"), false},
            // Taken as a move, the file manager would delete the file.
            {"AplEdit2", {file("Tools")}, "C:\\Apps\\a.exe", false, Qt::MoveAction},
        };
        for (const Row& r : rows) {
            test::FakeServices fakes;
            init();
            bool taken = false;
            QString text;
            QVERIFY(edited(fakes, [&](CustomizeDialog* f) {
                if (r.field.startsWith("Ed_")) {
                    gazPage(f);
                }
                // A text alongside is what a file manager offers too; it never reaches the field.
                taken =
                    dropUrls(edit(f, r.field), r.urls, QStringLiteral("dragged text"), r.offered);
                text = edit(f, r.field)->text();
                click(f, "Bt_Ok");
            }));
            QCOMPARE(taken, r.taken);
            QCOMPARE(text, r.text);
            // A drop is a change of the user's.
            QCOMPARE(r.field.startsWith("Ed_") ? bars.gazBarVisible : bars.aplBarVisible, r.taken);
        }
    }

    void helpFollowsThePage() {
        test::FakeServices fakes;
        edited(fakes, [](CustomizeDialog* f) {
            click(f, "Bt_help");
            QTest::keyClick(rowEdit(f, 2), Qt::Key_F1);
            gazPage(f);
            click(f, "Bt_help");
            QTest::keyClick(edit(f, "Ed_mywin"), Qt::Key_F1);
            click(f, "Bt_Cancel");
        });
        const std::vector<std::pair<std::string, int>> expected = {
            {helpFile, 56}, {helpFile, 56}, {helpFile, 58}, {helpFile, 58}};
        QCOMPARE(fakes.help.shown, expected);
    }

    void shapeAndTabOrder() {
        test::FakeServices fakes;
        for (auto& entry : bars.aplButtons) {
            entry.shown = true;
        }
        QStringList apl, gaz;
        edited(fakes, [&](CustomizeDialog* f) {
            QCOMPARE(f->windowTitle(), QString::fromUtf8("カスタマイズ"));
            QCOMPARE(f->size(), QSize(343, 375));
            QCOMPARE(f->minimumSize(), f->maximumSize());
            QCOMPARE(test::sharedAccessKeys(f).join(QStringLiteral(", ")), QString());
            QCOMPARE(f->pos(), QPoint(260, 132));
            QCOMPARE(f->font().pixelSize(), 12);
            QVERIFY(button(f, "Bt_Ok")->isDefault());
            auto* pages = control<QTabWidget>(f, "PageControl");
            QCOMPARE(pages->tabText(0), QString::fromUtf8("アプリケーションバー(&A)"));
            QCOMPARE(pages->tabText(1), QString::fromUtf8("Gaz soft バー(&G)"));
            const auto walk = [&](QStringList& order, int steps) {
                pages->tabBar()->setFocus(Qt::TabFocusReason);
                for (int i = 0; i < steps; ++i) {
                    QWidget* at = QApplication::focusWidget();
                    order << (at == pages->tabBar() ? QStringLiteral("PageControl")
                                                    : at->objectName());
                    QTest::keyClick(at, Qt::Key_Tab);
                }
            };
            walk(apl, 29);
            gazPage(f);
            walk(gaz, 13);
            click(f, "Bt_Cancel");
        });
        QStringList expected = {"PageControl"};
        for (const char* kind : {"AplCheck", "AplEdit", "AplBrowse"}) {
            for (int k = 1; k <= 8; ++k) {
                expected << QStringLiteral("%1%2").arg(kind).arg(k);
            }
        }
        const QStringList buttons = {"Bt_Ok", "Bt_Cancel", "Bt_help", "PageControl"};
        QCOMPARE(apl, expected + buttons);
        QCOMPARE(gaz, QStringList({"PageControl", "Ed_actview", "Bt_actview", "Ed_ccclip",
                                   "Bt_ccclip", "Ed_lukey", "Bt_lukey", "Ed_mywin", "Bt_mywin"}) +
                          buttons);
    }
};

QTEST_MAIN(TestCustomize)
#include "test_customize.moc"
