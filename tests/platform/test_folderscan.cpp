#include "platform/Cp932.h"
#include "platform/linux/LinuxFileSystem.h"
#include "search/FolderScan.h"
#include "support/HostScratch.h"
#include "support/ScanRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrin;
namespace fsys = std::filesystem;

namespace {

using test::kBothMarkers;
using test::ScanRecorder;

class FolderScanTest : public ::testing::Test {
protected:
    test::TempFolder mTemp{"tavrin-scan"};
    LinuxFileSystem fs{DriveTable::rootOnly()};
    const std::string root = mTemp.path(); // host, no trailing "/"
    const std::string win = windows(root); // Windows, trailing "\"

    static std::string windows(std::string host) {
        std::replace(host.begin(), host.end(), '/', '\\');
        return "Z:" + host + "\\";
    }
    void touch(const std::string& rel) { test::writeHostFile(root + "/" + rel, ""); }
    void mkdir(const std::string& rel) { fsys::create_directories(root + "/" + rel); }
    std::vector<std::string> walk(const std::string& start,
                                  const std::vector<std::string>& markers = kBothMarkers,
                                  FileSystem* through = nullptr) {
        FileSystem& walked = through ? *through : fs;
        ScanRecorder host(walked);
        walkFolders(walked, start, markers, host);
        return host.events;
    }
};

// Refuses to enter or to list the folders it names, as the host does without root's rights.
class RefusingFileSystem : public LinuxFileSystem {
public:
    std::set<std::string> noEnter, noList;
    RefusingFileSystem() : LinuxFileSystem(DriveTable::rootOnly()) {}
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override {
        return noEnter.count(path) ? std::nullopt : LinuxFileSystem::folderIdentity(path);
    }
    std::vector<Entry> listFolder(const std::string& path) override {
        return noList.count(path) ? std::vector<Entry>{} : LinuxFileSystem::listFolder(path);
    }
    std::optional<std::vector<Entry>> tryListFolder(const std::string& path) override {
        if (noList.count(path)) {
            return std::nullopt;
        }
        return LinuxFileSystem::tryListFolder(path);
    }
    // Through the two calls above, so their refusals count.
    std::optional<EnteredFolder> enterFolder(const std::string& path,
                                             const WantedFolder& wanted) override {
        return FileSystem::enterFolder(path, wanted);
    }
};

} // namespace

TEST_F(FolderScanTest, ListingTellsLinksAndWhereTheyLead) {
    mkdir("dir");
    touch("file");
    fsys::create_directory_symlink(root + "/dir", root + "/toDir");
    fsys::create_symlink(root + "/file", root + "/toFile");
    fsys::create_symlink(root + "/none", root + "/dangling");
    struct stat dir {};
    ASSERT_EQ(::stat((root + "/dir").c_str(), &dir), 0);
    std::map<std::string, FileSystem::Entry> byName;
    for (const auto& e : fs.listFolder(win))
        byName[e.name] = e;
    ASSERT_EQ(byName.size(), 5u);
    const auto is = [&](const char* name, bool folder, bool link, bool identity) {
        const FileSystem::Entry& e = byName[name];
        EXPECT_EQ(e.isFolder, folder) << name;
        EXPECT_EQ(e.isLink, link) << name;
        if (identity) {
            EXPECT_EQ(e.device, dir.st_dev) << name;
            EXPECT_EQ(e.inode, dir.st_ino) << name;
        } else {
            EXPECT_EQ(e.inode, 0u) << name;
        }
    };
    is("dir", true, false, true);
    is("toDir", true, true, true);
    is("file", false, false, false);
    is("toFile", false, true, false);
    is("dangling", false, true, false);

    const auto id = fs.folderIdentity(win + "TODIR\\");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->inode, dir.st_ino);
    EXPECT_FALSE(fs.folderIdentity(win + "file"));
    EXPECT_FALSE(fs.folderIdentity(win + "none"));
}

