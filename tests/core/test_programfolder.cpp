#include "app/ProgramFolder.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tavrin-folder-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        mRoot = tmpl;
        mSaved = {saved("XDG_CONFIG_HOME"), saved("HOME")};
        exe = mRoot + "/bin";
        fs::create_directory(exe);
        ::setenv("HOME", (mRoot + "/home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (mRoot + "/config").c_str(), 1);
    }
    void TearDown() override {
        restore("XDG_CONFIG_HOME", mSaved[0]);
        restore("HOME", mSaved[1]);
        // Read-only folders of a case made removable again.
        for (const auto& entry : fs::recursive_directory_iterator(mRoot))
            if (entry.is_directory())
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(mRoot);
    }

    static mode_t modeOf(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    std::string path(const std::string& name) const { return mRoot + "/" + name; }
    void readOnly(const std::string& folder) const { ::chmod(folder.c_str(), 0555); }

    std::string exe;

private:
    static std::optional<std::string> saved(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    std::string mRoot;
    std::array<std::optional<std::string>, 2> mSaved;
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
        try {
            programfolder::prepare(exe);
            ADD_FAILURE() << "no error for " << xdg;
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()), sj("データを置くフォルダ ") + path(xdg) + "/Tavrin" +
                                                 sj(" を作成できません"));
        }
    }

    ::setenv("XDG_CONFIG_HOME", path("config").c_str(), 1);
    fs::create_directories(path("config/Tavrin"));
    readOnly(path("config/Tavrin"));
    try {
        programfolder::prepare(exe);
        FAIL() << "no error for a read-only user folder";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()),
                  sj("データを置くフォルダ ") + path("config/Tavrin") + sj(" に書き込めません"));
    }
    EXPECT_TRUE(fs::is_empty(exe));
}

} // namespace
