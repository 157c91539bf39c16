#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/qt/LinuxShell.h"
#include "platform/qt/ProgramWatch.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tavrin;
using test::ScopedEnv;
using test::TempFolder;
using test::writeHostFile;
namespace fs = std::filesystem;

namespace {

// What a stand-in recorded: its arguments after argv[0], its working folder, its environment
// (LC_ALL as a C program's getenv finds it, the first of its name), its session, its blocked
// signals and whether a descriptor was passed on.
struct Record {
    std::vector<std::string> args;
    std::string cwd;
    std::string lcAll;
    std::string winePrefix;
    std::string session;
    std::string blocked;
    bool leaked = false;
};

// A descriptor left open over exec by some library.
constexpr int kLeakFd = 200;

// A script that records how it was started into `out`, written whole by a rename so a reader
// never sees half of it.
std::string recorderScript(const std::string& out) {
    return "#!/bin/sh\n"
           "PATH=/usr/bin:/bin\n"
           "{\n"
           "  printf 'cwd=%s\\n' \"$(pwd -P)\"\n"
           "  lc=$(tr '\\0' '\\n' < /proc/$$/environ | grep -m1 '^LC_ALL=')\n"
           "  printf '%s\\n' \"${lc:-LC_ALL=unset}\"\n"
           "  printf 'WINEPREFIX=%s\\n' \"${WINEPREFIX-unset}\"\n"
           "  printf 'session=%s\\n' \"$(cut -d' ' -f6 /proc/$$/stat)\"\n"
           "  printf 'blocked=%s\\n' \"$(grep SigBlk /proc/$$/status | cut -f2)\"\n"
           "  [ -e /proc/$$/fd/" +
           std::to_string(kLeakFd) +
           " ] && echo leaked=yes\n"
           "  for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done\n"
           "} > '" +
           out + ".part' && mv '" + out + ".part' '" + out + "'\n";
}

class LinuxShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeHostFile(mTemp / "bin/wine", recorderScript(mTemp / "wine.txt"), true);
        writeHostFile(mTemp / "bin/xdg-open", recorderScript(mTemp / "xdg-open.txt"), true);
        fs::create_directories(mDrive);
    }

    // Waits for a stand-in's record; a test fails when it never comes.
    std::optional<Record> waitFor(const std::string& name) {
        const std::string path = mTemp / name;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fs::exists(path)) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << name << " never written";
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        Record record;
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            const std::size_t eq = line.find('=');
            const std::string key = line.substr(0, eq);
            const std::string value = line.substr(eq + 1);
            if (key == "arg")
                record.args.push_back(value);
            else if (key == "cwd")
                record.cwd = value;
            else if (key == "LC_ALL")
                record.lcAll = value;
            else if (key == "WINEPREFIX")
                record.winePrefix = value;
            else if (key == "session")
                record.session = value;
            else if (key == "blocked")
                record.blocked = value;
            else if (key == "leaked")
                record.leaked = true;
        }
        fs::remove(path);
        return record;
    }

    // True when every start so far has left no child of ours, running or a zombie.
    static bool noChildren() { return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }

    TempFolder mTemp{"tavrin-shell"};
    std::string mDrive = mTemp / "drive";
    LinuxFileSystem mFs{DriveTable({{'C', mDrive}})};
    test::ScriptedDialogs mDialogs;
    LinuxShell mShell{mFs, mDialogs};
    ScopedEnv mPath{"PATH", (mTemp / "bin").c_str()};
    ScopedEnv mLang{"LANG", "C"};
    ScopedEnv mLcAll{"LC_ALL", nullptr};
    ScopedEnv mLcCtype{"LC_CTYPE", nullptr};
    ScopedEnv mPrefix{"WINEPREFIX", "/nowhere/prefix"};
};

