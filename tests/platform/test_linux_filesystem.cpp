#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/linux/FlockInstanceMarker.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/WineRegistry.h"
#include "search/FolderScan.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"
#include "support/ScanRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// Stand-ins for the C library's calls, so the tests can play a file system that renames only by
// replacing, and one without hard links. Off, they make the system call itself.
namespace {
bool gNoReplaceUnsupported = false;
bool gLinksUnsupported = false;
} // namespace

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned int flags) noexcept {
    if (gNoReplaceUnsupported && flags != 0) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, fromDir, from, toDir, to, flags));
}

extern "C" int link(const char* from, const char* to) noexcept {
    if (gLinksUnsupported) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_linkat, AT_FDCWD, from, AT_FDCWD, to, 0));
}

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

using test::readHostFile;
using test::ScopedEnv;
using test::TempFolder;
using test::writeHostFile;

class LinuxFileSystemTest : public ::testing::Test {
protected:
    TempFolder mTemp;
    LinuxFileSystem mFs{DriveTable({{'C', mTemp.path()}})};
};

TEST_F(LinuxFileSystemTest, HostPathsResolveWindowsNames) {
    writeHostFile(mTemp / "Games/Hero/RPG_RT.EXE", "x");
    writeHostFile(mTemp / "a.txt", "lower");
    writeHostFile(mTemp / "A.txt", "upper");
    writeHostFile(mTemp / "表/ソ.txt", "x");
    writeHostFile(mTemp / "\x95\x5C.ini", "x"); // raw CP932 name, not UTF-8
    writeHostFile(mTemp / "\xB1.TXT", "x");     // raw half-width kana
    writeHostFile(mTemp / "\xB1.txt", "x");

    const std::string root = mTemp.path();
    const struct {
        std::string windows;
        std::string host;
    } rows[] = {
        {"C:\\Games\\Hero\\RPG_RT.EXE", root + "/Games/Hero/RPG_RT.EXE"},
        {"c:\\games\\HERO\\rpg_rt.exe", root + "/Games/Hero/RPG_RT.EXE"},
        {"C:/Games/Hero/", root + "/Games/Hero/"},
        {"C:\\a.txt", root + "/a.txt"},
        {"C:\\A.txt", root + "/A.txt"},
        {sj("C:\\表\\ソ.txt"), root + "/表/ソ.txt"},
        {sj("C:\\表.INI"), root + "/\x95\x5C.ini"},
        {sj("C:\\ｱ.txt"), root + "/\xB1.txt"},
        {sj("C:\\ｱ.TXT"), root + "/\xB1.TXT"},
        {sj("C:\\games\\新規\\Sub"), root + "/Games/新規/Sub"},
        {"C:\\Games\\..\\..\\a.txt", root + "/Games/../a.txt"},
        {"C:\\", root},
        {"Q:\\x", ""},
        {"Games", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.windows);
        EXPECT_EQ(mFs.toHostPath(row.windows), row.host);
    }
    EXPECT_EQ(mFs.toWindowsPath(root + "/Games/表"), sj("C:\\Games\\表"));
}

TEST_F(LinuxFileSystemTest, ExistenceAndReading) {
    const std::string binary("a\0\r\n\xFF", 5);
    writeHostFile(mTemp / "Data/\x95\x5C.bin", binary);
    EXPECT_TRUE(mFs.fileExists(sj("C:\\data\\表.bin")));
    EXPECT_TRUE(mFs.folderExists("C:\\DATA"));
    EXPECT_FALSE(mFs.fileExists("C:\\DATA"));
    EXPECT_FALSE(mFs.fileExists(sj("C:\\data\\表.bin\\")));
    EXPECT_EQ(mFs.readFile(sj("C:\\Data\\表.BIN")), binary);
    EXPECT_THROW(mFs.readFile("C:\\Data"), AppError);

    // Held, the file is mapped, refused as a read refuses it, and tells when it changed.
    const auto held = mFs.holdFile(sj("C:\\Data\\表.BIN"), kReadFileLimit);
    ASSERT_TRUE(held);
    EXPECT_TRUE(held->mapped);
    EXPECT_EQ(held->bytes, binary);
    EXPECT_TRUE(held->unchanged());
    writeHostFile(mTemp / "Data/\x95\x5C.bin", binary + "more");
    EXPECT_FALSE(held->unchanged());
    EXPECT_THROW(mFs.holdFile("C:\\Data", kReadFileLimit), AppError);
    EXPECT_THROW(mFs.holdFile(sj("C:\\Data\\表.BIN"), 5), AppError);
    EXPECT_FALSE(mFs.holdFile("C:\\none.bin", kReadFileLimit));
    writeHostFile(mTemp / "empty.bin", "");
    EXPECT_EQ(mFs.holdFile("C:\\empty.bin", kReadFileLimit)->bytes, "");
}

