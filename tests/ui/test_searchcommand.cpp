#include "TestDoubles.h"
#include "app/Main.h"
#include "catalogue/Catalogue.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDialog>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <fstream>

using namespace tavrin;

namespace {

// The main window over real folders: Z:\ is "/".
struct Fixture {
    QTemporaryDir dir;
    LinuxFileSystem fs{DriveTable::rootOnly()};
    test::FakeServices fakes;
    std::unique_ptr<TMainForm> form;

    Fixture() {
        const std::string app = windows(dir.path() + "/app") + "\\";
        QDir().mkpath(dir.path() + "/app");
        Services services{fs,          fakes.dialogs,  fakes.marker, fakes.clipboard, fakes.help,
                          fakes.shell, fakes.registry, fakes.icons,  fakes.fs};
        form = std::make_unique<TMainForm>(services, app);
    }
    std::string windows(const QString& host) {
        return *fs.toWindowsPath(QFile::encodeName(host).toStdString());
    }
    // A 2000 project of that name under the temporary folder.
    QString project(const QString& name) {
        const QString folder = dir.path() + "/" + name;
        QDir().mkpath(folder);
        std::ofstream(QFile::encodeName(folder + "/RPG_RT.lmt").toStdString());
        std::ofstream(QFile::encodeName(folder + "/RPG_RT.ini").toStdString())
            << "GameTitle=" << name.toStdString() << "\r\n";
        return folder;
    }
    QString titles() {
        QString out;
        for (int i = 0; i < form->catalogue().rowCount(); ++i) {
            out += QString::fromStdString(form->catalogue().row(i)->Title);
        }
        return out;
    }
    // Files dropped from a file manager: a drop that comes from no widget of this program,
    // offering what the source allows; what the window answered, IgnoreAction for a refusal.
    Qt::DropAction drop(const QList<QUrl>& urls, Qt::DropActions offered = Qt::CopyAction) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = form->rect().center();
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &enter);
        if (!enter.isAccepted()) {
            return Qt::IgnoreAction;
        }
        QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &move);
        QDropEvent dropped(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
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
        SearchSettings& search = f.form->settings().search;
        search.searchFolder = "C:\\kept";
        search.insert = false;
        search.dupChk = true;
        search.matchKinds = 2;
        f.form->catalogue().AddFoundItem("C:\\old\\", "old", pk2000);
        const QList<QUrl> urls = {QUrl::fromLocalFile(f.project("A")),
                                  QUrl::fromLocalFile(f.project("B")),
                                  QUrl::fromLocalFile(f.project("C"))};
        QCOMPARE(f.drop(urls), Qt::CopyAction);
        // Emptied once, then C, B, A; no options dialog ever opens (it would wait for a person).
        QTRY_COMPARE(f.titles(), QStringLiteral("CBA"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(search.searchFolder, std::string("C:\\kept"));

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
        QCOMPARE(f.form->catalogue().rowCount(), 0);
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