TEST_F(LinuxShellTest, GameStartsThroughWineDetachedInItsOwnFolder) {
    // The host names differ in case from the Windows path, and the folder name is Japanese.
    const std::string game = mDrive + "/ゲーム集/Hero";
    writeHostFile(game + "/RPG_RT.exe", "MZ");
    const std::string folder = sj("C:\\ゲーム集\\HERO\\");

    // A signal the program blocks and a descriptor some library left without CLOEXEC are not
    // passed on.
    sigset_t usr1, old;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &usr1, &old), 0);
    ASSERT_EQ(::dup2(STDIN_FILENO, kLeakFd), kLeakFd);

    const int result =
        mShell.execute(folder + "RPG_RT.EXE", "GamePlay ShowTitle FullScreen", folder);
    ::close(kLeakFd);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    EXPECT_GT(result, 32);
    const std::optional<Record> wine = waitFor("wine.txt");
    ASSERT_TRUE(wine);
    EXPECT_EQ(wine->args, (std::vector<std::string>{game + "/RPG_RT.exe", "GamePlay", "ShowTitle",
                                                    "FullScreen"}));
    EXPECT_EQ(wine->cwd, game);
    EXPECT_EQ(wine->lcAll, "ja_JP.UTF-8");
    EXPECT_EQ(wine->winePrefix, "/nowhere/prefix");
    // Its own session, and neither it nor a go-between is left as our child.
    EXPECT_NE(wine->session, std::to_string(::getsid(0)));
    EXPECT_EQ(wine->blocked, "0000000000000000");
    EXPECT_FALSE(wine->leaked);
    EXPECT_TRUE(noChildren());
}

TEST_F(LinuxShellTest, WindowsProgramsKeepAJapaneseUtf8Locale) {
    writeHostFile(mDrive + "/G/RPG_RT.EXE", "MZ");
    {
        ScopedEnv lang("LANG", "ja_JP.UTF-8");
        EXPECT_GT(mShell.execute("C:\\G\\RPG_RT.EXE", "", ""), 32);
        const std::optional<Record> wine = waitFor("wine.txt");
        ASSERT_TRUE(wine);
        EXPECT_EQ(wine->lcAll, "unset");
    }
    // LC_ALL set to another locale is replaced, not joined by a second one.
    ScopedEnv all("LC_ALL", "C");
    EXPECT_GT(mShell.execute("C:\\G\\RPG_RT.EXE", "", ""), 32);
    const std::optional<Record> wine = waitFor("wine.txt");
    ASSERT_TRUE(wine);
    EXPECT_EQ(wine->lcAll, "ja_JP.UTF-8");
}

TEST_F(LinuxShellTest, ParametersReachTheProgramByTheWindowsRules) {
    writeHostFile(mDrive + "/G/RPG_RT.EXE", "MZ");
    // "表" ends in 0x5C, which must not take the quote after it as a literal one.
    const int result =
        mShell.execute("C:\\G\\RPG_RT", sj(R"("Save Data" x\"y "" "表" a\\"b c" "q""r")"), "C:\\G");
    EXPECT_GT(result, 32);
    const std::optional<Record> wine = waitFor("wine.txt");
    ASSERT_TRUE(wine);
    EXPECT_EQ(wine->args, (std::vector<std::string>{mDrive + "/G/RPG_RT.EXE", "Save Data", "x\"y",
                                                    "", "表", "a\\b c", "q\"r"}));
    EXPECT_EQ(wine->cwd, mDrive + "/G");
}

TEST_F(LinuxShellTest, FoldersDocumentsAndAddressesOpenOnTheDesktop) {
    fs::create_directories(mDrive + "/ゲーム集/Hero");
    writeHostFile(mDrive + "/Docs/read me.txt", "text");
    // Every file of a FAT mount has the execute bit; a document is still no program.
    writeHostFile(mDrive + "/Docs/fat.txt", "text", true);

    const std::map<std::string, std::string> opened = {
        {sj("C:\\ゲーム集\\hero\\"), mDrive + "/ゲーム集/Hero/"},
        {"C:\\docs\\READ ME.TXT", mDrive + "/Docs/read me.txt"},
        {"C:\\Docs\\fat.txt", mDrive + "/Docs/fat.txt"},
        {"HTTPS://example.com/?q=1&r=2", "HTTPS://example.com/?q=1&r=2"},
        {"mailto:someone@example.com", "mailto:someone@example.com"},
    };
    // A file of the tool's name without the execute bit is passed over, as a shell would.
    writeHostFile(mTemp / "noexec/xdg-open", "#!/bin/sh\n");
    ScopedEnv path("PATH", (mTemp / "noexec:" + mTemp.path() + "/bin").c_str());
    for (const auto& [file, arg] : opened) {
        SCOPED_TRACE(file);
        // With the folder part as the working folder, as the bars give it: "HTTPS:" for an
        // address, which no drive holds.
        EXPECT_GT(mShell.execute(file, "ignored -x", pathtext::folderPart(file)), 32);
        const std::optional<Record> open = waitFor("xdg-open.txt");
        ASSERT_TRUE(open);
        EXPECT_EQ(open->args, std::vector<std::string>{arg});
        // Only Windows programs get the Japanese locale.
        EXPECT_EQ(open->lcAll, "unset");
    }
    EXPECT_TRUE(noChildren());
}

