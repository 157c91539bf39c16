#include "TestDoubles.h"
#include "app/Main.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/FolderTreeView.h"
#include "catalogue/ProjectListView.h"
#include "platform/Cp932.h"
#include "platform/ProfileFile.h"
#include "platform/linux/AppIcons.h"
#include "platform/linux/LinuxFileSystem.h"
#include "ui/Controls.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace tavrin;
using test::FakeInstanceMarker;
using test::MemoryFileSystem;
using test::ScriptedDialogs;

namespace {

const std::string kApp = "Z:\\app\\";
const std::string kData = kApp + "data.ixo";

using Setup = test::FakeServices;

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void firstStartShowsTheDefaultTreeAndWritesIt() {
        Setup s;
        TMainForm form(s.services(), kApp);
        QVERIFY(s.dialogs.shown.empty());
        QVERIFY(s.marker.held);
        QCOMPARE(form.helpFile(), kApp + "Tavrin.hlp");
        QCOMPARE(control<FolderTreeView>(form, "TreeView")->currentIndex().data().toString(),
                 QStringLiteral("RPG"));
        QVERIFY(control<FolderTreeView>(form, "TreeView")
                    ->isExpanded(control<FolderTreeView>(form, "TreeView")->model()->index(0, 0)));
        QCOMPARE(control<QLabel>(form, "StatusPanel0")->text(),
                 QStringLiteral("0個のプロジェクト"));
        QCOMPARE(control<QLabel>(form, "StatusPanel1")->text(), QString());
        QCOMPARE(control<ProjectListView>(form, "ProjectList")->model()->columnCount(), 2);
        QCOMPARE(control<ProjectListView>(form, "ProjectList")->columnWidth(0), 360);
        QCOMPARE(control<ProjectListView>(form, "ProjectList")->columnWidth(1), 150);
        QVERIFY(form.close());
        QCOMPARE(s.fs.files[kData].size(), std::size_t(28));
        QCOMPARE(s.marker.releases, 1);
    }

    void selectingAFolderShowsItsRowsAndCount() {
        Setup s;
        const std::string tree = "R\n\r\vA\n\r\vB\n\r";
        const std::string items = "\x1E"
                                  "P1\\\x1CT1\x1C\x01\x1D\x1E"
                                  "Q\\\x1C" +
                                  sj("勇者") +
                                  "\x1C\x02\x1D"
                                  "Q2\\\x1CU\x1C\x01\x1D"
                                  "Q3\\\x1CV\x1C\x01\x1D\x1E";
        s.fs.files[kData] = test::catalogueFile(tree, items);
        TMainForm form(s.services(), kApp);
        QCOMPARE(control<QLabel>(form, "StatusPanel0")->text(),
                 QStringLiteral("1個のプロジェクト"));
        control<QLabel>(form, "StatusPanel1")->setText(QStringLiteral("stale"));
        struct Changes : CatalogueListener {
            std::vector<std::string> shown;
            void selectionChanged(TreeNode* now) override {
                shown.push_back(now ? now->name : "-");
            }
        } changes;
        form.catalogue().addListener(&changes);
        QAbstractItemModel* folders = control<FolderTreeView>(form, "TreeView")->model();
        const QModelIndex root = folders->index(0, 0);
        // A quick run of changes: the list empties at once and shows the last folder once.
        control<FolderTreeView>(form, "TreeView")->setCurrentIndex(root);
        control<FolderTreeView>(form, "TreeView")->setCurrentIndex(folders->index(1, 0, root));
        QCOMPARE(control<ProjectListView>(form, "ProjectList")->model()->rowCount(), 0);
        QCOMPARE(control<QLabel>(form, "StatusPanel1")->text(), QString());
        QTRY_COMPARE(changes.shown, std::vector<std::string>{"B"});
        form.catalogue().removeListener(&changes);
        QCOMPARE(form.catalogue().selected()->name, std::string("B"));
        QCOMPARE(control<ProjectListView>(form, "ProjectList")->model()->rowCount(), 3);
        QCOMPARE(
            control<ProjectListView>(form, "ProjectList")->model()->index(0, 1).data().toString(),
            QStringLiteral("勇者"));
        QCOMPARE(control<QLabel>(form, "StatusPanel0")->text(),
                 QStringLiteral("3個のプロジェクト"));
        QCOMPARE(control<QLabel>(form, "StatusPanel1")->text(), QString());
        // Holding the marker, it clears what writes cut short left beside its two files.
        QCOMPARE(s.fs.cleaned, (std::vector<std::string>{kData, kApp + std::string("Tavrin.ini")}));
    }

