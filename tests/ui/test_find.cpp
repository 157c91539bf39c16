// The find box: typed into, it lists the projects of every folder with their folders; the
// commands and copy take the rows found, cut, delete and sort do not, and Esc or the tree brings
// the folder back.
#include "catalogue/ItemClipboard.h"
#include "catalogue/qt/FindBar.h"
#include "catalogue/qt/ProjectListModel.h"
#include "platform/Cp932.h"
#include "support/MainWindow.h"
#include "support/Widgets.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QtTest>

using namespace tavrin;
using test::control;

namespace {

// "quest" is in R's full-width title, S's title and T's path; not in "Other". R's rows stand
// unsorted, so that a sort would show.
struct Fixture : test::MainWindow {
    Fixture()
        : MainWindow(
              test::CatalogueTree()
                  .folder("R", {{"C:\\B", "Other", pk2000}, {"C:\\A", sj("ＱＵＥＳＴ Ａ"), pk2000}})
                  .folder(">S", {{"C:\\C", "quest c", pk2000}})
                  .folder(">>T", {{"C:\\Quest", "d", pk95}})) {}

    QLineEdit* box() const { return control<QLineEdit>(form.get(), "FindBox"); }
    ProjectListModel* model() const { return static_cast<ProjectListModel*>(list()->model()); }
    // The rows listed as "path|folder" each, or "path" each for a folder's own rows.
    QStringList listed() const {
        QStringList out;
        for (int r = 0; r < model()->rowCount(); ++r) {
            QString row = model()->index(r, 0).data().toString();
            if (model()->columnCount() == 3) {
                row += "|" + model()->index(r, 2).data().toString();
            }
            out << row;
        }
        return out;
    }
    void find(const QString& text) {
        QTest::keyClick(list(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(box()->isVisible() && box()->hasFocus());
        QTest::keyClicks(box(), text);
    }
};

const QStringList kFolderR = {"C:\\B", "C:\\A"};
const QStringList kFound = {"C:\\A|R", "C:\\C|R\\S", "C:\\Quest|R\\S\\T"};

} // namespace

class TestFind : public QObject {
    Q_OBJECT
private slots:
    void typedTextListsEveryFolderAndTheCommandsTakeTheRowsFound() {
        Fixture f;
        f.show();
        QCOMPARE(control(f.form.get(), "MainMenu_FindInCatalogue")->text(),
                 QStringLiteral("カタログ内を検索(&F)"));
        f.find("qUEst");
        QTRY_COMPARE(f.listed(), kFound);
        QCOMPARE(f.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("フォルダ"));
        QCOMPARE(f.status(0), QStringLiteral("3個のプロジェクト"));

        QTest::keyClick(f.box(), Qt::Key_Down);
        QVERIFY(f.list()->hasFocus());
        QTest::keyClick(f.list(), Qt::Key_Down);
        QTest::keyClick(f.list(), Qt::Key_F5);
        QCOMPARE(f.shell.starts.size(), std::size_t(1));
        QCOMPARE(f.shell.starts[0].file, std::string("C:\\C\\RPG_RT.EXE"));

        // Copied as found; neither deleted nor cut from the folder behind them, nor sorted.
        QTest::keyClick(f.list(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(f.clipboard.items.value_or(""), itemDataOf({{"C:\\C", "quest c", pk2000}}));
        QTest::keyClick(f.list(), Qt::Key_Delete);
        QTest::keyClick(f.list(), Qt::Key_X, Qt::ControlModifier);
        control(f.form.get(), "ToolButton_DeleteListItem")->trigger();
        QTest::mouseClick(f.list()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(f.list()->columnViewportPosition(0) + 5, 5));
        QCOMPARE(f.listed(), kFound);
        QCOMPARE(f.paths(), std::string("C:\\BC:\\A"));
        QVERIFY(f.dialogs.shown.empty());

        QTest::keyClick(f.list(), Qt::Key_Escape);
        QVERIFY(!f.box()->isVisible());
        QCOMPARE(f.listed(), kFolderR);
        QCOMPARE(f.status(0), QStringLiteral("2個のプロジェクト"));
    }

    void escapeInTheBoxOrAFolderClickedBringsTheFolderBack() {
        Fixture f;
        f.show();
        f.find("other");
        QTRY_COMPARE(f.listed(), QStringList{"C:\\B|R"});
        QTest::keyClick(f.box(), Qt::Key_Escape);
        QVERIFY(!f.box()->isVisible());
        QCOMPARE(f.listed(), kFolderR);

        // The folder shown, clicked again.
        f.find("quest");
        QTRY_COMPARE(f.listed(), kFound);
        const QRect r = f.tree()->visualRect(f.indexOf(f.node("R")));
        QTest::mouseClick(f.tree()->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(f.listed(), kFolderR);
        QVERIFY(!f.box()->isVisible());

        f.find("quest");
        QTRY_COMPARE(f.listed(), kFound);
        const QRect s = f.tree()->visualRect(f.indexOf(f.node("S")));
        QTest::mouseClick(f.tree()->viewport(), Qt::LeftButton, {}, s.center());
        QTRY_COMPARE(f.listed(), QStringList{"C:\\C"});
        QVERIFY(!f.box()->isVisible());
    }

    // An answer for a text the user has since changed is never shown; a change of the catalogue
    // is found once it rests.
    void onlyTheLatestTextIsAnsweredAndChangesAreFound() {
        Fixture f;
        f.show();
        f.find("quest");
        f.box()->selectAll();
        QTest::keyClick(f.box(), Qt::Key_Backspace);
        QTest::qWait(300);
        QCOMPARE(f.listed(), kFolderR);

        QTest::keyClicks(f.box(), "quest");
        QTRY_COMPARE(f.listed(), kFound);
        // The folder's new row is no found row: the model must say nothing of it.
        const QAbstractItemModelTester checked(
            f.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.catalogue().addFoundItem("C:\\E", "Quest e", pk2000);
        QCOMPARE(f.listed(), kFound);
        QTRY_COMPARE(f.listed(),
                     (QStringList{"C:\\A|R", "C:\\E|R", "C:\\C|R\\S", "C:\\Quest|R\\S\\T"}));
    }

    // More rows than a screen come in two steps, the first screen then the rest after it.
    void aLongAnswerListsEveryRowInOrder() {
        std::vector<ProjectItem> many;
        for (int i = 0; i < 300; ++i) {
            many.push_back({"C:\\" + std::to_string(i), "quest", pk2000});
        }
        test::MainWindow w(
            test::CatalogueTree().folder("R", many).folder(">S", {{"C:\\S", "quest", pk95}}));
        w.show();
        auto* model = w.list()->model();
        const QAbstractItemModelTester checked(
            model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTest::keyClick(w.list(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(control<QLineEdit>(w.form.get(), "FindBox"), "quest");
        QTRY_COMPARE(model->rowCount(), 301);
        QCOMPARE(model->index(299, 0).data().toString(), QStringLiteral("C:\\299"));
        QCOMPARE(model->index(300, 2).data().toString(), QStringLiteral("R\\S"));
        QCOMPARE(w.status(0), QStringLiteral("301個のプロジェクト"));
    }
};

QTEST_MAIN(TestFind)
#include "test_find.moc"