// Reads on a thread of its own. A read still waiting on the FIFO after two seconds fails the
// test, and is freed by a writer that opens and closes the FIFO's other end.
template <typename Read> auto readWithoutWaiting(const std::string& fifo, Read read) {
    auto reading = std::async(std::launch::async, read);
    if (reading.wait_for(std::chrono::seconds(2)) == std::future_status::timeout) {
        ADD_FAILURE() << "the read waits on " << fifo;
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }
    return reading.get();
}

// Only a file that is not there reads as nothing, so that the program starts afresh; anything
// else that cannot be read as a file is refused by name, so that it is kept, and nothing waits
// or fills memory on the way.
TEST_F(LinuxFileSystemTest, ReadingTellsMissingFromRefused) {
    writeHostFile(mTemp / "file.bin", "x");
    fs::create_symlink("none.ixo", mTemp / "dangling.ixo");
    for (const char* missing : {"C:\\none.ixo", "C:\\file.bin\\x", "C:\\dangling.ixo", "Q:\\x"}) {
        SCOPED_TRACE(missing);
        EXPECT_EQ(mFs.readFile(missing), std::nullopt);
    }

    ASSERT_EQ(::mkfifo((mTemp / "表.ixo").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", mTemp / "null.ixo");
    fs::create_symlink("/dev/zero", mTemp / "zero.ixo");
    fs::create_symlink("loop.ixo", mTemp / "loop.ixo");
    fs::create_directory(mTemp / "folder.ixo");
    const struct {
        std::string windows, host, why;
    } refused[] = {
        {sj("C:\\表.ixo"), mTemp / "表.ixo", sj("は通常のファイルではありません")},
        {"C:\\null.ixo", mTemp / "null.ixo", sj("は通常のファイルではありません")},
        {"C:\\zero.ixo", mTemp / "zero.ixo", sj("は通常のファイルではありません")},
        {"C:\\folder.ixo", mTemp / "folder.ixo", sj("は通常のファイルではありません")},
        {"C:\\loop.ixo", mTemp / "loop.ixo", sj("を開けません")},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.host);
        try {
            const auto bytes = readWithoutWaiting(
                mTemp / "表.ixo", [&] { return mFs.readFile(row.windows, 1 << 20); });
            ADD_FAILURE() << "read " << (bytes ? bytes->size() : 0) << " bytes";
        } catch (const AppError& e) {
            // The host path, in CP932 as every message.
            EXPECT_NE(std::string(e.what()).find(cp932::fromUtf8(row.host)), std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find(row.why), std::string::npos) << e.what();
        }
    }

    if (::geteuid() != 0) {
        writeHostFile(mTemp / "secret.ixo", "x");
        ::chmod((mTemp / "secret.ixo").c_str(), 0);
        EXPECT_THROW(mFs.readFile("C:\\secret.ixo"), AppError);
    }
}

TEST_F(LinuxFileSystemTest, ReadingRefusesFilesAboveTheLimit) {
    writeHostFile(mTemp / "small.ini", std::string(1000, 'x'));
    EXPECT_EQ(mFs.readFile("C:\\small.ini", 1000)->size(), 1000u);
    EXPECT_EQ(test::errorOf([&] { mFs.readFile("C:\\small.ini", 999); }),
              cp932::fromUtf8(mTemp / "small.ini") + sj(" は大きすぎます（上限 999 バイト）。"));
    // Without a limit named, the largest kind's: a sparse file just past it is refused unread.
    const std::string huge = mTemp / "huge.ixo";
    writeHostFile(huge, "");
    fs::resize_file(huge, kReadFileLimit + 1);
    EXPECT_THROW(mFs.readFile("C:\\huge.ixo"), AppError);
    fs::resize_file(huge, kProfileFileLimit + 1);
    EXPECT_EQ(mFs.readFile("C:\\huge.ixo")->size(), kProfileFileLimit + 1);
    EXPECT_THROW(mFs.readFile("C:\\huge.ixo", kProfileFileLimit), AppError);
}

// A user.reg that is no file reads as absent; nothing waits on it.
TEST(WineRegistryFile, SpecialFileReadsAsAbsent) {
    TempFolder prefix;
    ASSERT_EQ(::mkfifo((prefix / "user.reg").c_str(), 0600), 0);
    WineRegistry registry(prefix.path());
    std::string out;
    const auto read = readWithoutWaiting(
        prefix / "user.reg", [&] { return registry.readString("Software\\Tavrin", "Path", out); });
    EXPECT_EQ(read, Registry::Read::absent);
}

TEST_F(LinuxFileSystemTest, ListFolderShowsHiddenEntriesInCp932) {
    writeHostFile(mTemp / "top/.hidden", "");
    writeHostFile(mTemp / "top/表.txt", "");
    writeHostFile(mTemp / "top/\x83\x5C", "");
    fs::create_directory(mTemp / "top/sub");
    fs::create_directory_symlink(mTemp / "top/sub", mTemp / "top/link");

    auto entries = mFs.listFolder("C:\\top\\");
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<std::pair<std::string, bool>> got;
    for (const auto& e : entries)
        got.emplace_back(e.name, e.isFolder);
    const std::vector<std::pair<std::string, bool>> expected = {{".hidden", false},
                                                                {"link", true},
                                                                {"sub", true},
                                                                {"\x83\x5C", false},
                                                                {sj("表.txt"), false}};
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(mFs.listFolder("C:\\nothing").empty());

    // An empty folder is listed as empty; one that cannot be listed is not listed at all.
    fs::create_directory(mTemp / "empty");
    const auto empty = mFs.tryListFolder("C:\\empty\\");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(mFs.tryListFolder("C:\\nothing\\").has_value());
    EXPECT_FALSE(mFs.tryListFolder("C:\\top\\sub\\..\\.hidden\\").has_value());
}

// A game unpacked with CP932 names is counted by those names; a link back up is not entered.
TEST_F(LinuxFileSystemTest, FolderCountTakesHostNamesAndStaysOutOfLinks) {
    writeHostFile(mTemp / "Games/\x95\x5C/a.bin", std::string(1000, 'a'));
    writeHostFile(mTemp / "Games/\x95\x5C/\x83\x5C/b.bin", std::string(24, 'b'));
    fs::create_directory_symlink(mTemp / "Games", mTemp / "Games/\x95\x5C/up");
    fs::create_symlink(mTemp / "Games/\x95\x5C/a.bin", mTemp / "Games/\x95\x5C/again");
    const auto never = [] { return false; };
    const FileSystem::FolderCount count = mFs.countFolder(sj("C:\\games\\表\\"), never);
    EXPECT_TRUE(count.complete);
    EXPECT_EQ(count.bytes, 1024u);
    EXPECT_EQ(count.files, 2u);
    EXPECT_FALSE(mFs.countFolder(sj("C:\\games\\表"), [] { return true; }).complete);
}

// Each game folder is found by the walk with a path that names it and no other: not a sibling
// whose name CP932 spells alike, nor one named as the escape reads.
TEST_F(LinuxFileSystemTest, FoldersCp932CannotSpellAreFoundAndReadByTheirOwnPaths) {
    const struct {
        std::string host, windows;
    } rows[] = {
        {"Fröhliche Piratenweihnacht", "C:\\Fr<U+00F6>hliche Piratenweihnacht\\"},
        {"Fr?hliche Piratenweihnacht", "C:\\Fr?hliche Piratenweihnacht\\"},
        {"Frohliche Piratenweihnacht", "C:\\Frohliche Piratenweihnacht\\"},
        {"Fr<U+00F6>hliche", "C:\\Fr<U+003C>U+00F6>hliche\\"},
        {"Fr\xF6hliche", "C:\\Fr\xF6hliche\\"}, // Latin-1 from an old archive reads as CP932
        {"Fr\xF6", "C:\\Fr<X+F6>\\"},
        {"a\\b", "C:\\a<U+005C>b\\"},
    };
    for (const auto& row : rows)
        writeHostFile(mTemp / row.host + "/RPG_RT.lmt", row.host);
    test::ScanRecorder found(mFs);
    walkFolders(mFs, "C:\\", {"RPG_RT.lmt"}, found);
    const std::vector<std::string> events = found.sorted();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const std::string& e) { return e.starts_with("add "); }),
              std::ssize(rows));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.host);
        EXPECT_TRUE(
            std::binary_search(events.begin(), events.end(), "add " + row.windows + " RPG_RT.lmt"));
        EXPECT_EQ(mFs.toHostPath(row.windows), mTemp / row.host + "/");
        EXPECT_EQ(mFs.readFile(row.windows + "RPG_RT.lmt"), row.host);
    }
    fs::remove_all(mTemp / "Fröhliche Piratenweihnacht");
    EXPECT_FALSE(mFs.fileExists("C:\\Fr<U+00F6>hliche Piratenweihnacht\\RPG_RT.lmt"));
}

