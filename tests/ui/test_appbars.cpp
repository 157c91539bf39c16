#include "app/Main.h"
#include "app/UserBar.h"
#include "dialogs/qt/CustomizeDialog.h"
#include "support/MainWindow.h"
#include "support/Widgets.h"

#include <QToolButton>
#include <QtTest>

#include <map>

using namespace tavrin;
using test::click;
using test::control;
using test::png;

namespace {

// Pictures of one colour each, so a button's picture tells where it came from.
class PaintedIcons : public Icons {
public:
    std::map<std::string, QColor> files;

    std::optional<std::string> fileIcon(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<std::string>(png(it->second));
    }
    std::optional<std::string> desktopIcon(Desktop kind, const std::string&) override {
        if (kind == Desktop::webAddress) {
            return png(Qt::blue);
        }
        // The desktop gave something no window can read.
        return kind == Desktop::folder ? png(Qt::yellow) : std::string("not a picture");
    }
    std::string fallbackIcon() override { return png(Qt::gray); }
};

// The main window shown on one folder holding the project C:\Games\Hero\.
struct Bars : test::MainWindow {
    PaintedIcons painted;

    Bars() { pictures = &painted; }
    TMainForm& start(const std::string& ini) {
        fs.files[test::kIni] = ini;
        fs.files[test::kData] =
            test::CatalogueTree().folder("R", {{"C:\\Games\\Hero\\", "Hero", pk2000}}).file();
        MainWindow::start();
        select(workspace->catalogue().tree().root());
        return show();
    }
};

QColor pictureColour(const QToolButton* b) {
    return b->icon().pixmap(16, 16).toImage().pixelColor(8, 8);
}

} // namespace

class TestAppBars : public QObject {
    Q_OBJECT
private slots:
    void shownEntriesMakeTheBarAndKeepTheirOwnPictures() {
        Bars b;
        for (int n = 1; n <= 8; ++n) {
            const std::string path = "C:\\p" + std::to_string(n) + ".exe";
            b.fs.files[path] = "x";
            b.painted.files[path] = QColor(n * 30, 0, 0);
        }
        std::string ini = "[ToolBar]\r\nApl=1\r\n[AplBar]\r\n";
        for (int n = 1; n <= 8; ++n) {
            ini += "AplButton" + std::to_string(n) + "=C:\\p" + std::to_string(n) + ".exe\r\n";
        }
        ini += "AplChk2=1\r\nAplChk5=1\r\n";
        TMainForm& m = b.start(ini);
        UserBar* apl = control<UserBar>(&m, "AplBar");
        UserBar* gaz = control<UserBar>(&m, "GazBar");

        QVERIFY(apl->isVisible());
        QVERIFY(control(&m, "MenuItem_AplBar")->isChecked());
        QCOMPARE(apl->width(), 50);
        for (int n = 1; n <= 8; ++n) {
            QToolButton* bt = control<QToolButton>(apl, QStringLiteral("AplButton%1").arg(n));
            QVERIFY(bt);
            QCOMPARE(bt->isVisible(), n == 2 || n == 5);
            QCOMPARE(bt->size(), QSize(25, 23));
            QCOMPARE(pictureColour(bt), QColor(n * 30, 0, 0));
            QCOMPARE(bt->toolTip(), QStringLiteral("C:\\p%1.exe").arg(n));
        }
        QCOMPARE(control<QToolButton>(apl, "AplButton5")->x(),
                 25); // right after button 2

        // A click starts the entry's program with "0", from the entry as it stands now.
        b.workspace->settings().bars.aplButtons[4].path = "C:\\now.exe";
        QTest::mouseClick(control<QToolButton>(apl, "AplButton5"), Qt::LeftButton);
        QCOMPARE(b.shell.starts.size(), std::size_t(1));
        QCOMPARE(b.shell.starts[0].file, std::string("C:\\now.exe"));
        QCOMPARE(b.shell.starts[0].parameters, std::string("0"));

        // The Gaz soft bar has no tool: hidden, width 0, unchecked, and the menu cannot show it.
        QVERIFY(!gaz->isVisible());
        QVERIFY(!control(&m, "MenuItem_GazBar")->isChecked());
        control(&m, "MenuItem_GazBar")->trigger();
        QVERIFY(!gaz->isVisible());
        QVERIFY(!control(&m, "MenuItem_GazBar")->isChecked());
    }

