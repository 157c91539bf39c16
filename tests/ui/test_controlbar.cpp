#include "app/ControlBar.h"
#include "app/Main.h"
#include "app/UserBar.h"
#include "support/MainWindow.h"
#include "support/Widgets.h"

#include <QSplitter>
#include <QToolBar>
#include <QtTest>

using namespace tavrin;
using test::control;
using test::kIni;

namespace {

struct Setup : test::MainWindow {
    explicit Setup(const std::string& ini = {}) {
        if (!ini.empty()) {
            fs.files[kIni] = ini;
        }
    }
    // Started and shown.
    TMainForm& open() {
        start();
        return show();
    }
};

ControlBar* container(TMainForm& m) {
    return control<ControlBar>(&m, "ControlBar1");
}

// The grip's place in the container, which is where the bar stands.
QPoint standing(TMainForm& m, int bar) {
    return container(m)->grip(bar)->pos();
}

// A user's drag by the grip, with the mouse; points are where the grip's top-left goes, in the
// container.
struct GripDrag {
    TMainForm& m;
    QWidget* grip;
    QPoint grab;

    GripDrag(TMainForm& form, int bar)
        : m(form), grip(container(form)->grip(bar)), grab(4, grip->height() / 2) {
        QTest::mousePress(grip, Qt::LeftButton, {}, grab);
    }
    void moveTo(QPoint to) { QTest::mouseMove(grip, grip->mapFrom(container(m), to + grab)); }
    void release(QPoint to) {
        moveTo(to);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFrom(container(m), to + grab));
    }
};

// One application button, its bar hidden until the View menu shows it.
const std::string kOneAplButton =
    "[ToolBar]\r\nApl=0\r\n[AplBar]\r\nAplButton1=C:\\x.exe\r\nAplChk1=1\r\n";

// One more button on the standard bar.
void giveButton(QToolBar* bar) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::gray);
    bar->addAction(QIcon(QPixmap::fromImage(image)), QStringLiteral("app"));
}

} // namespace

class TestControlBar : public QObject {
    Q_OBJECT
private slots:
    void storedPlaceSurvivesStartAndClose() {
        Setup s("[ToolBarPos]\r\nNmlPosx=50\r\nNmlPosy=0\r\nAplPosx=-5\r\nAplPosy=17\r\n");
        for (int start = 0; start < 2; ++start) {
            TMainForm& m = s.open();
            QCOMPARE(standing(m, 0), QPoint(50, 0));
            QCOMPARE(control<QToolBar>(&m, "NmlBar")->parentWidget(), container(m));
            QCOMPARE(control<QToolBar>(&m, "NmlBar")->x(),
                     container(m)->grip(0)->geometry().right() + 1);
            QVERIFY(!control<QToolBar>(&m, "NmlBar")->isMovable());
            // The container sits on the splitter, as high as its one row.
            QCOMPARE(container(m)->height(), container(m)->rowHeight());
            QVERIFY(container(m)->rowHeight() >= control<QToolBar>(&m, "NmlBar")->height());
            QCOMPARE(control<QSplitter>(&m, "Splitter")->y(),
                     container(m)->geometry().bottom() + 1);
            QCOMPARE(container(m)->width(), control<QSplitter>(&m, "Splitter")->width());
            QVERIFY(s.close());
            QVERIFY(s.saved("NmlPosx=50\r\nNmlPosy=0\r\n"));
            QVERIFY(s.saved("AplPosx=-5\r\nAplPosy=17\r\n")); // hidden: kept as written
        }
    }

    void barsOverlappingInTheFileStandSideBySide() {
        Setup s(kOneAplButton +
                "[ToolBarPos]\r\nNmlPosx=0\r\nNmlPosy=0\r\nAplPosx=30\r\nAplPosy=5\r\n");
        TMainForm& m = s.open();
        QVERIFY(!control<UserBar>(&m, "AplBar")->isVisible());
        control(&m, "MenuItem_AplBar")->trigger();
        QVERIFY(control<UserBar>(&m, "AplBar")->isVisible());
        QCOMPARE(standing(m, 1),
                 QPoint(control<QToolBar>(&m, "NmlBar")->geometry().right() + 1, 0));
        QCOMPARE(container(m)->height(), container(m)->rowHeight());
        // A bar that grows pushes the next one along.
        const int before = standing(m, 1).x();
        giveButton(control<QToolBar>(&m, "NmlBar"));
        QTRY_VERIFY(standing(m, 1).x() > before);
        QCOMPARE(standing(m, 1).x(), control<QToolBar>(&m, "NmlBar")->geometry().right() + 1);
    }

