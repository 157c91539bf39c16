#include "platform/Cp932.h"
#include "platform/linux/WineRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

// The registry against the real Wine, in one scratch prefix made for this program's run. Every
// Wine command names that prefix, so the user's own is never touched.

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

std::string gFolder;
std::string gPrefix;

std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string inPrefix(const std::string& command) {
    return "WINEPREFIX=" + shellQuoted(gPrefix) + " WINEDEBUG=-all " + command;
}

int run(const std::string& command) {
    return std::system((inPrefix(command) + " >/dev/null 2>&1").c_str());
}

// What Wine's reg prints; under a Japanese locale it prints CP932.
std::string query(const std::string& keyUtf8) {
    const std::string command =
        inPrefix("LC_ALL=ja_JP.UTF-8 wine reg query " + shellQuoted("HKCU\\" + keyUtf8)) + " 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe))
            out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

std::string userReg() {
    std::ifstream in(gPrefix + "/user.reg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Stops the prefix's server, which saves user.reg as it goes.
void stopServer() {
    run("wineserver -k");
    for (int i = 0; i < 500 && WineRegistry::serverRuns(gPrefix); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

class ScratchPrefix : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(std::system("command -v wine >/dev/null && command -v wineserver >/dev/null"), 0)
            << "Wine is not installed";
        std::string tmpl = (fs::temp_directory_path() / "tavrin-wine-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        gFolder = tmpl;
        gPrefix = gFolder + "/prefix";
        ::setenv("WINEPREFIX", gPrefix.c_str(), 1);
        ASSERT_EQ(run("wineboot -i"), 0);
        stopServer();
        ASSERT_TRUE(fs::exists(gPrefix + "/user.reg"));
    }
    void TearDown() override {
        if (gPrefix.empty())
            return;
        stopServer();
        fs::remove_all(gFolder);
    }
};

const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new ScratchPrefix);

// "ソ" and "表" end in the byte of "\"; a key or path split by bytes would break there.
const std::string kBase = "C:\\ゲーム\\ソフト表示\\";
const std::string kFolder = "勇者の物語①";

TEST(WineRegistry, ServerIsSeenWithoutStartingOne) {
    ASSERT_FALSE(gPrefix.empty());
    EXPECT_FALSE(WineRegistry::serverRuns(gPrefix));
    EXPECT_FALSE(WineRegistry::serverRuns(gFolder + "/missing"));
    ASSERT_EQ(run("wineserver -p"), 0);
    EXPECT_TRUE(WineRegistry::serverRuns(gPrefix));
    EXPECT_FALSE(WineRegistry::serverRuns(gFolder));
    stopServer();
    EXPECT_FALSE(WineRegistry::serverRuns(gPrefix));

    WineRegistry missing(gFolder + "/missing");
    std::string out;
    EXPECT_EQ(missing.readString("Software", "x", out), Registry::Read::absent);
    EXPECT_FALSE(missing.writeString("Software\\Tavrin", "x", "y"));
    EXPECT_FALSE(fs::exists(gFolder + "/missing"));
}

TEST(WineRegistry, ReadsWhatWineWrote) {
    ASSERT_FALSE(gPrefix.empty());
    ASSERT_EQ(run("LC_ALL=C.UTF-8 wine reg add 'HKCU\\Software\\Enterbrain\\RPG2003' /v "
                  "ApplicationPath /t REG_SZ /d " +
                  shellQuoted("C:\\ツクール2003\\") + " /f"),
              0);
    ASSERT_EQ(run("wine reg add 'HKCU\\Software\\Enterbrain\\RPG2003' /v Count /t REG_DWORD /d 3 "
                  "/f"),
              0);
    stopServer();

    WineRegistry registry(gPrefix);
    std::string out;
    EXPECT_EQ(registry.readString("software\\enterbrain\\rpg2003", "applicationpath", out),
              Registry::Read::ok);
    EXPECT_EQ(out, sj("C:\\ツクール2003\\"));
    EXPECT_EQ(registry.readString("Software\\Enterbrain\\RPG2003", "Count", out),
              Registry::Read::notString);
    EXPECT_EQ(registry.readString("Software\\Enterbrain\\RPG2000", "ApplicationPath", out),
              Registry::Read::absent);
}

TEST(WineRegistry, WritesTheFileWhenNoServerRuns) {
    ASSERT_FALSE(gPrefix.empty());
    ASSERT_FALSE(WineRegistry::serverRuns(gPrefix));
    const std::string key = "Software\\Enterbrain\\RPG2000\\表";
    WineRegistry registry(gPrefix);
    ASSERT_TRUE(registry.writeString(sj(key), "ProjectBasePath", sj(kBase)));
    ASSERT_TRUE(registry.writeString(sj(key), "OpenedProjectFolder", sj(kFolder)));
    ASSERT_TRUE(registry.writeString(sj(key), "OpenedProjectFolder", sj(kFolder + "2")));
    // Written by us, in Wine's escapes, with no server started.
    EXPECT_FALSE(WineRegistry::serverRuns(gPrefix));
    EXPECT_NE(userReg().find("\\x52c7\\x8005"), std::string::npos);

    const std::string shown = query(key);
    EXPECT_NE(shown.find(sj(kBase)), std::string::npos) << shown;
    EXPECT_NE(shown.find(sj(kFolder + "2")), std::string::npos) << shown;
    stopServer();
    std::string out;
    EXPECT_EQ(registry.readString(sj(key), "ProjectBasePath", out), Registry::Read::ok);
    EXPECT_EQ(out, sj(kBase));
}

TEST(WineRegistry, WritesThroughWineWhileItsServerRuns) {
    ASSERT_FALSE(gPrefix.empty());
    const std::string key = "Software\\Enterbrain\\RPG2003";
    ASSERT_EQ(run("wineserver -p"), 0);
    ASSERT_TRUE(WineRegistry::serverRuns(gPrefix));
    const std::string before = userReg();

    WineRegistry registry(gPrefix);
    ASSERT_TRUE(registry.writeString(sj(key), "ProjectBasePath", sj(kBase)));
    ASSERT_TRUE(registry.writeString(sj(key), "OpenedProjectFolder", sj(kFolder)));
    ASSERT_TRUE(registry.writeString(sj(key), "", sj("既定")));
    // The server owns the file now.
    EXPECT_EQ(userReg(), before);
    const std::string shown = query(key);
    EXPECT_NE(shown.find(sj(kBase)), std::string::npos) << shown;
    EXPECT_NE(shown.find(sj(kFolder)), std::string::npos) << shown;

    // Past its time limit, Wine is stopped and the write reported failed.
    WineRegistry hasty(gPrefix, std::chrono::milliseconds(1));
    EXPECT_FALSE(hasty.writeString(sj(key), "Late", "x"));
    // A Wine that answers with a failure is a failed write.
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    const std::string fake = gFolder + "/bin";
    fs::create_directories(fake);
    std::ofstream(fake + "/wine") << "#!/bin/sh\nexit 1\n";
    fs::permissions(fake + "/wine", fs::perms::owner_all);
    ::setenv("PATH", (fake + ":" + path).c_str(), 1);
    EXPECT_FALSE(registry.writeString(sj(key), "Refused", "x"));
    ::setenv("PATH", path.c_str(), 1);
    stopServer();

    std::string out;
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"ProjectBasePath", kBase},
                                      {"OpenedProjectFolder", kFolder},
                                      {"", "既定"}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(registry.readString(sj(key), name, out), Registry::Read::ok);
        EXPECT_EQ(out, sj(value));
    }
}

} // namespace
