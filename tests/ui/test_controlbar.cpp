#include "TestDoubles.h"
#include "app/ControlBar.h"
#include "app/Main.h"
#include "ui/Controls.h"

#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace tavrin;

namespace {

const std::string kApp = "Z:\\app\\";
const std::string kIni = kApp + "Tavrin.ini";

struct Setup : test::FakeServices {
    std::unique_ptr<TMainForm> form;

    explicit Setup(const std::string& ini = {}) {
        if (!ini.empty()) {
            fs.files[kIni] = ini;
        }
    }
    TMainForm& start() {
        form = std::make_unique<TMainForm>(services(), kApp);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) {
            qFatal("the main window never showed");
        }
        return *form;
    }
    bool close() {
        const bool closed = form->close();
        form.reset();
        return closed;
    }
    bool saved(const std::string& line) { return fs.files[kIni].find(line) != std::string::npos; }
};

// The grip's place in the container, which is where the bar stands.
QPoint standing(TMainForm& m, int bar) {
    return control<ControlBar>(m, "ControlBar1")->grip(bar)->pos();
}

// A user's drag by the grip, with the mouse; points are where the grip's top-left goes, in the
// container.
struct GripDrag {
    TMainForm& m;
    QWidget* grip;
    QPoint grab;

    GripDrag(TMainForm& form, int bar)
        : m(form), grip(control<ControlBar>(form, "ControlBar1")->grip(bar)),
          grab(4, grip->height() / 2) {
        QTest::mousePress(grip, Qt::LeftButton, {}, grab);
    }
    void moveTo(QPoint to) {
        QTest::mouseMove(grip, grip->mapFrom(control<ControlBar>(m, "ControlBar1"), to + grab));
    }
    void release(QPoint to) {
        moveTo(to);
        QTest::mouseRelease(grip, Qt::LeftButton, {},
                            grip->mapFrom(control<ControlBar>(m, "ControlBar1"), to + grab));
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
            TMainForm& m = s.start();
            QCOMPARE(standing(m, 0), QPoint(50, 0));
            QCOMPARE(control<QToolBar>(m, "NmlBar")->parentWidget(),
                     control<ControlBar>(m, "ControlBar1"));
            QCOMPARE(control<QToolBar>(m, "NmlBar")->x(),
                     control<ControlBar>(m, "ControlBar1")->grip(0)->geometry().right() + 1);
            QVERIFY(!control<QToolBar>(m, "NmlBar")->isMovable());
            // The container sits on the splitter, as high as its one row.
            QCOMPARE(control<ControlBar>(m, "ControlBar1")->height(),
                     control<ControlBar>(m, "ControlBar1")->rowHeight());
            QVERIFY(control<ControlBar>(m, "ControlBar1")->rowHeight() >=
                    control<QToolBar>(m, "NmlBar")->height());
            QCOMPARE(control<QSplitter>(m, "Splitter")->y(),
                     control<ControlBar>(m, "ControlBar1")->geometry().bottom() + 1);
            QCOMPARE(control<ControlBar>(m, "ControlBar1")->width(),
                     control<QSplitter>(m, "Splitter")->width());
            QVERIFY(s.close());
            QVERIFY(s.saved("NmlPosx=50\r\nNmlPosy=0\r\n"));
            QVERIFY(s.saved("AplPosx=-5\r\nAplPosy=17\r\n")); // hidden: kept as written
        }
    }

    void barsOverlappingInTheFileStandSideBySide() {
        Setup s(kOneAplButton +
                "[ToolBarPos]\r\nNmlPosx=0\r\nNmlPosy=0\r\nAplPosx=30\r\nAplPosy=5\r\n");
        TMainForm& m = s.start();
        QVERIFY(!control<UserBar>(m, "AplBar")->isVisible());
        control(m, "MenuItem_AplBar")->trigger();
        QVERIFY(control<UserBar>(m, "AplBar")->isVisible());
        QCOMPARE(standing(m, 1), QPoint(control<QToolBar>(m, "NmlBar")->geometry().right() + 1, 0));
        QCOMPARE(control<ControlBar>(m, "ControlBar1")->height(),
                 control<ControlBar>(m, "ControlBar1")->rowHeight());
        // A bar that grows pushes the next one along.
        const int before = standing(m, 1).x();
        giveButton(control<QToolBar>(m, "NmlBar"));
        QTRY_VERIFY(standing(m, 1).x() > before);
        QCOMPARE(standing(m, 1).x(), control<QToolBar>(m, "NmlBar")->geometry().right() + 1);
    }

    void rowsAreAsHighAsTheTallestBarShownOrNot() {
        // The application bar in the first row, the Gaz soft bar below the last one, and the
        // standard bar hidden.
        Setup s("[ToolBar]\r\nNml=0\r\nApl=1\r\nGaz=1\r\n[AplBar]\r\nAplButton1=C:\\x.exe\r\n"
                "AplChk1=1\r\n[GazBar]\r\nact_Path=C:\\G\r\n[ToolBarPos]\r\nNmlPosx=400\r\n"
                "NmlPosy=0\r\nAplPosx=0\r\nAplPosy=0\r\nGazPosx=0\r\nGazPosy=1000\r\n");
        s.fs.files["C:\\G\\actview.exe"] = "x";
        TMainForm& m = s.start();
        QVERIFY(control<UserBar>(m, "AplBar")->isVisible());
        QVERIFY(control<UserBar>(m, "GazBar")->isVisible());
        QVERIFY(!control<QToolBar>(m, "NmlBar")->isVisible());
        auto* tall = new QWidget; // the standard bar's style sheet sizes its buttons
        tall->setFixedSize(25, 3 * control<UserBar>(m, "AplBar")->height());
        control<QToolBar>(m, "NmlBar")->addWidget(tall);
        // A bar never shown asks for no layout; the rows are settled again by hand.
        control<ControlBar>(m, "ControlBar1")
            ->setPlaces(control<ControlBar>(m, "ControlBar1")->places());
        QVERIFY(control<ControlBar>(m, "ControlBar1")->rowHeight() >= tall->height());
        QTRY_COMPARE(standing(m, 2).y(), control<ControlBar>(m, "ControlBar1")->rowHeight());
        const QPoint before = standing(m, 2);
        control(m, "MenuItem_NmlBar")->trigger();
        QVERIFY(control<QToolBar>(m, "NmlBar")->isVisible());
        QCOMPARE(standing(m, 2), before); // showing it shifts no row
    }

    void draggedByItsGripTheBarMovesAndIsKept() {
        Setup s(kOneAplButton + "[ToolBarPos]\r\nNmlPosx=50\r\nNmlPosy=0\r\n");
        TMainForm& m = s.start();
        QCOMPARE(control<ControlBar>(m, "ControlBar1")->grip(0)->cursor().shape(),
                 Qt::SizeAllCursor);
        GripDrag standard(m, 0);
        standard.moveTo({80, 5});
        standard.release({140, 0});
        QCOMPARE(standing(m, 0), QPoint(140, 0));
        QCOMPARE(control<QToolBar>(m, "NmlBar")->x(),
                 140 + control<ControlBar>(m, "ControlBar1")->grip(0)->width());

        // Below the last row it opens a new one, and the splitter makes room.
        control(m, "MenuItem_AplBar")->trigger();
        const int row = control<ControlBar>(m, "ControlBar1")->rowHeight();
        GripDrag application(m, 1);
        // Passed over on the way, the standard bar steps aside only while the other is there.
        application.moveTo({150, 0});
        QCOMPARE(standing(m, 1), QPoint(150, 0));
        QVERIFY(standing(m, 0).x() > 150);
        application.release({20, row});
        QCOMPARE(standing(m, 1), QPoint(20, row));
        QCOMPARE(standing(m, 0), QPoint(140, 0));
        QCOMPARE(control<ControlBar>(m, "ControlBar1")->height(), 2 * row);
        QTRY_COMPARE(control<QSplitter>(m, "Splitter")->y(), 2 * row);
        QVERIFY(s.close());
        QVERIFY(s.saved("NmlPosx=140\r\nNmlPosy=0\r\nAplPosx=20\r\nAplPosy=" + std::to_string(row) +
                        "\r\n"));
    }

    void hiddenBarsTakeNoRoomAndKeepTheirPlaces() {
        Setup s("[ToolBarPos]\r\nNmlPosx=50\r\nNmlPosy=0\r\n");
        TMainForm& m = s.start();
        control(m, "MenuItem_NmlBar")->trigger();
        QVERIFY(!control<QToolBar>(m, "NmlBar")->isVisible());
        QVERIFY(!control(m, "MenuItem_NmlBar")->isChecked());
        QCOMPARE(control<ControlBar>(m, "ControlBar1")->height(), 0);
        QVERIFY(!control<ControlBar>(m, "ControlBar1")->grip(0)->isVisible());
        QTRY_COMPARE(control<QSplitter>(m, "Splitter")->y(), 0);
        QVERIFY(s.close());
        QVERIFY(s.saved("NmlPosx=50\r\nNmlPosy=0\r\n"));

        // Hidden from the start, a place that would settle elsewhere is written as it was read.
        s.fs.files[kIni] = "[ToolBar]\r\nNml=0\r\n[ToolBarPos]\r\nNmlPosx=-7\r\nNmlPosy=44\r\n";
        TMainForm& again = s.start();
        QCOMPARE(control<ControlBar>(again, "ControlBar1")->height(), 0);
        control(again, "MenuItem_NmlBar")->trigger();
        QCOMPARE(standing(again, 0), QPoint(0, 0));
        QCOMPARE(control<ControlBar>(again, "ControlBar1")->height(),
                 control<ControlBar>(again, "ControlBar1")->rowHeight());
        control(again, "MenuItem_NmlBar")->trigger();
        QVERIFY(s.close());
        QVERIFY(s.saved("NmlPosx=-7\r\nNmlPosy=44\r\n"));
    }
};

QTEST_MAIN(TestControlBar)
#include "test_controlbar.moc"
