#include "launch/GameFiles.h"
#include "launch/qt/DetailsPane.h"
#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtText.h"
#include "support/GameFileBuilders.h"
#include "support/MainWindow.h"
#include "support/SaveFileBuilder.h"

#include <QBuffer>
#include <QComboBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QtTest>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <type_traits>

using namespace tavrin;
using test::control;

namespace {

// The game folders as the pane's worker reaches them: any call on a path under a held prefix
// waits there until the test lets it go.
class GatedFiles : public FileSystem {
public:
    explicit GatedFiles(test::MemoryFileSystem& files) : mFiles(files) {}

    void hold(const std::string& prefix) {
        std::lock_guard lock(mMutex);
        mHeld.push_back(prefix);
    }
    void release(const std::string& prefix) {
        std::lock_guard lock(mMutex);
        std::erase(mHeld, prefix);
        mReleased.notify_all();
    }
    void releaseAll() {
        std::lock_guard lock(mMutex);
        mHeld.clear();
        mReleased.notify_all();
    }
    std::string waitingAt() {
        std::lock_guard lock(mMutex);
        return mWaiting;
    }
    bool touched(const std::string& prefix) {
        std::lock_guard lock(mMutex);
        return std::any_of(mTouched.begin(), mTouched.end(),
                           [&](const std::string& p) { return under(p, prefix); });
    }

    bool fileExists(const std::string& p) override {
        return use(p, [&] { return mFiles.fileExists(p); });
    }
    bool folderExists(const std::string& p) override {
        return use(p, [&] { return mFiles.folderExists(p); });
    }
    std::optional<std::string> readFile(const std::string& p) override {
        return use(p, [&] { return mFiles.readFile(p); });
    }
    std::optional<std::uint64_t> fileSize(const std::string& p) override {
        return use(p, [&] { return mFiles.fileSize(p); });
    }
    bool writeFileAtomic(const std::string& p, std::string_view bytes) override {
        return use(p, [&] { return mFiles.writeFileAtomic(p, bytes); });
    }
    bool renameFile(const std::string& from, const std::string& to) override {
        return use(from, [&] { return mFiles.renameFile(from, to); });
    }
    std::vector<Entry> listFolder(const std::string& p) override {
        return use(p, [&] { return mFiles.listFolder(p); });
    }
    std::optional<std::vector<Entry>> tryListFolder(const std::string& p) override {
        return use(p, [&] { return mFiles.tryListFolder(p); });
    }

private:
    static bool under(const std::string& path, const std::string& prefix) {
        return path.size() >= prefix.size() &&
               pathtext::sameName(std::string_view(path).substr(0, prefix.size()), prefix);
    }
    template <typename F> std::invoke_result_t<F> use(const std::string& path, F call) {
        {
            std::unique_lock lock(mMutex);
            mTouched.push_back(path);
            for (;;) {
                const auto held =
                    std::find_if(mHeld.begin(), mHeld.end(),
                                 [&](const std::string& h) { return under(path, h); });
                if (held == mHeld.end()) {
                    break;
                }
                mWaiting = *held;
                mReleased.wait(lock);
            }
            mWaiting.clear();
        }
        std::lock_guard one(mUse);
        return call();
    }

    test::MemoryFileSystem& mFiles;
    std::mutex mMutex, mUse;
    std::condition_variable mReleased;
    std::vector<std::string> mHeld, mTouched;
    std::string mWaiting;
};

const std::string kA = "Z:\\g\\A\\", kB = "Z:\\g\\B\\", kC = "Z:\\g\\C\\", kD = "Z:\\g\\D\\",
                  kE = "Z:\\g\\E\\", kF = "Z:\\g\\F\\", kG = "Z:\\g\\G\\";
const std::string kChoices = test::kApp + "Tavrin.codepage";

// Five games in the root folder; A carries everything, the others need the RTP, which the
// prefix lacks. Each title picture has a colour of its own. Then F, whose runtime names 200 long
// DLLs the prefix lacks and one whose name is longer than any line, and whose database names its
// title picture in Cyrillic (code page 1251); and G, a 95 work.
struct Details : test::MainWindow {
    GatedFiles gated{fs};

