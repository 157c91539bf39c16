#include "catalogue/Catalogue.h"
#include "platform/Cp932.h"
#include "platform/qt/QtText.h"
#include "search/qt/ProjectSearch.h"
#include "search/qt/SearchProgressDialog.h"
#include "support/Fakes.h"

#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

using namespace tavrin;
using test::ScriptedDialogs;

namespace {

// A start folder as typed, without its trailing backslash.
std::string typed(std::string folder) {
    folder.pop_back();
    return folder;
}

// Runs `whileOpen` while the question is shown, as the event loop of a real box would.
class SlowDialogs : public ScriptedDialogs {
public:
    std::function<void()> whileOpen;
    MsgResult messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons, MsgResult defaultButton) override {
        if (whileOpen) {
            whileOpen();
        }
        return ScriptedDialogs::messageBox(text, caption, icon, buttons, defaultButton);
    }
};

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MemoryFileSystem> fs;
    std::unique_ptr<Catalogue> catalogue;
    SlowDialogs dialogs;
    std::unique_ptr<SearchProgressDialog> dlg;

    // A file below the start folder ("A/B/RPG_RT.lmt"), its folders made; "A/B/" a folder.
    void make(const std::string& rel, const std::string& content = {}) {
        const std::size_t slash = rel.rfind('/') + 1;
        fs->folder(win(rel.substr(0, slash)));
        if (slash < rel.size()) {
            fs->file(win(rel.substr(0, slash)) + rel.substr(slash), content);
        }
    }
    // The Windows path of a folder below the start folder, as the walk reports it.
    static std::string win(const std::string& rel = {}) {
        std::string p = "C:\\Start\\" + rel;
        std::replace(p.begin(), p.end(), '/', '\\');
        return p.back() == '\\' ? p : p + "\\";
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (int i = 0; i < catalogue->rowCount(); ++i) {
            out.push_back(catalogue->row(i)->path + "|" + std::to_string(catalogue->row(i)->kind));
        }
        return out;
    }
    QPushButton* suspendButton() { return dlg->findChild<QPushButton*>("Bt_suspend"); }
    bool paused() { return dlg->scanner() && dlg->scanner()->paused(); }
    bool running() { return dlg->scanner() && !dlg->scanner()->paused(); }
    bool halted() { return dlg->scanner() && dlg->scanner()->halted(); }
    QString report() { return dlg->findChild<QLabel*>("lab_report")->text(); }

    // One search with `script` acting on the open dialog. Should the script fail, the search is
    // cancelled so the run still returns.
    int run(int kinds, bool dupChk, const std::string& start, std::function<void()> script = {}) {
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, [&] {
            script();
            if (QTest::currentTestFailed() && dlg->scanner()) {
                fs->release();
                dlg->scanner()->stop();
                dlg->scanner()->resume();
            }
        });
        if (script) {
            timer.start(0);
        }
        return dlg->run(*catalogue, *fs, kinds, dupChk, start);
    }

