#include "app/Main.h"
#include "app/core/Workspace.h"
#include "catalogue/CatalogueFile.h"
#include "platform/Cp932.h"
#include "platform/ProfileFile.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/qt/AppIcons.h"
#include "support/MainWindow.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrin;
using test::control;
using test::kApp;
using test::kData;
using test::kIni;

using Setup = test::MainWindow;

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void firstStartShowsTheDefaultTreeAndWritesIt() {
        Setup s;
        TMainForm& form = s.start();
        QVERIFY(s.dialogs.shown.empty());
        QVERIFY(s.marker.held);
        QCOMPARE(s.tree()->currentIndex().data().toString(), QStringLiteral("RPG"));
        QVERIFY(s.tree()->isExpanded(s.tree()->model()->index(0, 0)));
        QCOMPARE(s.status(0), QStringLiteral("0個のプロジェクト"));
        QCOMPARE(s.status(1), QString());
        QCOMPARE(s.list()->model()->columnCount(), 2);
        QCOMPARE(s.list()->columnWidth(0), 360);
        QCOMPARE(s.list()->columnWidth(1), 150);
        QVERIFY(form.close());
        QCOMPARE(s.fs.files[kData].size(), std::size_t(28));
        QCOMPARE(s.marker.releases, 1);
    }

    void selectingAFolderShowsItsRowsAndCount() {
        Setup s;
        s.fs.files[kData] =
            test::CatalogueTree()
                .folder("R")
                .folder(">A", {{"P1\\", "T1", pk2000}})
                .folder(">B",
                        {{"Q\\", sj("勇者"), pk95}, {"Q2\\", "U", pk2000}, {"Q3\\", "V", pk2000}})
                .file();
        TMainForm& form = s.start();
        QCOMPARE(s.status(0), QStringLiteral("1個のプロジェクト"));
        control<QLabel>(&form, "StatusPanel1")->setText(QStringLiteral("stale"));
        struct Changes : CatalogueListener {
            std::vector<std::string> shown;
            void selectionChanged(TreeNode* now) override {
                shown.push_back(now ? now->name : "-");
            }
        } changes;
        s.catalogue().addListener(&changes);
        QAbstractItemModel* folders = s.tree()->model();
        const QModelIndex root = folders->index(0, 0);
        // A quick run of changes: the list empties at once and shows the last folder once.
        s.tree()->setCurrentIndex(root);
        s.tree()->setCurrentIndex(folders->index(1, 0, root));
        QCOMPARE(s.list()->model()->rowCount(), 0);
        QCOMPARE(s.status(1), QString());
        QTRY_COMPARE(changes.shown, std::vector<std::string>{"B"});
        s.catalogue().removeListener(&changes);
        QCOMPARE(s.catalogue().selected()->name, std::string("B"));
        QCOMPARE(s.list()->model()->rowCount(), 3);
        QCOMPARE(s.list()->model()->index(0, 1).data().toString(), QStringLiteral("勇者"));
        QCOMPARE(s.status(0), QStringLiteral("3個のプロジェクト"));
        QCOMPARE(s.status(1), QString());
    }

    void damagedCatalogueIsReportedAndKeptAside() {
        Setup s;
        s.fs.files[kData] = "IXO";
        TMainForm& form = s.start();
        QCOMPARE(s.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(s.dialogs.shown[0].text,
                 sj("ファイル識別子が不正です。\n元のファイルは、終了するときに ") + kData +
                     sj(".bak として残します。"));
        QCOMPARE(s.tree()->model()->rowCount(), 0);
        QCOMPARE(s.list()->model()->rowCount(), 0);
        QVERIFY(form.close());
        QCOMPARE(s.fs.files[kData + ".bak"], std::string("IXO"));
        QCOMPARE(s.fs.files[kData].size(), std::size_t(12));
    }

    // A [TreeView] that names no width keeps the tree as designed.
    void treeWithoutAStoredWidthKeepsItsDesignedWidth() {
        Setup s;
        s.fs.files[kIni] = "[TreeView]\r\nIndex=0\r\n";
        s.start();
        s.show();
        QCOMPARE(s.tree()->width(), 165);
    }

    void failedWriteKeepsTheWindowOpen() {
        Setup s;
        TMainForm& form = s.start();
        form.show();
        s.fs.failWrites.push_back(kData);
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        QCOMPARE(s.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(s.dialogs.shown[0].text, sj("ファイル Z:\\app\\data.ixo を作成できません."));
        QCOMPARE(s.dialogs.shown[0].caption, std::string("Tavrin"));
        QVERIFY(s.dialogs.shown[0].icon == MsgIcon::error);
        QCOMPARE(s.marker.releases, 0);
        s.fs.failWrites.clear();
        QVERIFY(form.close());
        QCOMPARE(s.marker.releases, 1);
    }

    void handWrittenSettingsAreAppliedAndKept() {
        Setup s;
        s.fs.files[kData] = test::CatalogueTree({"R", ">A", ">B"}).file();
        const std::string ini =
            "; kept comment\r\n[B_Setting]\r\ntasktray=1\r\ninvisible=0\r\n"
            "position=0\r\n[Mine]\r\nfoo=bar\r\n[L_Setting]\r\nbgcolor=1\r\n"
            "gridline=0\r\nunknown=5\r\n[ListView]\r\nBGColor=0x00FF00\r\n"
            "FontColor=-2147483640\r\nFontSize=12\r\n[RPGSearch]\r\nMatch_2k=0\r\n"
            "[TreeView]\r\nIndex=2\r\n[Columns]\r\ncolum1=200\r\n"
            "[Position]\r\ndisx=5\r\ndisy=6\r\nwinx=500\r\nwiny=300\r\n";
        s.fs.files[kIni] = ini;
        {
            TMainForm& form = s.start();
            QVERIFY(s.dialogs.shown.empty());
            const UserSettings& r = s.workspace->settings();
            QVERIFY(r.basic.tasktray);
            QVERIFY(!r.basic.invisible);
            QCOMPARE(r.search.matchKinds, 0u);
            QCOMPARE(s.catalogue().selected()->name, std::string("B"));
            QCOMPARE(s.tree()->currentIndex().data().toString(), QStringLiteral("B"));
            QCOMPARE(s.list()->palette().color(QPalette::Base), QColor(0, 255, 0));
            QCOMPARE(s.tree()->palette().color(QPalette::Base), QColor(0, 255, 0));
            QCOMPARE(s.list()->palette().color(QPalette::Text),
                     QApplication::palette().color(QPalette::Text));
            QVERIFY(!s.list()->showGrid());
            QCOMPARE(s.list()->columnWidth(0), 200);
            QCOMPARE(s.list()->font().pixelSize(), qRound(12.0 * form.logicalDpiY() / 72));
            QCOMPARE(s.tree()->font(), s.list()->font());
            QCOMPARE(form.pos(), QPoint(6, 5)); // disx is the top edge, disy the left
            QVERIFY(s.close());
        }
        const std::string& saved = s.fs.files[kIni];
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
        test::CatalogueTree tree({"Tavrin"});
        for (int n = 0; n < 300; ++n)
            tree.folder(">F" + std::to_string(n));
        for (const char* index : {"", "250"}) {
            Setup s;
            s.fs.files[kData] = tree.file();
            if (*index)
                s.fs.files[kIni] = "[TreeView]\r\nIndex=" + std::string(index) + "\r\n";
            TMainForm& form = s.start();
            s.show();
            QCoreApplication::processEvents();
            const QModelIndex current = s.tree()->currentIndex();
            QCOMPARE(current.data().toString(), QString(*index ? "F249" : "F0"));
            const QRect viewport = s.tree()->viewport()->rect();
            const QRect row = s.tree()->visualRect(current);
            QVERIFY2(row.top() >= viewport.top() && row.bottom() <= viewport.bottom(), index);
            if (!*index) {
                // The root's row is the first one shown.
                QCOMPARE(s.tree()->indexAt(QPoint(1, 1)).data().toString(),
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
        s.fs.files[kIni] =
            "[ListView]\r\nIcon[0]=Z:\\icons\\red.ico\r\nIcon[1]=Z:\\icons\\text.ico\r\n";
        s.start();
        s.catalogue().addFoundItem("A\\", "a", pk2000);
        s.catalogue().addFoundItem("B\\", "b", pk95);
        const auto pixel = [&s](int row) {
            const QIcon icon =
                s.list()->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
            return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
        };
        QCOMPARE(pixel(0), QColor(255, 0, 0));
        QCOMPARE(pixel(1),
                 appicons::defaultListIcons()[2].pixmap(16, 16).toImage().pixelColor(8, 8));
    }

    void extremeLayoutValuesAreHarmless() {
        Setup s;
        s.fs.files[kIni] =
            "[Position]\r\ndisx=-2147483648\r\ndisy=2147483647\r\nwinx=-5\r\nwiny=0x7FFFFFFF\r\n"
            "[Columns]\r\ncolum1=-300\r\ncolum2=2147483647\r\n[ToolBarPos]\r\nNmlPosy=-9\r\n"
            "[ListView]\r\nFontSize=2147483647\r\nFontName=\r\n[TreeView]\r\nWidth=-1\r\n"
            "Index=-7\r\n";
        TMainForm& form = s.start();
        s.show();
        QVERIFY(s.list()->font().pixelSize() > 0);
        QVERIFY(form.height() <= form.screen()->availableVirtualSize().height());
        QVERIFY(form.close());
        QVERIFY(s.saved("\r\nIndex=1\r\n"));
    }

    // The designed and the stored sizes are the window's outer ones.
    void windowOpensAtItsOuterSize() {
        {
            Setup s;
            TMainForm& form = s.start();
            s.show();
            QVERIFY(form.frameGeometry().size() != form.geometry().size()); // a frame to count
            QCOMPARE(form.frameGeometry().size(), QSize(707, 369));
        }
        Setup s;
        s.fs.files[kIni] = "[Position]\r\ndisx=40\r\ndisy=30\r\nwinx=600\r\nwiny=300\r\n";
        TMainForm& form = s.start();
        s.show();
        QCOMPARE(form.frameGeometry(), QRect(30, 40, 600, 300));
        QVERIFY(form.close());
        QVERIFY(s.saved("disx=40\r\ndisy=30\r\nwinx=600\r\nwiny=300\r\n"));
    }

    // A window stored outside every screen opens where it can be seen, and is saved there.
    void windowStoredOffTheScreenComesBack() {
        Setup s;
        s.fs.files[kIni] = "[Position]\r\ndisx=32767\r\ndisy=-32767\r\nwinx=707\r\nwiny=369\r\n";
        TMainForm& form = s.start();
        s.show();
        const QRect desktop = form.screen()->availableGeometry();
        QVERIFY2(desktop.contains(form.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(form.x()).arg(form.y())));
        QVERIFY(form.close());
        const ProfileFile ini(s.fs.files[kIni]);
        QCOMPARE(ini.readInteger("Position", "disx", -1), form.frameGeometry().top());
        QCOMPARE(ini.readInteger("Position", "disy", -1), form.frameGeometry().left());
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
        TreeNode* root = c.addFolder(nullptr, "Tavrin");
        TreeNode* a = c.addFolder(root, sj("ゲーム表"));
        TreeNode* b = c.addFolder(a, sj(" 空白"));
        c.addFolder(b, "three");
        c.selectFolder(a);
        c.addFoundItem(sj("C:\\ソフト\\"), sj("勇者"), pk2000);
        c.addFoundItem("C:\\g95\\", sj("ツクール95作品"), pk95);
        c.insertPastedItem("C:\\p\\", "pasted", -1);
        const std::string original = serializeCatalogue(c.tree());
        QVERIFY(fs.writeFileAtomic(app + "data.ixo", original));

        test::FakeServices f;
        {
            const Services services{fs,      f.dialogs,  f.marker, f.clipboard, f.help,
                                    f.shell, f.registry, f.icons,  fs};
            Workspace workspace(services, app);
            TMainForm form(workspace, services);
            workspace.open();
            form.showOpenedWorkspace();
            QVERIFY(form.close());
        }
        QVERIFY(f.dialogs.shown.empty());
        QCOMPARE(*fs.readFile(app + "data.ixo"), original);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