    Details() {
        // The database names one of two pictures.
        fs.file(kA + "Title\\Title1.png", test::png(Qt::red));
        fs.file(kA + "Title\\Other.png", test::png(Qt::white));
        fs.file(kA + "RPG_RT.ldb", test::makeLdb("title1"));
        fs.file(kA + "RPG_RT.ini", "[RPG_RT]\r\nFullPackageFlag=1\r\n");
        fs.file(kA + "Music\\a.wav", std::string(2048, 'w'));
        fs.file(kA + "Save03.lsd",
                test::makeLsd({46364.7701389, sj("勇者"), 12, std::nullopt})); // 2026-12-08 18:29
        fs.file(kA + "save05.lsd", "damaged");
        fs.file(kB + "title\\Hero.PNG", test::png(Qt::green));
        fs.file(kC + "Title\\c.png", test::png(Qt::yellow));
        fs.file(kD + "Title\\d.png", test::png(Qt::blue));
        // Wider than any title screen: refused before it is decoded.
        QImage wide(gamefiles::kLargestPictureSide + 1, 1, QImage::Format_RGB32);
        wide.fill(Qt::cyan);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        wide.save(&buffer, "PNG");
        fs.file(kE + "Title\\wide.png", bytes.toStdString());
        std::vector<std::string> dlls;
        for (int i = 0; i < 200; ++i) {
            dlls.push_back("SoundAndPictureSupportLibrary" + std::to_string(i) + "ForTheGame.dll");
        }
        dlls.insert(dlls.begin(), std::string(240, 'W') + ".dll");
        fs.file(kF + "RPG_RT.exe", test::makeRuntime(dlls, ""));
        fs.file(kF + "RPG_RT.ldb", test::makeLdb("\xc3\xe5\xf0\xee\xe9")); // Герой
        fs.file(kF + "Title\\" + sj("Герой") + ".png", test::png(Qt::magenta));
        fs.file("C:\\windows\\system32\\kernel32.dll");
        fs.file(kG + "Title\\title.png", test::png(Qt::cyan));
        fs.files[test::kData] = test::CatalogueTree({"R"})
                                    .folder(">S", {{kA, "a", pk2000},
                                                   {kB, "b", pk2000},
                                                   {kC, "c", pk2000},
                                                   {kD, "d", pk2000},
                                                   {kE, "e", pk2000},
                                                   {kF, "f", pk2000},
                                                   {kG, "g", pk95}})
                                    .file();
        files = &gated;
        start();
        select(node("S"));
    }
    // The worker may stand in a held call: it is let go before the window waits for it.
    ~Details() {
        gated.releaseAll();
        form.reset();
    }

    DetailsPane* pane() const { return control<DetailsPane>(form.get(), "DetailsPane"); }
    QPlainTextEdit* lines() const { return control<QPlainTextEdit>(form.get(), "DetailsText"); }
    QString text() const { return lines()->toPlainText(); }
    QComboBox* codePage() const { return control<QComboBox>(form.get(), "Combo_CodePage"); }
    QColor pictureMiddle() const {
        QWidget* picture = control<QWidget>(form.get(), "DetailsPicture");
        const QImage shot = picture->grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }
    void down() { QTest::keyClick(list(), Qt::Key_Down); }
    // The pane shown, the keyboard in the list on row `row`.
    void showPaneAt(int row) {
        if (!pane()->shown()) {
            control(form.get(), "MenuItem_Details")->trigger();
        }
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Home);
        for (int i = 0; i < row; ++i) {
            down();
        }
    }
};

// Opens the box with the mouse and clicks the entry, as a person picks one.
void pick(QComboBox* box, const QString& entry) {
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* popup = box->view();
    QTRY_VERIFY(popup->isVisible());
    // A release this soon after the press that opened the list is taken as part of that click.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex item = popup->model()->index(box->findText(entry), 0);
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(item).center());
    QTRY_VERIFY(!popup->isVisible());
}

} // namespace