private slots:
    void init() {
        fs = std::make_unique<test::MemoryFileSystem>();
        fs->folder(win());
        catalogue = std::make_unique<Catalogue>();
        catalogue->selectFolder(catalogue->addFolder(nullptr, "Tavrin"));
        dialogs = SlowDialogs();
        dlg = std::make_unique<SearchProgressDialog>(dialogs);
    }
    void cleanup() {
        dlg.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void dialogLooksAsDrawn() {
        QCOMPARE(dlg->windowTitle(), u("RPGSearch"));
        QCOMPARE(dlg->size(), QSize(482, 91));
        QVERIFY(dlg->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(dlg->windowType(), Qt::Tool);
        QVERIFY(suspendButton()->isDefault());
    }

    // Inner projects first, the start folder last; the rows show while the walk goes on; a
    // second run of the same dialog skips what the first added.
    void searchEndingByItselfClosesWithoutQuestion() {
        make("A/B/RPG_RT.lmt");
        make("A/B/RPG_RT.ini", "GameTitle=Bee\r\n");
        make("A/RPG_RT.lmt");
        make("A/GAME.EXE");
        make("A/Hero.rpg");
        make("RPG_RT.lmt");
        QCOMPARE(run(6, false, typed(win())), 0);
        QVERIFY(!dlg->isVisible());
        QVERIFY(!dlg->scanner());
        QVERIFY(dialogs.shown.empty());
        const std::vector<std::string> first = {win("A/B") + "|1", win("A") + "|1", win("A") + "|2",
                                                win() + "|1"};
        QCOMPARE(rows(), first);
        QCOMPARE(catalogue->row(0)->title, std::string("Bee"));
        QCOMPARE(catalogue->row(2)->title, std::string("Hero"));
        QCOMPARE(report(), qs(win("A/B")));
        QCOMPARE(dlg->findChild<QLabel*>("lab_found")->text(),
                 u("4個のプロジェクトが見つかりました"));

        make("C/RPG_RT.lmt");
        make("C/GAME.EXE");
        make("C/C.rpg");
        QCOMPARE(run(6, true, win()), 0);
        std::vector<std::string> second = first;
        second.push_back(win("C") + "|1");
        QCOMPARE(rows(), second);
        // Each search counts its own finds, after the duplicate check.
        QCOMPARE(dlg->findChild<QLabel*>("lab_found")->text(),
                 u("1個のプロジェクトが見つかりました"));
        QVERIFY(dialogs.shown.empty());
    }

    void startThatCannotBeEnteredClosesAtOnce_data() {
        QTest::addColumn<QString>("start");
        QTest::newRow("empty text") << QString();
        QTest::newRow("missing") << "nowhere";
        QTest::newRow("a file") << "file";
    }
    void startThatCannotBeEnteredClosesAtOnce() {
        QFETCH(QString, start);
        make("file");
        QCOMPARE(run(6, false, start.isEmpty() ? std::string() : typed(win(start.toStdString()))),
                 0);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(catalogue->rowCount(), 0);
        QVERIFY(dialogs.shown.empty());
    }

    void escPausesAndResumesNeverCancels() {
        make("A/B/C/RPG_RT.lmt");
        fs->holdAt(win("A"));
        QCOMPARE(run(2, false, win(),
                     [&] {
                         QTRY_VERIFY_WITH_TIMEOUT(fs->holding(), 5000);
                         QTest::keyClick(dlg.get(), Qt::Key_Escape);
                         QCOMPARE(suspendButton()->text(), u("再開"));
                         QVERIFY(paused());
                         fs->release();
                         QTRY_VERIFY_WITH_TIMEOUT(halted(), 5000);
                         QTRY_COMPARE(report(), qs(win("A")));
                         QVERIFY(dlg->isVisible());
                         QTest::keyClick(dlg.get(), Qt::Key_Escape);
                         QCOMPARE(suspendButton()->text(), u("一時停止"));
                         QTRY_VERIFY_WITH_TIMEOUT(!dlg->isVisible(), 5000);
                     }),
                 0);
        QCOMPARE(rows(), std::vector<std::string>{win("A/B/C") + "|1"});
        QVERIFY(dialogs.shown.empty());
    }

    // The label may skip folders the walk passed quickly, but it shows the latest one.
    void labelShowsTheLatestFolder() {
        make("A/B/C/");
        fs->holdAt(win("A"));
        QCOMPARE(run(2, false, win(),
                     [&] {
                         QTRY_VERIFY_WITH_TIMEOUT(fs->holding(), 5000);
                         fs->release();
                         // The walk ends while this thread shows nothing.
                         QDeadlineTimer limit(5000);
                         while (dlg->scanner()->walking() && !limit.hasExpired()) {
                             QThread::msleep(5);
                         }
                         QVERIFY(!dlg->scanner()->walking());
                     }),
                 0);
        QCOMPARE(report(), qs(win("A/B/C")));
    }

    void cancelAsksAndOnlyYesEnds_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("中止") << false;
        QTest::newRow("close box") << true;
    }
    // The walk is held in the second project's listing; below it waits a folder that a
    // cancelled walk never enters.
    void cancelAsksAndOnlyYesEnds() {
        QFETCH(bool, closeBox);
        make("A/P1/RPG_RT.lmt");
        make("A/P2/deep/RPG_RT.lmt");
        make("A/P2/RPG_RT.lmt");
        // Listed in the order they were made.
        const std::string first = "A/P1", second = "A/P2";
        fs->holdAt(win(second));
        const auto requestClose = [&] {
            if (closeBox) {
                dlg->close();
            } else {
                QTest::mouseClick(dlg->findChild<QPushButton*>("Bt_cancel"), Qt::LeftButton);
            }
        };
        run(2, false, win(), [&] {
            QTRY_VERIFY_WITH_TIMEOUT(fs->holding(), 5000);
            // The first project reaches the list with the next hand-over, the walk held or not.
            QTRY_COMPARE(catalogue->rowCount(), 1);

            dialogs.answers = {MsgResult::no};
            requestClose();
            QCOMPARE(dialogs.shown.size(), std::size_t(1));
            QCOMPARE(dialogs.shown[0].text, sj("検索を終了しますか？"));
            QCOMPARE(dialogs.shown[0].caption, sj("確認"));
            QCOMPARE(dialogs.shown[0].icon, MsgIcon::warning);
            QCOMPARE(dialogs.shown[0].buttons, MsgButtons::yesNo);
            QVERIFY(dlg->isVisible());
            QVERIFY(running());

            // Asked while paused: No resumes all the same.
            QTest::mouseClick(suspendButton(), Qt::LeftButton);
            QCOMPARE(suspendButton()->text(), u("再開"));
            dialogs.answers = {MsgResult::no};
            requestClose();
            QCOMPARE(suspendButton()->text(), u("一時停止"));
            QVERIFY(running());

            dialogs.answers = {MsgResult::yes};
            dialogs.whileOpen = [&] { QVERIFY(paused()); };
            requestClose();
            QCOMPARE(dialogs.shown.size(), std::size_t(3));
            QVERIFY(running());
            QVERIFY(dlg->isVisible());
            fs->release();
            QTRY_VERIFY_WITH_TIMEOUT(!dlg->isVisible(), 5000);
        });
        QCOMPARE(rows(), std::vector<std::string>{win(first) + "|1"});
        QCOMPARE(report(), qs(win(second)));
    }

    void unreadableSettingsEndTheWalk() {
        make("A/B/C/RPG_RT.lmt");
        make("A/B/RPG_RT.lmt");
        make("A/B/RPG_RT.ini", "GameTitle=x");
        make("A/RPG_RT.lmt");
        fs->unreadable = {win("A/B") + "RPG_RT.ini"};
        QCOMPARE(run(2, false, win()), 0);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(rows(), std::vector<std::string>{win("A/B/C") + "|1"});
        QVERIFY(dialogs.shown.empty());
    }

    // The walk ends while paused, then while the question is open: the dialog closes, the
    // latter once answered, and the next run starts unpaused.
    void endDuringPauseOrQuestion() {
        make("A/");
        fs->holdAt(win("A"));
        run(2, false, win(), [&] {
            QTRY_VERIFY_WITH_TIMEOUT(fs->holding(), 5000);
            QTest::mouseClick(suspendButton(), Qt::LeftButton);
            fs->release();
            QTRY_VERIFY_WITH_TIMEOUT(!dlg->isVisible(), 5000);
        });
        QCOMPARE(suspendButton()->text(), u("再開"));

        for (MsgResult answer : {MsgResult::no, MsgResult::yes}) {
            fs->holdAt(win("A"));
            dialogs.answers = {answer};
            dialogs.whileOpen = [&] {
                fs->release();
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->scanner(), 5000);
                QVERIFY(dlg->isVisible());
            };
            run(2, false, win(), [&] {
                QCOMPARE(suspendButton()->text(), u("一時停止"));
                QTRY_VERIFY_WITH_TIMEOUT(fs->holding(), 5000);
                QTest::mouseClick(dlg->findChild<QPushButton*>("Bt_cancel"), Qt::LeftButton);
                QVERIFY(!dlg->isVisible());
            });
            QCOMPARE(dialogs.answers.size(), std::size_t(0));
        }
    }
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
