#include "app/core/ProgramFolder.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

TEST(ProgramFolderTest, UserFolderFollowsXdgRules) {
    struct Case {
        const char* xdg;
        const char* home;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"/cfg", "/home/me", "/cfg/Tavrin"},
        {"/cfg/", "/home/me", "/cfg/Tavrin"},
        {"/", "/home/me", "/Tavrin"},
        {nullptr, "/home/me", "/home/me/.config/Tavrin"},
        {"", "/home/me/", "/home/me/.config/Tavrin"},
        // A relative path in an XDG variable is invalid and ignored.
        {"cfg", "/home/me", "/home/me/.config/Tavrin"},
        {"./cfg", "/home/me", "/home/me/.config/Tavrin"},
        {"/cfg", nullptr, "/cfg/Tavrin"},
        {nullptr, nullptr, std::nullopt},
        {"cfg", "", std::nullopt},
        {"", "home/me", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " | " +
                     (c.home ? c.home : "(unset)"));
        EXPECT_EQ(programfolder::userFolder(c.xdg, c.home), c.expected);
    }
}

// A scratch folder with the program's environment variables restored afterwards.
class ProgramFolderHostTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(exe); }

    static mode_t modeOf(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    std::string path(const std::string& name) const { return mRoot / name; }
    void readOnly(const std::string& folder) const { ::chmod(folder.c_str(), 0555); }

private:
    test::TempFolder mRoot{"tavrin-folder"};
    test::ScopedEnv mHome{"HOME", mRoot / "home"};
    test::ScopedEnv mConfig{"XDG_CONFIG_HOME", mRoot / "config"};

protected:
    std::string exe = mRoot / "bin";
};

TEST_F(ProgramFolderHostTest, WritableOnlyForAFolderThisUserMayWriteTo) {
    EXPECT_TRUE(programfolder::writable(exe));
    EXPECT_TRUE(programfolder::writable(exe + "/"));
    // Read-only by its mode, root included.
    readOnly(exe);
    EXPECT_FALSE(programfolder::writable(exe));
    EXPECT_FALSE(programfolder::writable(path("missing")));
    std::ofstream(path("file")) << "x";
    EXPECT_FALSE(programfolder::writable(path("file")));
}

TEST_F(ProgramFolderHostTest, WritableExecutableFolderKeepsTheFiles) {
    EXPECT_EQ(programfolder::prepare(exe), exe);
    EXPECT_FALSE(fs::exists(path("config")));
}

TEST_F(ProgramFolderHostTest, ReadOnlyExecutableFolderUsesANewUserFolderOfMode0700) {
    ::setenv("XDG_CONFIG_HOME", path("deep/config").c_str(), 1);
    readOnly(exe);
    EXPECT_EQ(programfolder::prepare(exe), path("deep/config/Tavrin"));
    EXPECT_EQ(modeOf(path("deep/config/Tavrin")), 0700u);
    EXPECT_EQ(modeOf(path("deep/config")), 0700u);
    EXPECT_FALSE(fs::exists(exe + "/Tavrin"));
}

TEST_F(ProgramFolderHostTest, InstalledCopyUsesTheUserFolderEvenWhenItsFolderIsWritable) {
    fs::create_directories(path("share/tavrin/help"));
    EXPECT_TRUE(programfolder::writable(exe));
    EXPECT_EQ(programfolder::prepare(exe), path("config/Tavrin"));
    EXPECT_EQ(programfolder::prepare(exe + "/"), path("config/Tavrin"));
    // Another program's shared files do not make a copy installed.
    fs::rename(path("share/tavrin"), path("share/other"));
    EXPECT_EQ(programfolder::prepare(exe), exe);
}

TEST_F(ProgramFolderHostTest, ExistingUserFolderIsUsedAsItIs) {
    fs::create_directories(path("config/Tavrin"));
    ::chmod(path("config/Tavrin").c_str(), 0750);
    std::ofstream(path("config/Tavrin/data.ixo")) << "kept";
    readOnly(exe);
    EXPECT_EQ(programfolder::prepare(exe), path("config/Tavrin"));
    EXPECT_EQ(modeOf(path("config/Tavrin")), 0750u);
    std::ifstream in(path("config/Tavrin/data.ixo"));
    std::string text;
    in >> text;
    EXPECT_EQ(text, "kept");
}

TEST_F(ProgramFolderHostTest, RelativeXdgConfigHomeFallsBackToHome) {
    // Taken as relative, it would land in the scratch folder.
    const fs::path before = fs::current_path();
    fs::current_path(path(""));
    ::setenv("XDG_CONFIG_HOME", "config", 1);
    readOnly(exe);
    const std::string folder = programfolder::prepare(exe);
    fs::current_path(before);
    EXPECT_EQ(folder, path("home/.config/Tavrin"));
    EXPECT_TRUE(fs::is_directory(path("home/.config/Tavrin")));
    EXPECT_FALSE(fs::exists(path("config")));
}

// Each failure names the folder, and nothing is made beside the executable.
TEST_F(ProgramFolderHostTest, FolderThatCannotBeMadeOrWrittenIsReported) {
    readOnly(exe);
    std::ofstream(path("file")) << "x";
    fs::create_directories(path("taken"));
    std::ofstream(path("taken/Tavrin")) << "x";
    // Under a file, and a file where the folder should be.
    for (const char* xdg : {"file/config", "taken"}) {
        ::setenv("XDG_CONFIG_HOME", path(xdg).c_str(), 1);
        EXPECT_EQ(test::errorOf([&] { programfolder::prepare(exe); }),
                  sj("データを置くフォルダ ") + path(xdg) + "/Tavrin" + sj(" を作成できません"))
            << xdg;
    }

    ::setenv("XDG_CONFIG_HOME", path("config").c_str(), 1);
    fs::create_directories(path("config/Tavrin"));
    readOnly(path("config/Tavrin"));
    EXPECT_EQ(test::errorOf([&] { programfolder::prepare(exe); }),
              sj("データを置くフォルダ ") + path("config/Tavrin") + sj(" に書き込めません"));
    EXPECT_TRUE(fs::is_empty(exe));
}

} // namespace