    void rowsAreAsHighAsTheTallestBarShownOrNot() {
        // The application bar in the first row, the Gaz soft bar below the last one, and the
        // standard bar hidden.
        Setup s("[ToolBar]\r\nNml=0\r\nApl=1\r\nGaz=1\r\n[AplBar]\r\nAplButton1=C:\\x.exe\r\n"
                "AplChk1=1\r\n[GazBar]\r\nact_Path=C:\\G\r\n[ToolBarPos]\r\nNmlPosx=400\r\n"
                "NmlPosy=0\r\nAplPosx=0\r\nAplPosy=0\r\nGazPosx=0\r\nGazPosy=1000\r\n");
        s.fs.files["C:\\G\\actview.exe"] = "x";
        TMainForm& m = s.open();
        QVERIFY(control<UserBar>(&m, "AplBar")->isVisible());
        QVERIFY(control<UserBar>(&m, "GazBar")->isVisible());
        QVERIFY(!control<QToolBar>(&m, "NmlBar")->isVisible());
        auto* tall = new QWidget; // the standard bar's style sheet sizes its buttons
        tall->setFixedSize(25, 3 * control<UserBar>(&m, "AplBar")->height());
        control<QToolBar>(&m, "NmlBar")->addWidget(tall);
        // A bar never shown asks for no layout; the rows are settled again by hand.
        container(m)->setPlaces(container(m)->places());
        QVERIFY(container(m)->rowHeight() >= tall->height());
        QTRY_COMPARE(standing(m, 2).y(), container(m)->rowHeight());
        const QPoint before = standing(m, 2);
        control(&m, "MenuItem_NmlBar")->trigger();
        QVERIFY(control<QToolBar>(&m, "NmlBar")->isVisible());
        QCOMPARE(standing(m, 2), before); // showing it shifts no row
    }

    void draggedByItsGripTheBarMovesAndIsKept() {
        Setup s(kOneAplButton + "[ToolBarPos]\r\nNmlPosx=50\r\nNmlPosy=0\r\n");
        TMainForm& m = s.open();
        QCOMPARE(container(m)->grip(0)->cursor().shape(), Qt::SizeAllCursor);
        GripDrag standard(m, 0);
        standard.moveTo({80, 5});
        standard.release({140, 0});
        QCOMPARE(standing(m, 0), QPoint(140, 0));
        QCOMPARE(control<QToolBar>(&m, "NmlBar")->x(), 140 + container(m)->grip(0)->width());

        // Below the last row it opens a new one, and the splitter makes room.
        control(&m, "MenuItem_AplBar")->trigger();
        const int row = container(m)->rowHeight();
        GripDrag application(m, 1);
        // Passed over on the way, the standard bar steps aside only while the other is there.
        application.moveTo({150, 0});
        QCOMPARE(standing(m, 1), QPoint(150, 0));
        QVERIFY(standing(m, 0).x() > 150);
        application.release({20, row});
        QCOMPARE(standing(m, 1), QPoint(20, row));
        QCOMPARE(standing(m, 0), QPoint(140, 0));
        QCOMPARE(container(m)->height(), 2 * row);
        QTRY_COMPARE(control<QSplitter>(&m, "Splitter")->y(), 2 * row);
        QVERIFY(s.close());
        QVERIFY(s.saved("NmlPosx=140\r\nNmlPosy=0\r\nAplPosx=20\r\nAplPosy=" + std::to_string(row) +
                        "\r\n"));
    }

    void hiddenBarsTakeNoRoomAndKeepTheirPlaces() {
        Setup s("[ToolBarPos]\r\nNmlPosx=50\r\nNmlPosy=0\r\n");
        TMainForm& m = s.open();
        control(&m, "MenuItem_NmlBar")->trigger();
        QVERIFY(!control<QToolBar>(&m, "NmlBar")->isVisible());
        QVERIFY(!control(&m, "MenuItem_NmlBar")->isChecked());
        QCOMPARE(container(m)->height(), 0);
        QVERIFY(!container(m)->grip(0)->isVisible());
        QTRY_COMPARE(control<QSplitter>(&m, "Splitter")->y(), 0);
        QVERIFY(s.close());
        QVERIFY(s.saved("NmlPosx=50\r\nNmlPosy=0\r\n"));

        // Hidden from the start, a place that would settle elsewhere is written as it was read.
        s.fs.files[kIni] = "[ToolBar]\r\nNml=0\r\n[ToolBarPos]\r\nNmlPosx=-7\r\nNmlPosy=44\r\n";
        TMainForm& again = s.open();
        QCOMPARE(container(again)->height(), 0);
        control(&again, "MenuItem_NmlBar")->trigger();
        QCOMPARE(standing(again, 0), QPoint(0, 0));
        QCOMPARE(container(again)->height(), container(again)->rowHeight());
        control(&again, "MenuItem_NmlBar")->trigger();
        QVERIFY(s.close());
        QVERIFY(s.saved("NmlPosx=-7\r\nNmlPosy=44\r\n"));
    }
};

QTEST_MAIN(TestControlBar)
#include "test_controlbar.moc"