    // A second copy, and a copy that cannot take the marker, which cannot know it is alone.
    void secondInstanceSaysSoAndWritesNothing() {
        for (const bool unavailable : {false, true}) {
            Setup s;
            s.marker.otherHolds = !unavailable;
            s.marker.unavailable = unavailable;
            s.fs.files[kData] = "IxO\x09junk";
            {
                TMainForm form(s.services(), kApp);
                QVERIFY(form.isSecondInstance());
                QVERIFY(!s.dialogs.shown.empty());
                QCOMPARE(s.dialogs.shown[0].text,
                         unavailable ? sj("データを置くフォルダに、ほかの Tavrin と同時に使わない"
                                          "ための目印を作成できません。終了します。")
                                     : sj("既に起動しています。"));
                QCOMPARE(s.dialogs.shown[0].caption, std::string("Tavrin"));
                QVERIFY(s.dialogs.shown[0].buttons == MsgButtons::Ok);
                QVERIFY(form.close());
            }
            QCOMPARE(s.fs.files.size(), std::size_t(1));
            QCOMPARE(s.fs.files[kData], std::string("IxO\x09junk"));
            QCOMPARE(s.marker.releases, 0);
            // The first copy may be writing them.
            QVERIFY(s.fs.cleaned.empty());
        }
    }

