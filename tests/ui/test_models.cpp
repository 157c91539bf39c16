#include "catalogue/Catalogue.h"
#include "catalogue/qt/FolderTreeModel.h"
#include "catalogue/qt/ProjectListModel.h"
#include "platform/Cp932.h"

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QtTest>

using namespace tavrin;

// The models are thin adapters; the tester checks that every change the catalogue makes
// reaches them as consistent notices.
class TestModels : public QObject {
    Q_OBJECT
private slots:
    void treeModelFollowsFolderOperations() {
        Catalogue c;
        FolderTreeModel model(c);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        TreeNode* root = c.addFolder(nullptr, "Tavrin");
        TreeNode* a = c.addFolder(root, sj("ゲーム"));
        c.addFolder(a, "deep");
        TreeNode* b = c.addFolder(root, "B");
        QCOMPARE(model.rowCount(), 1);
        QModelIndex ia = model.index(0, 0, model.index(0, 0));
        QCOMPARE(ia.data().toString(), QStringLiteral("ゲーム"));
        QCOMPARE(model.node(ia), a);
        QCOMPARE(model.indexOf(b).row(), 1);
        QCOMPARE(model.parent(model.indexOf(b)), model.index(0, 0));
        c.renameFolder(b, "C");
        QCOMPARE(model.indexOf(b).data().toString(), QStringLiteral("C"));
        c.deleteFolder(a);
        QCOMPARE(model.rowCount(model.index(0, 0)), 1);
        c.clearTree();
        QCOMPARE(model.rowCount(), 0);
    }

    void listModelReadsTheSelectedFolder() {
        Catalogue c;
        ProjectListModel model(c);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.index(0, 0).isValid());
        TreeNode* root = c.addFolder(nullptr, "R");
        TreeNode* other = c.addFolder(root, "O");
        c.selectFolder(root);
        c.addFoundItem(sj("C:\\ゲーム\\"), sj("勇者"), pk2000);
        c.addFoundItem("C:\\b\\", "b", static_cast<ProjectKind>(7));
        c.insertPastedItem("C:\\p\\", "p", 1);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("C:\\ゲーム\\"));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("勇者"));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("プロジェクトパス"));
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("タイトル"));
        // A kind outside 0 to 2 draws no icon.
        QVERIFY(!model.index(2, 0).data(Qt::DecorationRole).isValid());
        c.sortDescending([](const std::string& s) { return s; });
        c.removeSelectedItems({0, 2});
        QCOMPARE(model.rowCount(), 1);
        c.selectFolder(other);
        QCOMPARE(model.rowCount(), 0);
        c.appendItems(root, {{"x", "y", pk95}});
        QCOMPARE(model.rowCount(), 0);
        c.selectFolder(root);
        QCOMPARE(model.rowCount(), 2);
        c.clearSelectedFolder();
        QCOMPARE(model.rowCount(), 0);
    }

    // Texts are converted once per row and shown afresh after every change of the rows.
    void listTextsFollowEveryChange() {
        Catalogue c;
        ProjectListModel model(c);
        TreeNode* root = c.addFolder(nullptr, "R");
        TreeNode* other = c.addFolder(root, "O");
        c.selectFolder(root);
        const auto path = [&model](int row) { return model.index(row, 0).data().toString(); };
        const auto paths = [&] {
            QString out;
            for (int r = 0; r < model.rowCount(); ++r) {
                out += path(r);
            }
            return out;
        };
        c.addFoundItem("B", "b", pk2000);
        c.addFoundItem("A", "a", pk2000);
        QCOMPARE(paths(), QStringLiteral("BA"));
        const QString shown = path(0);
        QCOMPARE(path(0).constData(), shown.constData()); // not converted again
        c.insertPastedItem("C", "c", 0);
        QCOMPARE(paths(), QStringLiteral("CBA"));
        c.sortAscending([](const std::string& s) { return s; });
        QCOMPARE(paths(), QStringLiteral("ABC"));
        c.removeSelectedItems({0});
        QCOMPARE(paths(), QStringLiteral("BC"));
        c.insertItem(1, {"D", "d", pk95});
        QCOMPARE(paths(), QStringLiteral("BDC"));
        c.appendItems(other, {{"X", "x", pk95}});
        c.selectFolder(other);
        QCOMPARE(paths(), QStringLiteral("X"));
        model.setHidden(true);
        c.selectFolder(root);
        model.setHidden(false);
        QCOMPARE(paths(), QStringLiteral("BDC"));
        c.clearSelectedFolder();
        c.addFoundItem("E", "e", pk2000);
        QCOMPARE(paths(), QStringLiteral("E"));
    }

    // A title of 640 KB of bytes no codec takes is shown cut, at once.
    void hugeBadTitleIsShownCut() {
        Catalogue c;
        ProjectListModel model(c);
        c.selectFolder(c.addFolder(nullptr, "R"));
        c.addFoundItem("C:\\x\\", std::string(640 * 1024, '\x80'), pk2000);
        const QString title = model.index(0, 1).data().toString();
        QCOMPARE(title.size(), 1025);
        QCOMPARE(title.front(), QChar(0xFFFD));
        QCOMPARE(title.back(), QChar(0x2026));
    }
};

QTEST_MAIN(TestModels)
#include "test_models.moc"
