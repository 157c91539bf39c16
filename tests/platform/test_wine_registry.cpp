#include "platform/Cp932.h"
#include "platform/linux/WineRegistry.h"
#include "support/HostScratch.h"

#include <QString>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <tuple>

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
    return test::readHostFile(gPrefix + "/user.reg");
}

// Stops the prefix's server, which saves user.reg as it goes.
void stopServer() {
    run("wineserver -k");
    for (int i = 0; i < 500 && WineRegistry::serverRuns(gPrefix); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// A server that stays up with no program running, as one does after a program ends.
void startServer() {
    ASSERT_EQ(run("wineserver -p"), 0);
    ASSERT_TRUE(WineRegistry::serverRuns(gPrefix));
}

// Puts a registry file of Wine's export format (given in UTF-8) into the registry.
void import(const std::string& lines) {
    const QString text = QString::fromUtf8("Windows Registry Editor Version 5.00\r\n\r\n" + lines);
    std::string bytes = "\xff\xfe";
    for (const char16_t unit : text.toStdU16String())
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    test::writeHostFile(gPrefix + "/drive_c/tavrin-import.reg", bytes);
    ASSERT_EQ(run("wine reg import 'C:\\tavrin-import.reg'"), 0);
}

// A "wine" first on the PATH that runs the script, for a Wine that fails or hangs.
class FakeWine {
public:
    explicit FakeWine(const std::string& script) {
        test::writeHostFile(gFolder + "/bin/wine", "#!/bin/sh\n" + script + "\n", true);
        const char* path = std::getenv("PATH");
        mPath.emplace("PATH", gFolder + "/bin:" + (path ? path : ""));
    }

private:
    std::optional<test::ScopedEnv> mPath;
};

class ScratchPrefix : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(std::system("command -v wine >/dev/null && command -v wineserver >/dev/null"), 0)
            << "Wine is not installed";
        gFolder = mFolder.emplace("tavrin-wine").path();
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
        mFolder.reset();
    }

private:
    std::optional<test::TempFolder> mFolder;
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
    startServer();
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
    {
        FakeWine refusing("exit 1");
        EXPECT_FALSE(registry.writeString(sj(key), "Refused", "x"));
    }
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

// What a Windows program would read from the running server, asked at once after the server
// was told, while user.reg is older.
TEST(WineRegistry, ReadsWhatItsRunningServerHolds) {
    ASSERT_FALSE(gPrefix.empty());
    WineRegistry registry(gPrefix);
    // "表" last: its CP932 bytes end in that of "\".
    const std::string key = "Software\\Tavrin\\ソフト表";
    ASSERT_TRUE(registry.writeString(sj(key), "ApplicationPath", sj("C:\\旧\\")));
    ASSERT_TRUE(registry.writeString(sj(key), "Removed", "x"));
    ASSERT_TRUE(registry.writeString(sj("Software\\Tavrin\\Gone"), "Removed", "x"));
    startServer();
    const std::string wineKey = shellQuoted("HKCU\\" + key);
    ASSERT_EQ(run("LC_ALL=C.UTF-8 wine reg add " + wineKey + " /v ApplicationPath /t REG_SZ /d " +
                  shellQuoted("C:\\ツクール2000\\") + " /f"),
              0);
    ASSERT_EQ(run("LC_ALL=C.UTF-8 wine reg delete " + wineKey + " /v Removed /f"), 0);
    ASSERT_EQ(run("wine reg delete 'HKCU\\Software\\Tavrin\\Gone' /f"), 0);
    // Values whose lines in Wine's files need care; a subkey's value of the same name follows
    // the key's own.
    const std::string section = "[HKEY_CURRENT_USER\\" + key;
    import(
        section +
        "]\r\n"
        "@=\"既定\"\r\n"
        "\"a b\"=\"with space\"\r\n"
        "\"q\\\"uote\"=\"say \\\"hi\\\" \\\\ back\\\\\\\\slash\\\\x41\\\\\"\r\n"
        "\"名前\"=\"C:\\\\ゲーム\\\\ソフト表示\\\\勇者の物語①α1\"\r\n"
        "\"empty\"=\"\"\r\n"
        "\"lines\"=\"one\\ntwo\\r\ttab\"\r\n"
        // "%WINDIR%\表", as Windows keeps it.
        "\"expand\"=hex(2):25,00,57,00,49,00,4e,00,44,00,49,00,52,00,25,00,5c,00,68,88,00,00\r\n"
        "\"multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"dword\"=dword:00000003\r\n"
        "\"binary\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d,1e,1f\r\n"
        "\"after\"=\"past the long one\"\r\n"
        "\r\n" +
        section +
        "\\Sub]\r\n"
        "\"ApplicationPath\"=\"subkey\"\r\n");

    using Case = std::tuple<std::string, std::string, Registry::Read, std::string>;
    const std::vector<Case> cases = {
        {key, "ApplicationPath", Registry::Read::ok, "C:\\ツクール2000\\"},
        {"SOFTWARE\\tavrin\\ソフト表\\", "applicationpath", Registry::Read::ok,
         "C:\\ツクール2000\\"},
        {key, "", Registry::Read::ok, "既定"},
        {key, "A B", Registry::Read::ok, "with space"},
        {key, "q\"uote", Registry::Read::ok, "say \"hi\" \\ back\\\\slash\\x41\\"},
        {key, "名前", Registry::Read::ok, "C:\\ゲーム\\ソフト表示\\勇者の物語①α1"},
        {key, "empty", Registry::Read::ok, ""},
        {key, "lines", Registry::Read::ok, "one\ntwo\r\ttab"},
        {key, "expand", Registry::Read::ok, "%WINDIR%\\表"},
        {key, "after", Registry::Read::ok, "past the long one"},
        {key, "multi", Registry::Read::notString, ""},
        {key, "dword", Registry::Read::notString, ""},
        {key, "binary", Registry::Read::notString, ""},
        {key, "Removed", Registry::Read::absent, ""},
        {key, "Missing", Registry::Read::absent, ""},
        {"Software\\Tavrin\\Gone", "Removed", Registry::Read::absent, ""},
        {"Software\\Tavrin\\Missing", "x", Registry::Read::absent, ""},
    };
    const auto readAll = [&] {
        for (const auto& [caseKey, name, read, value] : cases) {
            SCOPED_TRACE(caseKey + " " + name);
            std::string out = "unchanged";
            EXPECT_EQ(registry.readString(sj(caseKey), sj(name), out), read);
            EXPECT_EQ(out, read == Registry::Read::ok ? sj(value) : "unchanged");
        }
    };
    ASSERT_TRUE(WineRegistry::serverRuns(gPrefix));
    readAll();
    // The file, once the server saved it, reads the same.
    stopServer();
    readAll();
    EXPECT_FALSE(WineRegistry::serverRuns(gPrefix));
}

TEST(WineRegistry, ReadsTheFileWhenWineDoesNotAnswer) {
    ASSERT_FALSE(gPrefix.empty());
    WineRegistry registry(gPrefix);
    const std::string key = sj("Software\\Tavrin\\答え");
    ASSERT_TRUE(registry.writeString(key, "Path", "saved"));
    startServer();
    ASSERT_TRUE(registry.writeString(key, "Path", "held"));

    std::string out;
    {
        FakeWine refusing("exit 1");
        EXPECT_EQ(registry.readString(key, "Path", out), Registry::Read::ok);
        EXPECT_EQ(out, "saved");
    }
    // A Wine that hangs is stopped at the time limit with what it started.
    const std::string sleeperFile = gFolder + "/sleeper";
    {
        FakeWine hanging("sleep 30 & echo $! >" + shellQuoted(sleeperFile) + "; wait");
        WineRegistry patient(gPrefix, std::chrono::milliseconds(300));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(patient.readString(key, "Path", out), Registry::Read::ok);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(out, "saved");
    }
    const std::string sleeper = test::readHostFile(sleeperFile);
    ASSERT_FALSE(sleeper.empty());
    // Gone, or a zombie left to a parent that does not reap.
    const auto stopped = [&] {
        const std::string stat =
            test::readHostFile("/proc/" + sleeper.substr(0, sleeper.find('\n')) + "/stat");
        return stat.empty() || stat.find(") Z ") != std::string::npos;
    };
    for (int i = 0; i < 100 && !stopped(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(stopped());
    EXPECT_EQ(registry.readString(key, "Path", out), Registry::Read::ok);
    EXPECT_EQ(out, "held");
    stopServer();
}

} // namespace