class TestDetails : public QObject {
    Q_OBJECT
private slots:
    void paneFollowsTheFocusedRowAndDropsLateAnswers() {
        Details d;
        d.show();
        // A settings file of an older copy: the designed window, no pane.
        QVERIFY(!d.pane()->isVisible());
        QVERIFY(!control(d.form.get(), "MenuItem_Details")->isChecked());
        control(d.form.get(), "MenuItem_Details")->trigger();
        QVERIFY(d.pane()->isVisible());

        d.list()->setFocus();
        QTest::keyClick(d.list(), Qt::Key_Home);
        QCOMPARE(d.list()->focusedRow(), 0);
        QTRY_VERIFY(d.text().contains(QStringLiteral("RTP: 不要")));
        QTRY_VERIFY(d.text().contains(QStringLiteral("（7 個のファイル）")));
        QVERIFY(d.text().contains(QStringLiteral(
            "セーブ: 1 個（最新: 2026/12/08 18:29 勇者 Lv 12）（読めないファイル 1 個）")));
        QCOMPARE(d.pictureMiddle(), QColor(Qt::red));
        QVERIFY(d.text().contains(QStringLiteral("前回の起動: まだありません")));
        // The note shown while a slow answer is awaited never covers one that came.
        QTest::qWait(200);
        QVERIFY(d.text().contains(QStringLiteral("RTP: 不要")));

        // B's needs are read slowly, after its picture; meanwhile the user walks on to D, past C.
        d.gated.hold(kB + "RPG_RT.ini");
        d.gated.hold(kD);
        d.down();
        QTRY_COMPARE(d.gated.waitingAt(), kB + "RPG_RT.ini");
        d.down();
        d.down();
        QCOMPARE(d.list()->focusedRow(), 3);
        d.gated.release(kB + "RPG_RT.ini");
        // B's answer was sent before the worker went on to D.
        QTRY_COMPARE(d.gated.waitingAt(), kD);
        QTRY_COMPARE(d.text(), QStringLiteral("読み込み中…"));
        QVERIFY(d.pictureMiddle() != QColor(Qt::green));

        d.gated.release(kD);
        QTRY_VERIFY(d.text().contains(QStringLiteral("RTP: 見つかりません")));
        QCOMPARE(d.pictureMiddle(), QColor(Qt::blue));
        // Only the row the walk stopped at was read.
        QVERIFY(!d.gated.touched(kC));
        // Started from here, it shows when.
        QVERIFY(d.text().contains(QStringLiteral("前回の起動: まだありません")));
        QTest::keyClick(d.list(), Qt::Key_F5);
        QCOMPARE(d.shell.starts.size(), std::size_t(1));
        QVERIFY(!d.text().contains(QStringLiteral("前回の起動: まだありません")));
        // Its end shows one play more.
        QVERIFY(d.text().contains(QStringLiteral("プレイ時間: まだありません")));
        QCOMPARE(d.shell.finished.size(), std::size_t(1));
        d.shell.finished[0]();
        QTRY_VERIFY(d.text().contains(QStringLiteral("プレイ時間: 1 分未満（1 回）")));

        d.down();
        QTRY_VERIFY(d.text().contains(QStringLiteral("タイトル画像が大きすぎます")));

        QVERIFY(d.close());
        QVERIFY(d.saved("[DetailsPane]\r\nVisible=1\r\nSize="));
    }

