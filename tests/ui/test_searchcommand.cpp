#include "app/Main.h"
#include "app/core/Workspace.h"
#include "catalogue/Catalogue.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/CatalogueTree.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include <filesystem>

using namespace tavrin;

namespace {

// The main window over real folders: Z:\ is "/".
struct Fixture {
    test::TempFolder dir;
    LinuxFileSystem fs{DriveTable::rootOnly()};
    test::FakeServices fakes;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<TMainForm> form;

    Fixture() {
        std::filesystem::create_directories(dir / "app");
        workspace =
            std::make_unique<Workspace>(fakes.services(&fs), *fs.toWindowsPath(dir / "app") + "\\");
        form = std::make_unique<TMainForm>(*workspace, fakes.services(&fs));
        workspace->open();
        form->showOpenedWorkspace();
    }
    // A 2000 project of that name under the temporary folder.
    QString project(const std::string& name) {
        test::writeHostFile(dir / name + "/RPG_RT.lmt", "");
        test::writeHostFile(dir / name + "/RPG_RT.ini", "GameTitle=" + name + "\r\n");
        return QString::fromStdString(dir / name);
    }
    QString titles() {
        QString out;
        for (const ProjectItem& item : test::rowsOf(workspace->catalogue())) {
            out += QString::fromStdString(item.title);
        }
        return out;
    }
    // Files dropped from a file manager, offering what the source allows; what the window
    // answered, IgnoreAction for a refusal.
    Qt::DropAction drop(const QList<QUrl>& urls, Qt::DropActions offered = Qt::CopyAction) {
        QMimeData data;
        data.setUrls(urls);
        const test::DropAnswer answer =
            test::dropFromOutside(form.get(), data, form->rect().center(), offered);
        return answer.entered ? answer.action : Qt::IgnoreAction;
    }
};

} // namespace

class TestSearchCommand : public QObject {
    Q_OBJECT
private slots:
    void droppedFoldersAreSearchedLastFirstWithoutTheOptions() {
        Fixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        SearchSettings& search = f.workspace->settings().search;
        search.searchFolder = "C:\\kept";
        search.insert = false;
        search.dupChk = true;
        search.matchKinds = 2;
        f.workspace->catalogue().addFoundItem("C:\\old\\", "old", pk2000);
        const QList<QUrl> urls = {QUrl::fromLocalFile(f.project("A")),
                                  QUrl::fromLocalFile(f.project("B")),
                                  QUrl::fromLocalFile(f.project("C"))};
        QCOMPARE(f.drop(urls), Qt::CopyAction);
        // Emptied once, then C, B, A; no options dialog ever opens (it would wait for a person).
        QTRY_COMPARE(f.titles(), QStringLiteral("CBA"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(search.searchFolder, std::string("C:\\kept"));
        // The count follows what the search added.
        QCOMPARE(test::control<QLabel>(f.form.get(), "StatusPanel0")->text(),
                 QStringLiteral("3個のプロジェクト"));

        // With insert on the rows stay, and the duplicate check keeps each project once.
        search.insert = true;
        QCOMPARE(f.drop({urls[0], QUrl::fromLocalFile(f.project("D"))}), Qt::CopyAction);
        QTRY_COMPARE(f.titles(), QStringLiteral("CBAD"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void dropsFromThisProgramOrWithoutFilesAreRefused() {
        Fixture f;
        QCOMPARE(f.drop({}), Qt::IgnoreAction);
        QCOMPARE(f.drop({QUrl(QStringLiteral("https://example.org/"))}), Qt::IgnoreAction);
        QCOMPARE(f.workspace->catalogue().rowCount(), 0);
    }

    // A file manager honours "move" by deleting what it dropped: the user's game folders.
    void filesAreTakenAsACopyNeverAMove() {
        Fixture f;
        const QList<QUrl> urls = {QUrl::fromLocalFile(f.project("A"))};
        QCOMPARE(f.drop(urls, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction), Qt::CopyAction);
        QCOMPARE(f.drop(urls, Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
        QCOMPARE(f.drop(urls, Qt::MoveAction), Qt::IgnoreAction);
    }
};

QTEST_MAIN(TestSearchCommand)
#include "test_searchcommand.moc"