TEST_F(LinuxShellTest, NativeProgramsRunDirectly) {
    const std::string out = mTemp / "native.txt";
    writeHostFile(mDrive + "/tools/run.sh", recorderScript(out), true);
    EXPECT_GT(mShell.execute("C:\\TOOLS\\RUN.SH", R"(one "two three")", "C:\\tools\\"), 32);
    const std::optional<Record> native = waitFor("native.txt");
    ASSERT_TRUE(native);
    EXPECT_EQ(native->args, (std::vector<std::string>{"one", "two three"}));
    EXPECT_EQ(native->cwd, mDrive + "/tools");
    EXPECT_EQ(native->lcAll, "unset");
    EXPECT_TRUE(noChildren());
}

TEST_F(LinuxShellTest, FailuresAreReportedBelow33AndStartNothing) {
    writeHostFile(mDrive + "/G/RPG_RT.EXE", "MZ");
    fs::create_directories(mDrive + "/Folder");
    EXPECT_EQ(mShell.execute("C:\\G\\GAME.EXE", "", ""), Shell::kFileNotFound);
    EXPECT_EQ(mShell.execute("C:\\G\\GAME", "", ""), Shell::kFileNotFound);
    EXPECT_EQ(mShell.execute("C:\\Gone\\", "", ""), Shell::kFileNotFound);
    EXPECT_EQ(mShell.execute("Q:\\G\\RPG_RT.EXE", "", ""), Shell::kFileNotFound);
    EXPECT_EQ(mShell.execute("", "", ""), Shell::kFileNotFound);
    // A working folder that is not there.
    EXPECT_LE(mShell.execute("C:\\G\\RPG_RT.EXE", "", "C:\\Nowhere\\"), 32);

    // A tool that cannot be exec'd is found out before the call returns.
    writeHostFile(mTemp / "bin/wine", "#!/nonexistent/interpreter\n", true);
    EXPECT_EQ(mShell.execute("C:\\G\\RPG_RT.EXE", "", ""), Shell::kNoAssociation);
    // As is a native program whose interpreter is missing.
    writeHostFile(mDrive + "/tools/broken.sh", "#!/nonexistent/interpreter\n", true);
    EXPECT_LE(mShell.execute("C:\\tools\\broken.sh", "", ""), 32);

    // No tools on PATH at all; an empty entry does not stand for the current folder.
    {
        const std::string before = fs::current_path();
        fs::current_path(mTemp / "bin");
        ScopedEnv path("PATH", ":");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(mShell.execute("C:\\G\\RPG_RT.EXE", "", ""), Shell::kNoAssociation);
        EXPECT_EQ(mShell.execute("C:\\Folder", "", ""), Shell::kNoAssociation);
        EXPECT_EQ(mShell.execute("http://example.com/", "", ""), Shell::kNoAssociation);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        fs::current_path(before);
    }

    EXPECT_TRUE(noChildren());
    EXPECT_FALSE(fs::exists(mTemp / "wine.txt"));
    EXPECT_FALSE(fs::exists(mTemp / "xdg-open.txt"));
}