    void picturesForAddressesFoldersAndDocuments() {
        Bars b;
        b.fs.files["C:\\doc.txt"] = "x";
        TMainForm& m = b.start("[ToolBar]\r\nApl=1\r\n[AplBar]\r\n"
                               "AplButton1=http://example.org/\r\nAplChk1=1\r\n"
                               "AplButton2=https://example.org/\r\nAplChk2=1\r\n"
                               "AplButton3=C:\\doc.txt\r\nAplChk3=1\r\nAplChk4=1\r\n");
        UserBar* apl = control<UserBar>(&m, "AplBar");
        QCOMPARE(pictureColour(control<QToolButton>(apl, "AplButton1")), QColor(Qt::blue));
        QCOMPARE(pictureColour(control<QToolButton>(apl, "AplButton2")), QColor(Qt::gray));
        // A picture that cannot be read gives way to the fallback.
        QCOMPARE(pictureColour(control<QToolButton>(apl, "AplButton3")), QColor(Qt::gray));
        // Shown with an empty path: a button with the fallback that does nothing.
        QToolButton* blank = control<QToolButton>(apl, "AplButton4");
        QVERIFY(blank->isVisible());
        QCOMPARE(pictureColour(blank), QColor(Qt::gray));
        QTest::mouseClick(blank, Qt::LeftButton);
        QTest::mouseClick(control<QToolButton>(apl, "AplButton2"), Qt::LeftButton);
        QCOMPARE(b.shell.starts.size(), std::size_t(1));
        QCOMPARE(b.shell.starts[0].file, std::string("https://example.org/"));
        QCOMPARE(apl->width(), 100);
    }

    void toolsShowWhenPresentAndActviewLearnsTheFocusedProject() {
        Bars b;
        b.fs.files["C:\\Gaz\\actview.exe"] = "x";
        b.fs.files["C:\\Gaz\\lukey.exe"] = "x";
        b.painted.files["C:\\Gaz\\lukey.exe"] = Qt::green;
        TMainForm& m = b.start("[ToolBar]\r\nGaz=1\r\n[GazBar]\r\nact_Path=C:\\Gaz\r\n"
                               "ccc_Path=C:\\Gaz\\\r\nluk_Path=C:\\Gaz\\\r\n");
        UserBar* apl = control<UserBar>(&m, "AplBar");
        UserBar* gaz = control<UserBar>(&m, "GazBar");
        QVERIFY(gaz->isVisible());
        QVERIFY(control(&m, "MenuItem_GazBar")->isChecked());
        QCOMPARE(gaz->width(), 50);
        QToolButton* act = control<QToolButton>(gaz, "Bt_actview");
        QCOMPARE(act->text(), QStringLiteral("Gaz_actview"));
        QCOMPARE(act->toolTip(), QStringLiteral("actview"));
        QVERIFY(!control<QToolButton>(gaz, "Bt_ccclip")->isVisible());
        QToolButton* lukey = control<QToolButton>(gaz, "Bt_lukey");
        QVERIFY(lukey->isVisible());
        QCOMPARE(lukey->toolTip(), QStringLiteral("lukey"));
        QCOMPARE(pictureColour(lukey), QColor(Qt::green));
        QVERIFY(!control<QToolButton>(gaz, "Bt_mywin")->isVisible());
        // The application bar has no entry: it stays hidden although the file asks for it.
        QVERIFY(!apl->isVisible());

        // Without a focused row actview starts with its settings file as it was.
        QTest::mouseClick(act, Qt::LeftButton);
        QVERIFY(!b.fs.files.count("C:\\Gaz\\actview.ini"));
        ProjectListView* list = control<ProjectListView>(&m, "ProjectList");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QTest::mouseClick(act, Qt::LeftButton);
        QCOMPARE(b.fs.files["C:\\Gaz\\actview.ini"],
                 std::string("[System]\r\nPath=C:\\Games\\Hero\r\n"));
        QTest::mouseClick(lukey, Qt::LeftButton);
        QCOMPARE(b.shell.starts.size(), std::size_t(3));
        QCOMPARE(b.shell.starts[1].file, std::string("C:\\Gaz\\actview"));
        QCOMPARE(b.shell.starts[2].file, std::string("C:\\Gaz\\lukey"));
        QCOMPARE(b.shell.starts[2].parameters, std::string("0"));

        // A settings file that cannot be written is reported, and actview does not start.
        b.workspace->settings().bars.gazToolPath[0] = "C:\\Locked";
        b.fs.failWrites = {"C:\\Locked\\actview.ini"};
        QTest::mouseClick(act, Qt::LeftButton);
        QCOMPARE(b.shell.starts.size(), std::size_t(3));
        QCOMPARE(b.dialogs.shown.size(), std::size_t(1));
        QVERIFY(b.dialogs.shown[0].text.find("C:\\Locked\\actview.ini") != std::string::npos);
    }