TEST_F(FolderScanTest, MarkersWithoutRegardToCaseAndNeverAFolder) {
    touch("A/rpg_rt.lmt");
    touch("A/Game.exe");
    touch("A/Hero.rpg");
    mkdir("A/RPG_RT.lmt/GAME.EXE");
    EXPECT_EQ(walk(win), (std::vector<std::string>{
                             "show " + win + "A\\",
                             "show " + win + "A\\RPG_RT.lmt\\",
                             "show " + win + "A\\RPG_RT.lmt\\GAME.EXE\\",
                             "add " + win + "A\\ RPG_RT.lmt",
                             "add " + win + "A\\ GAME.EXE",
                         }));
    const auto item = recognizeProject(fs, win + "A\\", "GAME.EXE", nullptr);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->title, "Hero");
}

TEST_F(FolderScanTest, StartFolderRelativeToTheWorkingFolder) {
    touch("P/Q/RPG_RT.lmt");
    touch("P/RPG_RT.lmt");
    const std::string parent = fsys::path(root).parent_path();
    const std::string name = fsys::path(root).filename();
    char old[PATH_MAX];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(parent.c_str()), 0);
    const std::vector<std::string> relative = walk(name + "/P/./Q/..");
    const std::vector<std::string> file = walk(name + "/P/RPG_RT.lmt");
    ASSERT_EQ(::chdir(old), 0);
    EXPECT_EQ(relative, (std::vector<std::string>{"show " + win + "P\\Q\\",
                                                  "add " + win + "P\\Q\\ RPG_RT.lmt",
                                                  "add " + win + "P\\ RPG_RT.lmt"}));
    EXPECT_TRUE(file.empty());
    EXPECT_TRUE(walk(win + "missing").empty());
    EXPECT_TRUE(walk("").empty());
}

TEST_F(FolderScanTest, LinksFollowedButNeverBackUpThePath) {
    touch("a/RPG_RT.lmt");
    fsys::create_directory_symlink(root + "/a", root + "/a/loop");
    fsys::create_directory_symlink(root, root + "/a/up");
    fsys::create_directory_symlink("/", root + "/a/slash");
    fsys::create_directory_symlink("..", root + "/a/dotdot");
    // A cycle of two links.
    fsys::create_directory_symlink(root + "/c2", root + "/c1");
    fsys::create_directory_symlink(root + "/c1", root + "/c2");
    // A link to a folder off the path is walked like that folder.
    mkdir("b");
    fsys::create_directory_symlink(root + "/a", root + "/b/toA");
    std::vector<std::string> expected = {
        "show " + win + "a\\",      "add " + win + "a\\ RPG_RT.lmt",      "show " + win + "b\\",
        "show " + win + "b\\toA\\", "add " + win + "b\\toA\\ RPG_RT.lmt",
    };
    ScanRecorder host(fs);
    walkFolders(fs, win, kBothMarkers, host);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(host.sorted(), expected);

    // Started through a link, the folders above the start folder still count.
    const std::vector<std::string> viaLink = walk(win + "b\\toA\\");
    EXPECT_EQ(viaLink, std::vector<std::string>{"add " + win + "b\\toA\\ RPG_RT.lmt"});
}