// The session bus is set up once per process, so one case covers it: the address names no bus,
// as on a machine without a desktop, and the folder opens instead.
TEST_F(LinuxShellTest, PropertiesWithoutAFileManagerOpenTheFolder) {
    ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (mTemp / "no-bus")).c_str());
    fs::create_directories(mDrive + "/ゲーム集/Hero");
    writeHostFile(mDrive + "/ゲーム集/Hero/RPG_RT.EXE", "MZ");

    mShell.showProperties(sj("C:\\ゲーム集\\Hero\\"));
    std::optional<Record> open = waitFor("xdg-open.txt");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->args, std::vector<std::string>{mDrive + "/ゲーム集/Hero/"});

    // The properties of a program open its folder; the program is not started.
    mShell.showProperties(sj("C:\\ゲーム集\\Hero\\RPG_RT.EXE"));
    open = waitFor("xdg-open.txt");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->args, std::vector<std::string>{mDrive + "/ゲーム集/Hero/"});
    EXPECT_FALSE(fs::exists(mTemp / "wine.txt"));
}

} // namespace

// The first bytes of a Windows program built for `machine` (0x14C i386, 0x8664 x86-64).
std::string peHead(unsigned machine) {
    std::string head(0x48, '\0');
    head[0] = 'M';
    head[1] = 'Z';
    head[0x3C] = 0x40;
    head.replace(0x40, 4, std::string("PE\0\0", 4));
    head[0x44] = static_cast<char>(machine & 0xFF);
    head[0x45] = static_cast<char>(machine >> 8);
    return head;
}

TEST_F(LinuxShellTest, ReadinessNamesWhatA32BitProgramLacks) {
    writeHostFile(mDrive + "/G/RPG_RT.EXE", peHead(0x14C));
    writeHostFile(mDrive + "/G/x64.exe", peHead(0x8664));
    fs::create_directories(mDrive + "/Folder");
    const auto hindrance = [this](const char* file) { return mShell.readiness(file, 0).hindrance; };

    // Debian's launcher script beside only the 64-bit loader: Wine without its 32-bit half.
    writeHostFile(mTemp / "lib/wine/wine64",
                  "\x7f"
                  "ELF\x02",
                  true);
    EXPECT_EQ(hindrance("C:\\G\\RPG_RT.EXE"), Shell::Hindrance::no32BitWine);
    EXPECT_EQ(hindrance("C:\\G\\x64.exe"), Shell::Hindrance::none);
    EXPECT_FALSE(mShell.readiness("C:\\Folder\\", 0).throughWine);
    writeHostFile(mTemp / "lib/wine/wine",
                  "\x7f"
                  "ELF\x01",
                  true);
    EXPECT_EQ(hindrance("C:\\G\\RPG_RT.EXE"), Shell::Hindrance::none);
    EXPECT_TRUE(mShell.readiness("C:\\G\\RPG_RT.EXE", 0).throughWine);

    // A prefix made while only 64-bit Wine was there, until wineboot -u fills in its 32-bit half.
    const std::string prefix = mTemp / "prefix";
    ScopedEnv env("WINEPREFIX", prefix.c_str());
    writeHostFile(prefix + "/system.reg",
                  "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n");
    EXPECT_EQ(hindrance("C:\\G\\RPG_RT.EXE"), Shell::Hindrance::prefixLacks32Bit);
    EXPECT_EQ(mShell.readiness("C:\\G\\RPG_RT.EXE", 0).prefix, prefix);
    EXPECT_EQ(hindrance("C:\\G\\x64.exe"), Shell::Hindrance::none);
    writeHostFile(prefix + "/drive_c/windows/syswow64/kernel32.dll", peHead(0x14C));
    EXPECT_EQ(hindrance("C:\\G\\RPG_RT.EXE"), Shell::Hindrance::none);

    // No Wine at all.
    ScopedEnv path("PATH", (mTemp / "nothing").c_str());
    EXPECT_EQ(hindrance("C:\\G\\x64.exe"), Shell::Hindrance::noWine);
    EXPECT_EQ(hindrance("C:\\Folder\\"), Shell::Hindrance::none);
}