    // The standard bar hidden from the View menu stays hidden; ticking row 3 shows the
    // application bar with its button, although the file had it switched off.
    void customisingRebuildsTheBarsFromWhatTheyShow() {
        Bars b;
        b.fs.files["C:\\p3.exe"] = "x";
        TMainForm& m = b.start("[AplBar]\r\nAplButton3=C:\\p3.exe\r\n");
        UserBar* apl = control<UserBar>(&m, "AplBar");
        QVERIFY(!apl->isVisible());
        control(&m, "MenuItem_NmlBar")->trigger();
        QVERIFY(!control<QToolBar>(&m, "NmlBar")->isVisible());

        test::OnceShown<CustomizeDialog> cancel([](CustomizeDialog* d) {
            click(d, "AplCheck3");
            click(d, "Bt_Cancel");
        });
        control(&m, "MenuItem_Customize")->trigger();
        QVERIFY(cancel.seen);
        QVERIFY(!b.workspace->settings().bars.nmlBarVisible);
        QVERIFY(!b.workspace->settings().bars.aplButtons[2].shown);
        QVERIFY(!apl->isVisible());

        test::OnceShown<CustomizeDialog> tick([](CustomizeDialog* d) {
            click(d, "AplCheck3");
            click(d, "Bt_Ok");
        });
        control(&m, "MenuItem_Customize")->trigger();
        QVERIFY(tick.seen);
        QVERIFY(apl->isVisible());
        QVERIFY(control(&m, "MenuItem_AplBar")->isChecked());
        QVERIFY(control<QToolButton>(apl, "AplButton3")->isVisible());
        QCOMPARE(apl->width(), 25);
        QVERIFY(!control<QToolBar>(&m, "NmlBar")->isVisible());
        QVERIFY(!control(&m, "MenuItem_NmlBar")->isChecked());
        QVERIFY(!m.findChild<CustomizeDialog*>()); // released after use

        // Hidden from the View menu, the bar stays hidden after an OK that changed nothing.
        control(&m, "MenuItem_AplBar")->trigger();
        QVERIFY(!apl->isVisible());
        test::OnceShown<CustomizeDialog> ok([](CustomizeDialog* d) { click(d, "Bt_Ok"); });
        control(&m, "MenuItem_Customize")->trigger();
        QVERIFY(ok.seen);
        QVERIFY(!apl->isVisible());
        QVERIFY(!control(&m, "MenuItem_AplBar")->isChecked());
        QVERIFY(!b.workspace->settings().bars.aplBarVisible);
    }
};

QTEST_MAIN(TestAppBars)
#include "test_appbars.moc"