    void damagedCatalogueIsReportedAndKeptAside() {
        Setup s;
        s.fs.files[kData] = "IXO";
        TMainForm form(s.services(), kApp);
        QCOMPARE(s.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(s.dialogs.shown[0].text,
                 sj("ファイル識別子が不正です。\n元のファイルは、終了するときに ") + kData +
                     sj(".bak として残します。"));
        QCOMPARE(control<FolderTreeView>(form, "TreeView")->model()->rowCount(), 0);
        QCOMPARE(control<ProjectListView>(form, "ProjectList")->model()->rowCount(), 0);
        QVERIFY(form.close());
        QCOMPARE(s.fs.files[kData + ".bak"], std::string("IXO"));
        QCOMPARE(s.fs.files[kData].size(), std::size_t(12));
    }

    // A catalogue and settings that are there but cannot be read (a FIFO, a device, a file
    // too large) are told, and the close replaces neither with an empty or default one.
    void filesThatCannotBeReadAreToldAndNeverReplaced() {
        Setup s;
        const std::string ini = kApp + "Tavrin.ini";
        const std::string settings = "[B_Setting]\r\nstartsize=1\r\n";
        s.fs.files[kData] = "catalogue";
        s.fs.files[ini] = settings;
        s.fs.refused = {kData, ini};
        {
            TMainForm form(s.services(), kApp);
            QCOMPARE(s.dialogs.shown.size(), std::size_t(2));
            QVERIFY(s.dialogs.shown[0].text.find(sj("元のファイルは、終了するときに ") + kData +
                                                 ".bak") != std::string::npos);
            QVERIFY(s.dialogs.shown[1].text.find(sj("このファイルは書き換えません。")) !=
                    std::string::npos);
            // The rest of start-up still ran.
            QVERIFY(!control(form, "ListPop_Thukuru2003Execute")->isVisible());
            s.fs.refused.clear();
            QVERIFY(form.close());
        }
        QCOMPARE(s.fs.files[kData + ".bak"], std::string("catalogue"));
        QCOMPARE(s.fs.files[ini], settings);
        QCOMPARE(s.marker.releases, 1);
    }

    // A [TreeView] that names no width keeps the tree as designed.
    void treeWithoutAStoredWidthKeepsItsDesignedWidth() {
        Setup s;
        s.fs.files[kApp + "Tavrin.ini"] = "[TreeView]\r\nIndex=0\r\n";
        TMainForm form(s.services(), kApp);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(control<FolderTreeView>(form, "TreeView")->width(), 165);
    }

    void failedWriteKeepsTheWindowOpen() {
        Setup s;
        TMainForm form(s.services(), kApp);
        form.show();
        s.fs.failWrites.push_back(kData);
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        QCOMPARE(s.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(s.dialogs.shown[0].text, sj("ファイル Z:\\app\\data.ixo を作成できません."));
        QCOMPARE(s.dialogs.shown[0].caption, std::string("Tavrin"));
        QVERIFY(s.dialogs.shown[0].icon == MsgIcon::Error);
        QCOMPARE(s.marker.releases, 0);
        s.fs.failWrites.clear();
        QVERIFY(form.close());
        QCOMPARE(s.marker.releases, 1);
    }

    void handWrittenSettingsAreAppliedAndKept() {
        Setup s;
        const std::string tree = "R\n\r\vA\n\r\vB\n\r";
        s.fs.files[kData] = test::catalogueFile(tree, "\x1E\x1E\x1E");
        const std::string ini =
            "; kept comment\r\n[B_Setting]\r\ntasktray=1\r\ninvisible=0\r\n"
            "position=0\r\n[Mine]\r\nfoo=bar\r\n[L_Setting]\r\nbgcolor=1\r\n"
            "gridline=0\r\nunknown=5\r\n[ListView]\r\nBGColor=0x00FF00\r\n"
            "FontColor=-2147483640\r\nFontSize=12\r\n[RPGSearch]\r\nMatch_2k=0\r\n"
            "[TreeView]\r\nIndex=2\r\n[Columns]\r\ncolum1=200\r\n"
            "[Position]\r\ndisx=5\r\ndisy=6\r\nwinx=500\r\nwiny=300\r\n";
        s.fs.files[kApp + "Tavrin.ini"] = ini;
        {
            TMainForm form(s.services(), kApp);
            QVERIFY(s.dialogs.shown.empty());
            const SettingsRecord& r = form.settings();
            QVERIFY(r.basic.tasktray);
            QVERIFY(!r.basic.invisible);
            QCOMPARE(r.search.matchKinds, 0u);
            QCOMPARE(form.catalogue().selected()->name, std::string("B"));
            QCOMPARE(control<FolderTreeView>(form, "TreeView")->currentIndex().data().toString(),
                     QStringLiteral("B"));
            QCOMPARE(control<ProjectListView>(form, "ProjectList")->palette().color(QPalette::Base),
                     QColor(0, 255, 0));
            QCOMPARE(control<FolderTreeView>(form, "TreeView")->palette().color(QPalette::Base),
                     QColor(0, 255, 0));
            QCOMPARE(control<ProjectListView>(form, "ProjectList")->palette().color(QPalette::Text),
                     QApplication::palette().color(QPalette::Text));
            QVERIFY(!control<ProjectListView>(form, "ProjectList")->showGrid());
            QCOMPARE(control<ProjectListView>(form, "ProjectList")->columnWidth(0), 200);
            QCOMPARE(control<ProjectListView>(form, "ProjectList")->font().pixelSize(),
                     qRound(12.0 * form.logicalDpiY() / 72));
            QCOMPARE(control<FolderTreeView>(form, "TreeView")->font(),
                     control<ProjectListView>(form, "ProjectList")->font());
            QCOMPARE(form.pos(), QPoint(6, 5)); // disx is the top edge, disy the left
            QVERIFY(form.close());
        }
        const std::string& saved = s.fs.files[kApp + "Tavrin.ini"];
        for (const char* kept : {"; kept comment\r\n", "[Mine]\r\nfoo=bar\r\n", "unknown=5\r\n",
                                 "tasktray=1\r\n", "invisible=0\r\n", "BGColor=65280\r\n",
                                 "Index=2\r\n", "FontColor=-2147483640\r\n", "FontSize=12\r\n"}) {
            QVERIFY2(saved.find(kept) != std::string::npos, kept);
        }
        QVERIFY(saved.find("[Position]") == std::string::npos); // position off erases it
    }

    // A long tree opens with its top in sight, or with the stored folder in sight when that
    // lies further down.
    void longTreeOpensWithTheSelectedFolderInSight() {
        std::string tree = "Tavrin\n\r";
        for (int n = 0; n < 300; ++n)
            tree += "\vF" + std::to_string(n) + "\n\r";
        const std::string groups(301, '\x1E');
        for (const char* index : {"", "250"}) {
            Setup s;
            s.fs.files[kData] = test::catalogueFile(tree, groups);
            if (*index)
                s.fs.files[kApp + "Tavrin.ini"] =
                    "[TreeView]\r\nIndex=" + std::string(index) + "\r\n";
            TMainForm form(s.services(), kApp);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QCoreApplication::processEvents();
            const QModelIndex current = control<FolderTreeView>(form, "TreeView")->currentIndex();
            QCOMPARE(current.data().toString(), QString(*index ? "F249" : "F0"));
            const QRect viewport = control<FolderTreeView>(form, "TreeView")->viewport()->rect();
            const QRect row = control<FolderTreeView>(form, "TreeView")->visualRect(current);
            QVERIFY2(row.top() >= viewport.top() && row.bottom() <= viewport.bottom(), index);
            if (!*index) {
                // The root's row is the first one shown.
                QCOMPARE(control<FolderTreeView>(form, "TreeView")
                             ->indexAt(QPoint(1, 1))
                             .data()
                             .toString(),
                         QStringLiteral("Tavrin"));
            }
            QVERIFY(form.close());
        }
    }

    void listIconsComeFromTheirFilesOrTheBuiltInSet() {
        Setup s;
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(QColor(255, 0, 0));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(red.save(&buffer, "ICO"));
        s.fs.files["Z:\\icons\\red.ico"] = buffer.data().toStdString();
        s.fs.files["Z:\\icons\\text.ico"] = "not an icon";
        s.fs.files[kApp + "Tavrin.ini"] =
            "[ListView]\r\nIcon[0]=Z:\\icons\\red.ico\r\nIcon[1]=Z:\\icons\\text.ico\r\n";
        TMainForm form(s.services(), kApp);
        form.catalogue().AddFoundItem("A\\", "a", pk2000);
        form.catalogue().AddFoundItem("B\\", "b", pk95);
        const auto pixel = [&form](int row) {
            const QIcon icon = control<ProjectListView>(form, "ProjectList")
                                   ->model()
                                   ->index(row, 0)
                                   .data(Qt::DecorationRole)
                                   .value<QIcon>();
            return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
        };
        QCOMPARE(pixel(0), QColor(255, 0, 0));
        QCOMPARE(pixel(1),
                 appicons::defaultListIcons()[2].pixmap(16, 16).toImage().pixelColor(8, 8));
    }

    void extremeLayoutValuesAreHarmless() {
        Setup s;
        s.fs.files[kApp + "Tavrin.ini"] =
            "[Position]\r\ndisx=-2147483648\r\ndisy=2147483647\r\nwinx=-5\r\nwiny=0x7FFFFFFF\r\n"
            "[Columns]\r\ncolum1=-300\r\ncolum2=2147483647\r\n[ToolBarPos]\r\nNmlPosy=-9\r\n"
            "[ListView]\r\nFontSize=2147483647\r\nFontName=\r\n[TreeView]\r\nWidth=-1\r\n"
            "Index=-7\r\n";
        TMainForm form(s.services(), kApp);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(control<ProjectListView>(form, "ProjectList")->font().pixelSize() > 0);
        QVERIFY(form.height() <= form.screen()->availableVirtualSize().height());
        QVERIFY(form.close());
        QVERIFY(s.fs.files[kApp + "Tavrin.ini"].find("\r\nIndex=1\r\n") != std::string::npos);
    }

    // The designed and the stored sizes are the window's outer ones.
    void windowOpensAtItsOuterSize() {
        {
            Setup s;
            TMainForm form(s.services(), kApp);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(form.frameGeometry().size() != form.geometry().size()); // a frame to count
            QCOMPARE(form.frameGeometry().size(), QSize(707, 369));
        }
        Setup s;
        s.fs.files[kApp + "Tavrin.ini"] =
            "[Position]\r\ndisx=40\r\ndisy=30\r\nwinx=600\r\nwiny=300\r\n";
        TMainForm form(s.services(), kApp);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.frameGeometry(), QRect(30, 40, 600, 300));
        QVERIFY(form.close());
        const std::string& ini = s.fs.files[kApp + "Tavrin.ini"];
        QVERIFY(ini.find("disx=40\r\ndisy=30\r\nwinx=600\r\nwiny=300\r\n") != std::string::npos);
    }

    // A window stored outside every screen opens where it can be seen, and is saved there.
    void windowStoredOffTheScreenComesBack() {
        Setup s;
        s.fs.files[kApp + "Tavrin.ini"] =
            "[Position]\r\ndisx=32767\r\ndisy=-32767\r\nwinx=707\r\nwiny=369\r\n";
        TMainForm form(s.services(), kApp);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect desktop = form.screen()->availableGeometry();
        QVERIFY2(desktop.contains(form.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(form.x()).arg(form.y())));
        QVERIFY(form.close());
        const ProfileFile ini(s.fs.files[kApp + "Tavrin.ini"]);
        QCOMPARE(ini.readInteger("Position", "disx", -1), form.frameGeometry().top());
        QCOMPARE(ini.readInteger("Position", "disy", -1), form.frameGeometry().left());
    }

    void settingsWriteFailureKeepsTheWindowOpen() {
        Setup s;
        TMainForm form(s.services(), kApp);
        s.fs.failWrites.push_back(kApp + "Tavrin.ini");
        QVERIFY(!form.close());
        QCOMPARE(s.dialogs.shown.back().text, sj("Z:\\app\\Tavrin.ini に書き込めません."));
        QCOMPARE(s.marker.releases, 0);
        s.fs.failWrites.clear();
        QVERIFY(form.close());
    }

    // The real file system: a catalogue with every kind of folder and item survives a start and
    // a close byte for byte.
    void catalogueSurvivesStartAndCloseOnDisk() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        LinuxFileSystem fs(DriveTable::rootOnly());
        const std::string app =
            *fs.toWindowsPath(QFile::encodeName(dir.path()).toStdString()) + "\\";
        Catalogue c;
        TreeNode* root = c.AddFolder(nullptr, "Tavrin");
        TreeNode* a = c.AddFolder(root, sj("ゲーム表"));
        TreeNode* b = c.AddFolder(a, sj(" 空白"));
        c.AddFolder(b, "three");
        c.selectFolder(a);
        c.AddFoundItem(sj("C:\\ソフト\\"), sj("勇者"), pk2000);
        c.AddFoundItem("C:\\g95\\", sj("ツクール95作品"), pk95);
        c.InsertPastedItem("C:\\p\\", "pasted", -1);
        const std::string original = serializeCatalogue(c.tree());
        QVERIFY(fs.writeFileAtomic(app + "data.ixo", original));

        ScriptedDialogs dialogs;
        FakeInstanceMarker marker;
        test::FakeClipboard clipboard;
        test::RecordingHelp help;
        test::RecordingShell shell;
        test::MemoryRegistry registry;
        test::NamedIcons icons;
        {
            TMainForm form({fs, dialogs, marker, clipboard, help, shell, registry, icons, fs}, app);
            QVERIFY(form.close());
        }
        QVERIFY(dialogs.shown.empty());
        QCOMPARE(*fs.readFile(app + "data.ixo"), original);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