// A game in a code page of its own: the locale that gives Wine that code page, and a folder that
// code page cannot spell reached through a link of ours that it can. How it ended, and what it
// said, is heard without waiting, by a watcher that holds none of our descriptors.
TEST_F(LinuxShellTest, AGameRunsInItsCodePageAndItsFailureIsHeard) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const std::string out = mTemp / "wine.txt";
    const std::string release = mTemp / "release";
    writeHostFile(mTemp / "bin/wine",
                  "#!/bin/sh\n"
                  "PATH=/usr/bin:/bin\n"
                  "printf 'LC_ALL=%s\\nPWD=%s\\narg=%s\\n' \"$LC_ALL\" \"$PWD\" \"$1\" > '" +
                      out + ".part' && mv '" + out + ".part' '" + out +
                      "'\n"
                      "echo '0024:fixme:ddraw:x noise' >&2\n"
                      "printf 'wine: Bad EXE \\033[1mformat\\n' >&2\n"
                      "for i in $(seq 60); do [ -e '" +
                      release +
                      "' ] && break; sleep 0.05; done\n"
                      "touch '" +
                      release +
                      ".seen'\n"
                      "exit 7\n",
                  true);
    const std::string game = mDrive + "/海賊";
    writeHostFile(game + "/RPG_RT.exe", "MZ");
    const std::string prefix = mTemp / "prefix";
    fs::create_directories(prefix + "/drive_c");
    ScopedEnv wineprefix("WINEPREFIX", prefix.c_str());
    int ours[2];
    ASSERT_EQ(::pipe(ours), 0);

    std::optional<Shell::Outcome> told;
    Shell::StartOptions options;
    options.codePage = 1252;
    options.ended = [&](const Shell::Outcome& o) { told = o; };
    const std::string folder = sj("C:\\海賊\\");
    EXPECT_GT(mShell.execute(folder + "RPG_RT.EXE", "", folder, options), 32);
    // The start returned while the program runs, and nothing of ours stays open in it.
    EXPECT_FALSE(fs::exists(release + ".seen"));
    EXPECT_FALSE(told);
    ::close(ours[1]);
    pollfd ourRead{ours[0], POLLIN, 0};
    EXPECT_EQ(::poll(&ourRead, 1, 0), 1) << "a descriptor of ours outlives the start";
    ::close(ours[0]);
    writeHostFile(release, "");

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!told && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_TRUE(told);
    EXPECT_FALSE(told->ran);
    EXPECT_EQ(told->exitStatus, 7);
    EXPECT_EQ(told->said, "wine: Bad EXE [1mformat");

    std::map<std::string, std::string> seen;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);)
        seen[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    EXPECT_EQ(seen["LC_ALL"], "de_DE.UTF-8");
    const std::string link = seen["PWD"];
    EXPECT_TRUE(link.starts_with(prefix + "/drive_c/Tavrin/")) << link;
    EXPECT_EQ(fs::read_symlink(link), game);
    EXPECT_EQ(seen["arg"], link + "/RPG_RT.exe");
    EXPECT_TRUE(noChildren());
}

// A game outlives the watch that tells whether it ran, and is still heard when it ends; one that
// ends within the watch is told at once, and one that failed is no play at all.
TEST(ProgramWatchTest, AProgramIsHeardUntilItEnds) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    struct Case {
        int status; // written by the watcher, or -1: none yet when the watch ends
        bool ran, finished;
    };
    for (const Case& c : {Case{-1, true, true}, Case{0, true, true}, Case{7 << 8, false, false}}) {
        int status[2];
        ASSERT_EQ(::pipe(status), 0);
        std::optional<Shell::Outcome> told;
        bool finished = false;
        const auto until = [&](const std::function<bool()>& done) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!done() && std::chrono::steady_clock::now() < deadline)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        };
        if (c.status >= 0) {
            ASSERT_EQ(::write(status[1], &c.status, sizeof c.status), ssize_t(sizeof c.status));
        }
        new ProgramWatch(
            status[0], -1, 100, [&](const Shell::Outcome& o) { told = o; }, nullptr,
            [&] { finished = true; });
        until([&] { return told.has_value(); });
        ASSERT_TRUE(told) << c.status;
        EXPECT_EQ(told->ran, c.ran) << c.status;
        if (c.status < 0) {
            EXPECT_FALSE(finished);
            const int ended = 0;
            ASSERT_EQ(::write(status[1], &ended, sizeof ended), ssize_t(sizeof ended));
        }
        if (c.finished) {
            until([&] { return finished; });
        }
        EXPECT_EQ(finished, c.finished) << c.status;
        ::close(status[1]);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