TEST_F(LinuxFileSystemTest, AtomicWriteCreatesAndReplaces) {
    ASSERT_TRUE(mFs.writeFileAtomic(sj("C:\\新規.ini"), "one"));
    EXPECT_EQ(readHostFile(mTemp / "新規.ini"), "one");

    ::chmod((mTemp / "新規.ini").c_str(), 0640);
    ASSERT_TRUE(mFs.writeFileAtomic(sj("C:\\新規.INI"), std::string("two\0", 4)));
    EXPECT_EQ(readHostFile(mTemp / "新規.ini"), std::string("two\0", 4));
    struct stat st {};
    ASSERT_EQ(::stat((mTemp / "新規.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(mTemp.path()), fs::directory_iterator()), 1);
}

TEST_F(LinuxFileSystemTest, FailedWriteKeepsOldFileAndLeavesNoTemporary) {
    writeHostFile(mTemp / "keep.ini", "old");
    fs::create_directory(mTemp / "folder");

    EXPECT_FALSE(mFs.writeFileAtomic("C:\\folder", "x"));
    EXPECT_TRUE(fs::is_directory(mTemp / "folder"));
    EXPECT_FALSE(mFs.writeFileAtomic("C:\\missing\\x.ini", "x"));

    // A file size limit makes the write itself fail part way.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = mFs.writeFileAtomic("C:\\keep.ini", std::string(100, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readHostFile(mTemp / "keep.ini"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(mTemp.path()), fs::directory_iterator()), 2);
}

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A user may keep data.ixo as a link into a synced folder: a write replaces what the link
// names, the link stays, and the temporary goes beside the real file (a rename cannot cross
// file systems).
// Only the plain files of ours named exactly as the atomic write names its temporaries go,
// beside the file a link leads to; the user's and other programs' files of similar names stay.
TEST_F(LinuxFileSystemTest, InterruptedWritesAreRemovedAndNothingElse) {
    const std::vector<std::string> kept = {
        "data.ixo",
        // The user's own and rsync's.
        ".data.ixo.backup", ".data.ixo.v2copy", ".data.ixo.a1B2c3", ".data.ixo.Ab12Cd",
        ".Tavrin.ini.myconf",
        // Near misses of ours.
        ".data.ixo.tavrin-Ab12Cd78", ".data.ixo.tavrin-Ab12Cd7.tmp",
        ".data.ixo.tavrin-Ab12Cd789.tmp", ".data.ixo.tavrin-Ab-2Cd78.tmp",
        ".data.ixo.TAVRIN-Ab12Cd78.tmp", ".data.ixo.tavrin-Ab12Cd78.TMP",
        ".DATA.IXO.tavrin-Ab12Cd78.tmp", "..data.ixo.tavrin-Ab12Cd78.tmp",
        "x.data.ixo.tavrin-Ab12Cd78.tmp", "data.ixo.tavrin-Ab12Cd78.tmp",
        // Another file's.
        ".Tavrin.ini.tavrin-Ab12Cd78.tmp"};
    for (const std::string& name : kept)
        writeHostFile(mTemp / ("sync/" + name), "keep");
    writeHostFile(mTemp / "sync/.data.ixo.tavrin-Ab12Cd78.tmp", "cut short");
    writeHostFile(mTemp / "sync/.data.ixo.tavrin-ZZZZZZZZ.tmp", "cut short");
    fs::create_directories(mTemp / "sync/.data.ixo.tavrin-FOLDER00.tmp");
    fs::create_symlink("data.ixo", mTemp / "sync/.data.ixo.tavrin-LINKED00.tmp");
    std::vector<std::string> expected = kept;
    expected.insert(expected.end(),
                    {".data.ixo.tavrin-FOLDER00.tmp", ".data.ixo.tavrin-LINKED00.tmp"});
    if (::geteuid() == 0) {
        writeHostFile(mTemp / "sync/.data.ixo.tavrin-NOBODY00.tmp", "another user's");
        ASSERT_EQ(::chown((mTemp / "sync/.data.ixo.tavrin-NOBODY00.tmp").c_str(), 65534, 65534), 0);
        expected.push_back(".data.ixo.tavrin-NOBODY00.tmp");
    }
    writeHostFile(mTemp / "app/.data.ixo.tavrin-Ab12Cd78.tmp", "not beside the file written");
    fs::create_symlink("../sync/data.ixo", mTemp / "app/data.ixo");

    mFs.removeInterruptedWrites("C:\\APP\\DATA.IXO");

    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderNames(mTemp / "sync"), expected);
    EXPECT_TRUE(fs::exists(mTemp / "app/.data.ixo.tavrin-Ab12Cd78.tmp"));
    // A file with a long name: its temporaries carry the first 200 bytes of it.
    const std::string longName(230, 'n');
    writeHostFile(mTemp / ("long/." + longName.substr(0, 200) + ".tavrin-Ab12Cd78.tmp"),
                  "cut short");
    writeHostFile(mTemp / ("long/" + longName), "x");
    mFs.removeInterruptedWrites("C:\\long\\" + longName);
    EXPECT_EQ(folderNames(mTemp / "long"), std::vector<std::string>{longName});
}

// Passes the atomic write's calls on, recording each by the path it is made on; an fsync may
// be made to fail.
class RecordedCalls : public LinuxFileSystem::WriteCalls {
public:
    std::vector<std::string> calls;
    bool failFsync = false;

    int open(const char* path, int flags, mode_t mode) override {
        const int fd = WriteCalls::open(path, flags, mode);
        mPaths[fd] = path;
        calls.push_back("open " + mPaths[fd]);
        return fd;
    }
    ssize_t write(int fd, const void* bytes, std::size_t size) override {
        calls.push_back("write " + mPaths[fd]);
        return WriteCalls::write(fd, bytes, size);
    }
    int fsync(int fd) override {
        calls.push_back("fsync " + mPaths[fd]);
        if (failFsync) {
            errno = EIO;
            return -1;
        }
        return WriteCalls::fsync(fd);
    }
    int rename(const char* from, const char* to) override {
        calls.push_back("rename " + std::string(from) + " " + to);
        return WriteCalls::rename(from, to);
    }

private:
    std::map<int, std::string> mPaths;
};

// The new bytes reach the disk before the name does, and the name before the write reports
// success; through a link, in the folder of the file it leads to.
TEST_F(LinuxFileSystemTest, AtomicWriteSyncsDataBeforeTheRenameAndTheFolderAfter) {
    writeHostFile(mTemp / "sync/data.ixo", "old");
    fs::create_directories(mTemp / "app");
    fs::create_symlink("../sync/data.ixo", mTemp / "app/data.ixo");
    RecordedCalls recorded;
    LinuxFileSystem files(DriveTable({{'C', mTemp.path()}}), &recorded);

    ASSERT_TRUE(files.writeFileAtomic("C:\\app\\data.ixo", "new"));
    ASSERT_FALSE(recorded.calls.empty());
    const std::string temp = recorded.calls[0].substr(5);
    const std::string folder = temp.substr(0, temp.rfind('/'));
    EXPECT_TRUE(fs::equivalent(folder, mTemp / "sync")) << folder;
    const std::vector<std::string> expected = {
        "open " + temp,   "write " + temp,
        "fsync " + temp,  "rename " + temp + " " + folder + "/data.ixo",
        "open " + folder, "fsync " + folder};
    EXPECT_EQ(recorded.calls, expected);
    const std::string target = mTemp / "sync/data.ixo";
    EXPECT_EQ(readHostFile(target), "new");

    // What a write killed before its rename leaves is found by the clean-up.
    writeHostFile(temp, "cut short");
    files.removeInterruptedWrites("C:\\app\\data.ixo");
    EXPECT_EQ(folderNames(mTemp / "sync"), std::vector<std::string>{"data.ixo"});

    // Data that may not be on the disk never replaces the old file.
    recorded.failFsync = true;
    EXPECT_FALSE(files.writeFileAtomic("C:\\app\\data.ixo", "unsynced"));
    EXPECT_EQ(readHostFile(target), "new");
    EXPECT_EQ(folderNames(mTemp / "sync"), std::vector<std::string>{"data.ixo"});
}

TEST_F(LinuxFileSystemTest, AtomicWriteThroughALinkKeepsTheLink) {
    writeHostFile(mTemp / "sync/data.ixo", "old");
    ::chmod((mTemp / "sync/data.ixo").c_str(), 0600);
    fs::create_directory(mTemp / "app");
    fs::create_symlink("../sync/data.ixo", mTemp / "app/data.ixo");
    fs::create_symlink(mTemp / "app/data.ixo", mTemp / "app/chain.ixo");
    fs::create_symlink("../sync/new.ixo", mTemp / "app/dangling.ixo");
    fs::create_symlink("loop.ixo", mTemp / "app/loop.ixo");
    fs::create_symlink("../sync", mTemp / "app/folder");

    ASSERT_TRUE(mFs.writeFileAtomic("C:\\app\\DATA.IXO", "new"));
    ASSERT_TRUE(mFs.writeFileAtomic("C:\\app\\dangling.ixo", "made"));
    EXPECT_TRUE(fs::is_symlink(mTemp / "app/data.ixo"));
    EXPECT_EQ(fs::read_symlink(mTemp / "app/data.ixo"), "../sync/data.ixo");
    EXPECT_EQ(readHostFile(mTemp / "sync/data.ixo"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((mTemp / "sync/data.ixo").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(fs::is_symlink(mTemp / "app/dangling.ixo"));
    EXPECT_EQ(readHostFile(mTemp / "sync/new.ixo"), "made");

    ASSERT_TRUE(mFs.writeFileAtomic("C:\\app\\chain.ixo", "chained"));
    EXPECT_TRUE(fs::is_symlink(mTemp / "app/chain.ixo"));
    EXPECT_EQ(readHostFile(mTemp / "sync/data.ixo"), "chained");
    EXPECT_FALSE(mFs.writeFileAtomic("C:\\app\\loop.ixo", "x"));
    EXPECT_FALSE(mFs.writeFileAtomic("C:\\app\\folder", "x"));
    EXPECT_TRUE(fs::is_symlink(mTemp / "app/loop.ixo"));
    EXPECT_TRUE(fs::is_symlink(mTemp / "app/folder"));

    const std::vector<std::string> app = {"chain.ixo", "dangling.ixo", "data.ixo", "folder",
                                          "loop.ixo"};
    EXPECT_EQ(folderNames(mTemp / "app"), app);
    EXPECT_EQ(folderNames(mTemp / "sync"), (std::vector<std::string>{"data.ixo", "new.ixo"}));
}

// Makes the file system rename only by replacing (as the kernel says for RENAME_NOREPLACE on
// some), and optionally have no hard links either.
class OldFileSystem {
public:
    explicit OldFileSystem(bool links) {
        gNoReplaceUnsupported = true;
        gLinksUnsupported = !links;
    }
    ~OldFileSystem() { gNoReplaceUnsupported = gLinksUnsupported = false; }
};

// A .bak must never be overwritten, on any file system.
TEST_F(LinuxFileSystemTest, RenameNeverReplaces) {
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind == 0 ? "renameat2" : kind == 1 ? "hard link" : "exclusive create");
        std::optional<OldFileSystem> old;
        if (kind > 0)
            old.emplace(kind == 1);
        fs::remove_all(mTemp / "f");
        writeHostFile(mTemp / "f/a.ixo", "a");
        writeHostFile(mTemp / "f/b.ixo", "b");
        EXPECT_FALSE(mFs.renameFile("C:\\f\\a.ixo", "C:\\f\\B.IXO"));
        EXPECT_EQ(readHostFile(mTemp / "f/a.ixo"), "a");
        EXPECT_EQ(readHostFile(mTemp / "f/b.ixo"), "b");
        EXPECT_TRUE(mFs.renameFile("C:\\f\\A.ixo", sj("C:\\f\\表.bak")));
        EXPECT_EQ(readHostFile(mTemp / "f/表.bak"), "a");
        EXPECT_FALSE(fs::exists(mTemp / "f/a.ixo"));
        EXPECT_FALSE(mFs.renameFile("C:\\f\\a.ixo", "C:\\f\\c.ixo"));
        EXPECT_EQ(folderNames(mTemp / "f"), (std::vector<std::string>{"b.ixo", "表.bak"}));
    }
}

TEST(WineDrives, ReadFromDosdevicesLinks) {
    TempFolder prefix;
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
    fs::create_directory_symlink("/", prefix / "dosdevices/z:");
    fs::create_directory_symlink("/srv/games/", prefix / "dosdevices/d:");
    fs::create_symlink("/dev/sda1", prefix / "dosdevices/c::");
    fs::create_symlink("/dev/ttyS0", prefix / "dosdevices/com1");
    ScopedEnv env("WINEPREFIX", prefix.path());

    const DriveTable table = LinuxFileSystem::driveTableFromEnvironment();
    std::vector<std::pair<char, std::string>> got;
    for (const auto& d : table.drives())
        got.emplace_back(d.letter, d.hostFolder);
    const std::vector<std::pair<char, std::string>> expected = {
        {'C', prefix / "drive_c"}, {'D', "/srv/games"}, {'Z', "/"}};
    EXPECT_EQ(got, expected);
}

TEST(WineDrives, NoPrefixMeansRootAsZ) {
    TempFolder empty;
    ScopedEnv env("WINEPREFIX", empty / "none");
    const DriveTable table = LinuxFileSystem::driveTableFromEnvironment();
    ASSERT_EQ(table.drives().size(), 1u);
    EXPECT_EQ(table.drives()[0].letter, 'Z');
    EXPECT_EQ(table.drives()[0].hostFolder, "/");
}

TEST(FlockInstanceMarker, SecondMarkerSeesTheFirst) {
    TempFolder folder;
    FlockInstanceMarker first(folder.path());
    FlockInstanceMarker second(folder.path());
    EXPECT_EQ(first.lockPath(), folder.path() + "/.TAVRIN_MUTEX.lock");

    EXPECT_FALSE(second.heldElsewhere());
    EXPECT_TRUE(first.acquire());
    EXPECT_FALSE(first.heldElsewhere());
    EXPECT_TRUE(second.heldElsewhere());
    EXPECT_FALSE(second.acquire()); // takes nothing while the first holds it
    first.release();
    EXPECT_FALSE(second.heldElsewhere());
    EXPECT_FALSE(first.heldElsewhere());
}

// A link planted under the lock's name is neither
// followed to create a file nor locked through.
TEST(FlockInstanceMarker, LinkAtTheLockPathIsNotFollowed) {
    TempFolder folder;
    FlockInstanceMarker marker(folder.path());
    writeHostFile(folder / "victim", "kept");
    for (const std::string& target : {folder / "victim", folder / "created"}) {
        SCOPED_TRACE(target);
        fs::remove(marker.lockPath());
        fs::create_symlink(target, marker.lockPath());
        EXPECT_FALSE(marker.heldElsewhere());
        EXPECT_FALSE(marker.acquire());
        EXPECT_FALSE(fs::exists(folder / "created"));
        EXPECT_EQ(readHostFile(folder / "victim"), "kept");
        const int fd = ::open((folder / "victim").c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << "the link was locked through";
        ::close(fd);
        marker.release();
    }
}

// Where no lock file can be made, nobody is seen holding it, and it cannot be taken either.
TEST(FlockInstanceMarker, NoLockFileNoMarker) {
    TempFolder folder;
    FlockInstanceMarker marker(folder / "gone");
    EXPECT_FALSE(marker.heldElsewhere());
    EXPECT_FALSE(marker.acquire());
}

TEST(FlockInstanceMarker, ExitingProcessReleasesIt) {
    TempFolder folder;
    int toParent[2], toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FlockInstanceMarker marker(folder.path());
        marker.acquire();
        char c = 'r';
        (void)!::write(toParent[1], &c, 1);
        (void)!::read(toChild[0], &c, 1);
        ::_exit(0); // no release: the kernel must drop the lock
    }
    char c = 0;
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    FlockInstanceMarker marker(folder.path());
    EXPECT_TRUE(marker.heldElsewhere());
    (void)!::write(toChild[1], &c, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_FALSE(marker.heldElsewhere());
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        ::close(fd);
}

} // namespace