    // F's files tell code page 1251, offered as 自動; the user's pick is kept for that project,
    // written at once. Walking the rows writes nothing, nor does the wheel over the box.
    void codePageIsToldAndTheUsersPickKept() {
        Details d;
        d.show();
        d.showPaneAt(5);
        QComboBox* box = d.codePage();
        QTRY_COMPARE(box->currentText(), QStringLiteral("自動（1251（キリル））"));
        pick(box, QStringLiteral("1252（西ヨーロッパ）"));
        QCOMPARE(d.fs.files[kChoices], "1252\t" + kF + "\r\n");
        // A line the program did not write stays while the program writes nothing.
        const std::string written = d.fs.files[kChoices] += "949\tZ:\\g\\Other\\\r\n";
        QTest::keyClick(d.list(), Qt::Key_Up);
        QTRY_COMPARE(box->currentText(), QStringLiteral("自動（932（日本語））"));
        d.down();
        d.down();
        QTRY_VERIFY(d.text().contains(QStringLiteral("RPGツクール95 作品")));
        QVERIFY(!box->isVisible());
        QTest::keyClick(d.list(), Qt::Key_Up);
        QTRY_COMPARE(box->currentText(), QStringLiteral("1252（西ヨーロッパ）"));
        QWheelEvent wheel({2, 2}, box->mapToGlobal(QPointF(2, 2)), {}, {0, -120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
        QCOMPARE(box->currentText(), QStringLiteral("1252（西ヨーロッパ）"));
        QCOMPARE(d.fs.files[kChoices], written);

        pick(box, QStringLiteral("自動（1251（キリル））"));
        QVERIFY(d.fs.files[kChoices].find(kF) == std::string::npos);
        d.select(d.node("R"));
        QTRY_VERIFY(!box->isVisible());
    }

    // F's lines, one of them thousands of characters, one name wider than the pane, wrap in the
    // pane; the window keeps the width the user gave it, with the pane made tall or the window
    // as narrow as it goes, and the pane goes on following the rows.
    void whatAFolderHoldsNeverWidensTheWindow() {
        Details d;
        d.show();
        d.form->resize(640, 560);
        d.showPaneAt(5);
        QTRY_COMPARE(d.pane()->height(), 140); // its designed size
        const int treeWidth = d.tree()->width();
        // The pane's edge dragged up: its title picture, 4:3, would want more than the width.
        QWidget* edge = control<QSplitter>(d.form.get(), "DetailsSplitter")->handle(1);
        const QPoint from = edge->rect().center(), to = from - QPoint(0, 250);
        QTest::mousePress(edge, Qt::LeftButton, {}, from);
        QTest::mouseMove(edge, to);
        QTest::mouseRelease(edge, Qt::LeftButton, {}, to);
        QTRY_VERIFY(d.text().contains(QStringLiteral("見つからない DLL")));
        QVERIFY(d.pane()->height() > 350);
        QTest::qWait(50);
        QCOMPARE(d.form->width(), 640);
        QCOMPARE(d.tree()->width(), treeWidth);
        QCOMPARE(d.lines()->horizontalScrollBar()->maximum(), 0);
        QTest::keyClick(d.list(), Qt::Key_Up);
        QTest::keyClick(d.list(), Qt::Key_Up);
        QTRY_COMPARE(d.pictureMiddle(), QColor(Qt::blue));
        QCOMPARE(d.form->width(), 640);

        // As narrow as it goes on the 95 work; where the code page shows, it stays so.
        d.down();
        d.down();
        d.down();
        QTRY_VERIFY(d.text().contains(QStringLiteral("RPGツクール95 作品")));
        const int narrowest = d.form->minimumSizeHint().width();
        d.form->resize(narrowest, 560);
        QTRY_COMPARE(d.form->width(), narrowest);
        QTest::keyClick(d.list(), Qt::Key_Up);
        QTRY_VERIFY(d.codePage()->isVisible());
        QTest::qWait(50);
        QCOMPARE(d.form->width(), narrowest);
    }

    // The question before a start, a line for each part a game lacks: with 256 the box still
    // fits the screen with its buttons, shows the first lines and the question, and holds the
    // whole text in its details.
    void aLongQuestionFitsTheScreen() {
        std::string text;
        for (int i = 0; i < 256; ++i) {
            text += "Part" + std::to_string(i) + sj(".dll が見つかりません。\n");
        }
        text += sj("このまま起動しますか？");
        QRect frame, no;
        QString shown, details;
        test::OnceShown<QMessageBox> person([&](QMessageBox* box) {
            QAbstractButton* button = box->button(QMessageBox::No);
            frame = box->frameGeometry();
            no = QRect(button->mapToGlobal(QPoint()), button->size());
            shown = box->text();
            details = box->detailedText();
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.messageBox(text, "Tavrin", MsgIcon::question, MsgButtons::yesNo,
                                    MsgResult::yes),
                 MsgResult::no);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(frame.height() <= screen.height(), qPrintable(QString::number(frame.height())));
        QVERIFY(screen.contains(no));
        QVERIFY(shown.startsWith(QStringLiteral("Part0.dll が見つかりません。\nPart1.dll")));
        QVERIFY(shown.contains(QStringLiteral("\n…\n")));
        QVERIFY(shown.endsWith(QStringLiteral("が見つかりません。\nこのまま起動しますか？")));
        QCOMPARE(details, qs(text));
    }
};

QTEST_MAIN(TestDetails)
#include "test_details.moc"
