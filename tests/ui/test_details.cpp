#include "launch/DetailsPane.h"
#include "launch/GameFiles.h"
#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "support/GameFileBuilders.h"
#include "support/MainWindow.h"

#include <QBuffer>
#include <QLabel>
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
                  kE = "Z:\\g\\E\\";

// Five games in the root folder; A carries everything, the others need the RTP, which the
// prefix lacks. Each title picture has a colour of its own.
struct Details : test::MainWindow {
    GatedFiles gated{fs};

    Details() {
        // The database names one of two pictures.
        fs.file(kA + "Title\\Title1.png", test::png(Qt::red));
        fs.file(kA + "Title\\Other.png", test::png(Qt::white));
        fs.file(kA + "RPG_RT.ldb", test::makeLdb("title1"));
        fs.file(kA + "RPG_RT.ini", "[RPG_RT]\r\nFullPackageFlag=1\r\n");
        fs.file(kA + "Music\\a.wav", std::string(2048, 'w'));
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
        fs.files[test::kData] = test::CatalogueTree({"R"})
                                    .folder(">S", {{kA, "a", pk2000},
                                                   {kB, "b", pk2000},
                                                   {kC, "c", pk2000},
                                                   {kD, "d", pk2000},
                                                   {kE, "e", pk2000}})
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
    QString text() const { return control<QLabel>(form.get(), "DetailsText")->text(); }
    QColor pictureMiddle() const {
        QWidget* picture = control<QWidget>(form.get(), "DetailsPicture");
        const QImage shot = picture->grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }
    void down() { QTest::keyClick(list(), Qt::Key_Down); }
};

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
        QTRY_VERIFY(d.text().contains(QStringLiteral("（5 個のファイル）")));
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

        d.down();
        QTRY_VERIFY(d.text().contains(QStringLiteral("タイトル画像が大きすぎます")));

        QVERIFY(d.close());
        QVERIFY(d.saved("[DetailsPane]\r\nVisible=1\r\nSize="));
    }
};

QTEST_MAIN(TestDetails)
#include "test_details.moc"