TEST_F(FolderScanTest, RefusedFoldersArePassedOver) {
    touch("S/Locked/RPG_RT.lmt");
    touch("S/Locked/In/RPG_RT.lmt");
    touch("S/Blind/RPG_RT.lmt");
    touch("S/Blind/In/RPG_RT.lmt");
    const std::string s = win + "S\\";
    const std::vector<std::string> blindOnly = {"show " + s + "Blind\\",
                                                "add " + s + "Blind\\ RPG_RT.lmt"};
    RefusingFileSystem refusing;
    refusing.noEnter = {s + "Locked\\"};
    refusing.noList = {s + "Blind\\"};
    EXPECT_EQ(walk(s, kBothMarkers, &refusing), blindOnly);

    // The host's own permissions, for owner and others alike. Root passes them, so as root
    // everything is walked, and the refusals are tried again as a user without rights.
    ASSERT_EQ(::chmod((root + "/S/Locked").c_str(), 0644), 0);
    ASSERT_EQ(::chmod((root + "/S/Blind").c_str(), 0311), 0);
    ScanRecorder host(fs);
    walkFolders(fs, s, kBothMarkers, host);
    if (::geteuid() != 0) {
        EXPECT_EQ(host.events, blindOnly);
        return;
    }
    EXPECT_EQ(host.events.size(), 8u);
    ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ScanRecorder nobody(fs);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        walkFolders(fs, s, kBothMarkers, nobody);
        ::_exit(nobody.events == blindOnly ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: no user without rights; 1: walked otherwise";
}

TEST_F(FolderScanTest, NamesOfAnyBytesNeverLeadOutOfTheTree) {
    // Every byte a host name may hold, alone and as CP932 lead and trail bytes.
    std::vector<std::string> names;
    for (int b = 1; b < 256; ++b) {
        if (b == '/' || b == '.')
            continue;
        names.emplace_back(1, static_cast<char>(b));
        names.push_back(std::string("\x83") + static_cast<char>(b));
    }
    names.push_back("..\\..");
    names.push_back("x\\..\\..\\..");
    names.push_back("...");
    names.push_back("a\\b");
    mkdir("t/a/b");
    for (const std::string& n : names) {
        mkdir("t/" + n);
        touch("t/" + n + "/RPG_RT.lmt");
    }
    touch("t/plain/RPG_RT.lmt");
    ScanRecorder host(fs);
    walkFolders(fs, win + "t\\", {"RPG_RT.lmt"}, host);
    EXPECT_NE(
        std::find(host.events.begin(), host.events.end(), "add " + win + "t\\plain\\ RPG_RT.lmt"),
        host.events.end());
    // Every folder reported is one of the tree's, and its markers were found where they are.
    const std::string realRoot = fsys::canonical(root + "/t");
    std::size_t shows = 0;
    for (const std::string& e : host.events) {
        const bool show = e.rfind("show ", 0) == 0;
        const std::string path = show ? e.substr(5) : e.substr(4, e.rfind(' ') - 4);
        const std::string hostPath = fs.toHostPath(path);
        std::error_code ec;
        const std::string real = fsys::canonical(hostPath, ec);
        EXPECT_FALSE(ec) << e;
        EXPECT_EQ(real.rfind(realRoot + "/", 0), 0u) << e << " -> " << real;
        shows += show;
    }
    EXPECT_GE(shows, 200u);
    // A name that leads elsewhere (a lost byte, a "\\") is not walked as the folder it leads to.
    std::set<std::string> once(host.events.begin(), host.events.end());
    EXPECT_EQ(once.size(), host.events.size());
}

TEST_F(FolderScanTest, TwoHundredLevelsDeep) {
    std::string rel = "deep";
    for (int i = 0; i < 200; ++i)
        rel += "/level" + std::to_string(i);
    touch(rel + "/RPG_RT.lmt");
    touch("deep/RPG_RT.lmt");
    const std::vector<std::string> events = walk(win + "deep");
    ASSERT_EQ(events.size(), 202u);
    std::string bottom = win + "deep\\";
    for (int i = 0; i < 200; ++i)
        bottom += "level" + std::to_string(i) + "\\";
    EXPECT_EQ(events[199], "show " + bottom);
    EXPECT_EQ(events[200], "add " + bottom + " RPG_RT.lmt");
    EXPECT_EQ(events[201], "add " + win + "deep\\ RPG_RT.lmt");
}

TEST_F(FolderScanTest, FiftyThousandEntriesInOneFolder) {
    mkdir("big/sub");
    for (int i = 0; i < 50000; ++i)
        touch("big/f" + std::to_string(i) + ".txt");
    touch("big/GAME.EXE");
    touch("big/zzz.RPG");
    const std::vector<std::string> events = walk(win + "big");
    EXPECT_EQ(events, (std::vector<std::string>{"show " + win + "big\\sub\\",
                                                "add " + win + "big\\ GAME.EXE"}));
    const auto item = recognizeProject(fs, win + "big\\", "GAME.EXE", nullptr);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->title, "zzz");
}
