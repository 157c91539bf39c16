// The two calls a walk makes for every folder, by names the host writes otherwise too: a path
// that does not exist as written is still found by the name-by-name look-up, and one that
// exists as written is never taken for another entry.
#include "platform/Cp932.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/HostScratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

class WalkLookupTest : public ::testing::Test {
protected:
    void makeFile(const std::string& relative, bool executable = false) {
        test::writeHostFile(mRoot / relative, "x", executable);
    }

    // The identity of a host folder as the host tells it.
    FileSystem::FolderIdentity hostIdentity(const std::string& relative) const {
        struct stat st {};
        EXPECT_EQ(::stat((mRoot / relative).c_str(), &st), 0) << relative;
        return {st.st_dev, st.st_ino};
    }

    std::vector<std::string> names(const std::vector<FileSystem::Entry>& entries) const {
        std::vector<std::string> out;
        for (const FileSystem::Entry& e : entries)
            out.push_back(e.name);
        std::sort(out.begin(), out.end());
        return out;
    }

    test::TempFolder mRoot;
    LinuxFileSystem mFs{DriveTable({{'C', mRoot.path()}})};
};

TEST_F(WalkLookupTest, FoldersByAnyNameWindowsGivesThem) {
    makeFile("Games/Hero/RPG_RT.EXE");
    makeFile("\x95\x5C/x.RPG"); // a raw CP932 name, not UTF-8
    fs::create_directory_symlink(mRoot / "Games/Hero", mRoot / "Games/Link");

    const struct {
        std::string windows;
        std::string host;
        std::vector<std::string> listing;
    } rows[] = {
        {"C:\\Games\\Hero\\", "Games/Hero", {"RPG_RT.EXE"}},
        {"c:\\GAMES\\hero\\", "Games/Hero", {"RPG_RT.EXE"}},
        {"C:/Games/Hero", "Games/Hero", {"RPG_RT.EXE"}},
        {"C:\\Games\\Link\\", "Games/Hero", {"RPG_RT.EXE"}},
        {"C:\\Games\\..\\Games\\.\\Hero\\", "Games/Hero", {"RPG_RT.EXE"}},
        {sj("C:\\表\\"), "\x95\x5C", {"x.RPG"}},
        {"C:\\", "", {"Games", "\x95\x5C"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.windows);
        const auto id = mFs.folderIdentity(row.windows);
        ASSERT_TRUE(id.has_value());
        EXPECT_EQ(*id, hostIdentity(row.host));
        const auto listing = mFs.tryListFolder(row.windows);
        ASSERT_TRUE(listing.has_value());
        EXPECT_EQ(names(*listing), row.listing);
    }
}

TEST_F(WalkLookupTest, NoFolderWhereTheNameLeadsElsewhere) {
    // Searchable as a folder would be, yet a file.
    makeFile("Games/Hero/RPG_RT.EXE", true);
    // "a" is a file: the folder "A" beside it is not what "C:\a\" names.
    makeFile("a");
    makeFile("A/inside");
    fs::create_directory_symlink(mRoot / "Games/Gone", mRoot / "Games/Dangling");

    for (const std::string windows :
         {"C:\\a\\", "C:\\a", "C:\\Games\\Hero\\RPG_RT.EXE", "C:\\Games\\Hero\\RPG_RT.EXE\\",
          "C:\\Games\\Hero\\rpg_rt.exe", "C:\\Games\\Dangling\\", "C:\\Games\\None\\",
          "Q:\\Games\\", "Games\\"}) {
        SCOPED_TRACE(windows);
        EXPECT_FALSE(mFs.folderIdentity(windows).has_value());
        EXPECT_FALSE(mFs.tryListFolder(windows).has_value());
    }
}

} // namespace
