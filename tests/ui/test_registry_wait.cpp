// The window's registry work through the real registry of a prefix whose wineserver runs, with a
// Wine whose reg takes its time: the window goes on meanwhile, and the start comes after, with
// what reg answered and after what it wrote.
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/linux/WineRegistry.h"
#include "platform/qt/QueuedRegistry.h"
#include "support/GameFileBuilders.h"
#include "support/HostScratch.h"
#include "support/MainWindow.h"

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrin;
using test::control;

namespace {

constexpr int kRegMs = 500;

// What the stand-in "wine" of ServedPrefix does once its reg has taken its time.
constexpr char kWineReg[] = R"sh(printf '%s\n' "$*" >>"$D/calls.log"
case "$2" in
query) exit 0 ;;
add) [ ! -e "$D/fail-add" ] ;;
export)
    store="$D/store/$(printf '%s' "$3" | tr '\\' _)"
    [ -f "$store" ] || exit 1
    out=$(printf '%s' "$4" | sed 's/^\\\\?\\unix//' | tr '\\' /)
    { printf '\377\376'
      { printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n' "$3"; cat "$store"; } |
        iconv -f UTF-8 -t UTF-16LE; } >"$out" ;;
*) exit 1 ;;
esac
)sh";

// A prefix that a running wineserver serves, as far as the registry can tell: a process of the
// test's own holds the lock in the server's folder, which the prefix's "wineserver" file names
// under TMPDIR. The "wine" first on the PATH writes each call down in calls.log once its reg has
// taken kRegMs, answers an export from store/ (the key's value lines, "\" in its name as "_"),
// and fails every add while fail-add exists.
class ServedPrefix {
public:
    ServedPrefix() {
        const std::string prefix = mFolder / "prefix";
        test::writeHostFile(prefix + "/wineserver", "srv\n");
        struct stat st {};
        ::stat(prefix.c_str(), &st);
        char server[64];
        std::snprintf(server, sizeof server, "server-%llx-%llx",
                      static_cast<unsigned long long>(st.st_dev),
                      static_cast<unsigned long long>(st.st_ino));
        const std::string lock = mFolder / "tmp/srv/" + server + "/lock";
        test::writeHostFile(lock, "");
        test::writeHostFile(mFolder / "bin/wine",
                            "#!/bin/sh\nD='" + mFolder.path() + "'\nsleep " +
                                std::to_string(kRegMs / 1000.0) + "\n" + kWineReg,
                            true);
        int ready[2];
        if (::pipe(ready) != 0) {
            qFatal("no pipe");
        }
        mHolder = ::fork();
        if (mHolder == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int fd = ::open(lock.c_str(), O_RDWR);
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            if (fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0 && ::write(ready[1], "x", 1) == 1) {
                ::pause();
            }
            ::_exit(1);
        }
        char got = 0;
        if (mHolder < 0 || ::read(ready[0], &got, 1) != 1) {
            qFatal("the server's lock is not held");
        }
        ::close(ready[0]);
        ::close(ready[1]);
        const char* path = std::getenv("PATH");
        mPath.emplace("PATH", mFolder / "bin:" + (path ? path : ""));
        mTmp.emplace("TMPDIR", mFolder / "tmp");
        mRegistry.emplace(prefix);
    }
    ~ServedPrefix() {
        ::kill(mHolder, SIGKILL);
        ::waitpid(mHolder, nullptr, 0);
    }
    ServedPrefix(const ServedPrefix&) = delete;
    ServedPrefix& operator=(const ServedPrefix&) = delete;

    WineRegistry& registry() { return *mRegistry; }
    void value(const std::string& key, const std::string& line) {
        std::string name = key;
        std::replace(name.begin(), name.end(), '\\', '_');
        test::writeHostFile(mFolder / "store/HKCU_" + name, line + "\r\n");
    }
    void failAdds() { test::writeHostFile(mFolder / "fail-add", ""); }
    std::string calls() const { return test::readHostFile(mFolder / "calls.log"); }

private:
    test::TempFolder mFolder{"tavrin-reg"};
    pid_t mHolder = -1;
    std::optional<test::ScopedEnv> mPath, mTmp;
    std::optional<WineRegistry> mRegistry;
};

// The main window over the stand-ins, but for that registry behind the worker.
struct Fixture {
    ServedPrefix prefix;
    std::optional<QueuedRegistry> queued;
    test::MainWindow m;

    explicit Fixture(const ProjectItem& item) {
        queued.emplace(prefix.registry(), m.dialogs);
        m.keys = &*queued;
        m.fs.files[test::kData] = test::CatalogueTree().folder("R", {item}).file();
        m.start();
        m.select(m.catalogue().tree().root());
        m.show();
        m.list()->setFocus();
        m.list()->setCurrentIndex(m.list()->model()->index(0, 0));
    }
    // Clicks `button` twice, as an impatient person does, and says how long that took.
    qint64 clickTwice(const char* button) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 2; ++i) {
            control(m.form.get(), QString::fromLatin1(button))->trigger();
        }
        return clock.elapsed();
    }
    // What reg had been asked when the first start came; empty when none came.
    std::string callsAtStart() {
        QElapsedTimer clock;
        clock.start();
        while (m.shell.starts.empty() && clock.elapsed() < 20000) {
            QTest::qWait(10);
        }
        return m.shell.starts.empty() ? std::string() : prefix.calls();
    }
};

const std::string k2003 = "Software\\Enterbrain\\RPG2003";

} // namespace

class TestRegistryWait : public QObject {
    Q_OBJECT
private slots:
    void aGameStartsAfterRegWithoutHoldingTheWindow();
    void anEditorStartsOnlyOnceItsProjectIsWritten();
};

void TestRegistryWait::aGameStartsAfterRegWithoutHoldingTheWindow() {
    const std::string folder = "C:\\Games\\Hero\\";
    Fixture f({folder, "h", pk2000});
    f.m.fs.file(folder + "RPG_RT.EXE", test::makeRuntime({}, {}, k2003));
    f.m.fs.folder("C:\\RTP\\");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);

    // No RTP yet: asked, and No starts nothing.
    f.m.dialogs.answers = {MsgResult::no};
    QVERIFY(f.clickTwice("ToolButton_GameStart") < kRegMs);
    QTRY_COMPARE_WITH_TIMEOUT(f.m.dialogs.shown.size(), std::size_t(1), 10000);
    QVERIFY(ticks >= kRegMs / 40);
    QTest::qWait(3 * kRegMs);
    QCOMPARE(f.m.dialogs.shown.size(), std::size_t(1));
    QVERIFY(f.m.shell.starts.empty());

    // The RTP installed meanwhile is seen; the renderer is written before the start, once.
    f.prefix.value(k2003, R"("RuntimePackagePath"="C:\\RTP\\")");
    ticks = 0;
    QVERIFY(f.clickTwice("ToolButton_GameStart") < kRegMs);
    const std::string calls = f.callsAtStart();
    QVERIFY(ticks >= kRegMs / 40);
    const std::string renderer =
        "reg add HKCU\\Software\\Wine\\AppDefaults\\RPG_RT.exe\\Direct3D /v renderer";
    QVERIFY2(calls.find(renderer) != std::string::npos, calls.c_str());
    QCOMPARE(f.m.dialogs.shown.size(), std::size_t(1));
    QTest::qWait(3 * kRegMs);
    QCOMPARE(f.m.shell.starts.size(), std::size_t(1));
    QCOMPARE(f.m.shell.starts[0].file, folder + "RPG_RT.EXE");

    // A renderer that cannot be written is told as before, and nothing starts.
    f.prefix.failAdds();
    f.m.shell.starts.clear();
    f.clickTwice("ToolButton_GameStart");
    QTRY_COMPARE_WITH_TIMEOUT(f.m.dialogs.shown.size(), std::size_t(2), 10000);
    QCOMPARE(f.m.dialogs.shown[1].text, errorBoxText(sj("'renderer' の設定に失敗しました")));
    QCOMPARE(f.m.dialogs.shown[1].caption, std::string("Tavrin"));
    QVERIFY(f.m.shell.starts.empty());

    // The registry names no 2003 editor: its entry goes once reg has said so.
    QTRY_VERIFY(!control(f.m.form.get(), "ListPop_Thukuru2003Execute")->isVisible());
}

void TestRegistryWait::anEditorStartsOnlyOnceItsProjectIsWritten() {
    Fixture f({"C:\\Games\\Hero", "h", pk2000});
    f.prefix.value(k2003, R"("ApplicationPath"="C:\\Editor\\")");
    QVERIFY(f.clickTwice("ListPop_Thukuru2003Execute") < kRegMs);
    const std::string calls = f.callsAtStart();
    for (const char* written : {"/v ProjectBasePath /t REG_SZ /d C:\\Games\\ /f",
                                "/v OpenedProjectFolder /t REG_SZ /d Hero /f"}) {
        QVERIFY2(calls.find(written) != std::string::npos, calls.c_str());
    }
    QTest::qWait(3 * kRegMs);
    QCOMPARE(f.m.shell.started(), std::string("C:\\Editor\\RPG2003.exe|0|C:\\Editor\\;"));
    QVERIFY(f.m.dialogs.shown.empty());
    QVERIFY(control(f.m.form.get(), "ListPop_Thukuru2003Execute")->isVisible());
}

QTEST_MAIN(TestRegistryWait)
#include "test_registry_wait.moc"
