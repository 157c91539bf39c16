#include "launch/GameNeeds.h"
#include "launch/ProjectDetails.h"
#include "platform/Cp932.h"
#include "support/Fakes.h"
#include "support/GameFileBuilders.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

const std::string kGame = "C:\\Games\\Hero\\";
const std::string kAscii = "Software\\ASCII\\RPG2000";
const std::string kEnterbrain = "Software\\Enterbrain\\RPG2000";
const std::string k2003 = "Software\\Enterbrain\\RPG2003";

std::string runtimeOf(const char16_t* product, const std::vector<std::string>& imports = {},
                      std::string_view code = {}) {
    return test::makeRuntime(
        imports,
        product ? test::versionResource({1, 0, 0, 0}, {{"ProductName", product}}) : std::string(),
        code);
}

struct Needs : ::testing::Test {
    test::MemoryFileSystem fs;
    test::MemoryRegistry registry;
    GameNeeds read() { return readGameNeeds(fs, registry, "C:\\Games\\Hero"); }
};

TEST_F(Needs, RtpByTheFlagAndTheKeyTheRuntimeReads) {
    fs.folder("C:\\RTP\\2000").folder("C:\\RTP\\2003");
    using R = GameNeeds::Rtp;
    const struct {
        const char* ini; // nullptr: no RPG_RT.ini
        const char16_t* product;
        std::string key, folder;
        R rtp;
    } rows[] = {
        {"[RPG_RT]\r\nFullPackageFlag=1\r\n", u"RPG Maker 2000", "", "", R::notNeeded},
        {nullptr, u"RPG Maker 2000", "", "", R::missing},
        {"[RPG_RT]\r\nFullPackageFlag=0\r\n", u"RPG Maker 2000", kAscii, "C:\\RTP\\2000\\",
         R::installed},
        {"[RPG_RT]\r\n", u"RPG Maker 2000", kEnterbrain, "C:\\RTP\\2000", R::installed},
        // Each runtime reads its own edition's key.
        {"[RPG_RT]\r\n", u"RPG Maker 2000", k2003, "C:\\RTP\\2003\\", R::missing},
        {"[RPG_RT]\r\n", u"RPG Maker 2003", k2003, "C:\\RTP\\2003\\", R::installed},
        {"[RPG_RT]\r\n", u"RPG Maker 2003", kAscii, "C:\\RTP\\2000\\", R::missing},
        // A runtime that does not say which it is gets the benefit of the doubt.
        {nullptr, nullptr, k2003, "C:\\RTP\\2003\\", R::installed},
        // A key left by an RTP since removed, and one that names nothing.
        {nullptr, u"RPG Maker 2000", kAscii, "C:\\RTP\\Gone\\", R::missing},
        {nullptr, u"RPG Maker 2000", kAscii, "", R::missing},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.key + " " + r.folder + " " + (r.ini ? r.ini : "no ini"));
        fs.files.clear();
        registry.keys.clear();
        fs.file(kGame + "RPG_RT.EXE", runtimeOf(r.product));
        if (r.ini) {
            fs.file(kGame + "RPG_RT.ini", r.ini);
        }
        if (!r.key.empty()) {
            registry.keys[r.key]["RuntimePackagePath"] = r.folder;
        }
        EXPECT_EQ(read().rtp, r.rtp);
    }

    // A value of another type is no path, and is no error either.
    registry.notStrings = {"RuntimePackagePath"};
    EXPECT_EQ(read().rtp, R::missing);
    EXPECT_EQ(missingParts(read()),
              std::vector<std::string>{sj(
                  "RPGツクール2000 の RTP (ランタイムパッケージ) がインストールされていません。")});
}

// The edition decides which RTP counts and which the lines name: the runtime's key, else its
// version data, else the database; with none of them any RTP will do.
TEST_F(Needs, EditionByTheRuntimeElseTheDatabase) {
    using namespace std::string_literals;
    fs.folder("C:\\RTP\\2000").folder("C:\\RTP\\2003");
    const std::string compressed = test::makeRuntime({}, test::versionResource({1, 0, 9, 0}, {}));
    const auto keyed = [](std::string_view code) { return test::makeRuntime({}, "", code); };
    const std::string ldb2000 = test::makeLdb(""), ldb2003 = test::makeLdb2003("");
    const std::string rtp2000 = "C:\\RTP\\2000\\", rtp2003 = "C:\\RTP\\2003\\";
    using K = gamefiles::RuntimeKind;
    const struct {
        const char* why;
        std::optional<std::string> exe;
        std::string ldb;
        K kind;
        std::vector<std::string> folders;
    } rows[] = {
        {"2003 key", keyed(k2003), ldb2000, K::rpg2003, {rtp2003}},
        {"2000 key", keyed(kAscii), ldb2003, K::rpg2000, {rtp2000}},
        {"any case", keyed("x\0SOFTWARE\\enterbrain\\rpg2000"s), ldb2003, K::rpg2000, {rtp2000}},
        {"2003 key among others", keyed(kAscii + '\0' + k2003), ldb2000, K::rpg2003, {rtp2003}},
        {"key first", runtimeOf(u"2003", {}, kEnterbrain), ldb2003, K::rpg2000, {rtp2000}},
        {"a key's start", keyed("Software\\Enterbrain\\RPG200"), ldb2003, K::rpg2003, {rtp2003}},
        {"2003 database", compressed, ldb2003, K::rpg2003, {rtp2003}},
        {"2000 database", compressed, ldb2000, K::rpg2000, {rtp2000}},
        {"2000 database, no runtime", std::nullopt, ldb2000, K::rpg2000, {rtp2000}},
        {"nothing tells", compressed, "LcfDataBase", K::unknown, {rtp2000, rtp2003}},
    };
    // Both 2000 keys name one folder, spelled two ways.
    registry.keys[kAscii]["RuntimePackagePath"] = "C:\\RTP\\2000";
    registry.keys[kEnterbrain]["RuntimePackagePath"] = "c:\\rtp\\2000\\";
    registry.keys[k2003]["RuntimePackagePath"] = rtp2003;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        fs.files.clear();
        if (r.exe) {
            fs.file(kGame + "RPG_RT.EXE", *r.exe);
        }
        fs.file(kGame + "RPG_RT.ldb", r.ldb);
        const GameNeeds needs = read();
        EXPECT_EQ(needs.kind, r.kind);
        EXPECT_EQ(needs.rtpFolders, r.folders);
        EXPECT_EQ(needs.rtp, GameNeeds::Rtp::installed);
    }

    registry.keys.erase(k2003);
    fs.file(kGame + "RPG_RT.EXE", compressed).file(kGame + "RPG_RT.ldb", ldb2003);
    const GameNeeds needs = read();
    EXPECT_TRUE(needs.rtpFolders.empty());
    EXPECT_EQ(missingParts(needs),
              std::vector<std::string>{sj("RPGツクール2003 の RTP (ランタイムパッケージ) "
                                          "がインストールされていません。")});
    EXPECT_EQ(details::needsLines(pk2000, needs),
              (std::vector<std::string>{sj("RTP: 見つかりません（RPGツクール2003 の RTP）"),
                                        sj("ランタイム: RPGツクール2003（バージョン 1.0.9.0）")}));
    // The flag: no RTP read, no folder for others to look in.
    fs.file(kGame + "RPG_RT.ini", "[RPG_RT]\r\nFullPackageFlag=1\r\n");
    registry.keys[k2003]["RuntimePackagePath"] = rtp2003;
    EXPECT_TRUE(read().rtpFolders.empty());
}

// Only a 32-bit program can be the runtime; anything else is said instead of starting it.
TEST_F(Needs, WhatTheRuntimeFileIs) {
    const std::string exe = kGame + "RPG_RT.EXE";
    const std::string lfs = "version https://git-lfs.github.com/v1\noid sha256:4d7a\nsize 954524\n";
    using F = GameNeeds::RuntimeFile;
    const struct {
        std::optional<std::string> bytes; // nothing: no file
        F file;
        const char* refusal; // after the path
    } rows[] = {
        {std::nullopt, F::missing, nullptr},
        {runtimeOf(nullptr), F::program32, nullptr},
        {"", F::empty, " は Windows のプログラムではありません（空のファイルです）。"},
        {lfs, F::lfsPointer,
         " は Windows のプログラムではありません（Git LFS のポインタです。"
         "リポジトリから本体を取得してください）。"},
        {test::makePe({}, true), F::program64,
         " は 64 ビットのプログラムです。RPGツクールのランタイムは 32 ビットです。"},
        {"MZ but no program", F::noProgram, " は Windows のプログラムではありません。"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.file));
        fs.files.clear();
        if (r.bytes) {
            fs.file(exe, *r.bytes);
        }
        const GameNeeds needs = read();
        EXPECT_EQ(needs.runtimeFile, r.file);
        EXPECT_EQ(runtimeRefusal(needs, exe),
                  r.refusal ? std::optional(exe + sj(r.refusal)) : std::nullopt);
    }
    fs.files.clear();
    EXPECT_EQ(details::needsLines(pk2000, read()).back(),
              sj("ランタイム: ありません（RPG_RT.exe がありません）"));
    // A file there that cannot be read is refused in the words of its reading.
    fs.refused = {exe};
    EXPECT_EQ(runtimeRefusal(read(), exe), exe + " refused");
}

TEST_F(Needs, DllsFoundBesideTheGameOrWhereWineLoadsThemFrom) {
    fs.file(kGame + "RPG_RT.ini", "[RPG_RT]\r\nFullPackageFlag=1\r\n");
    fs.file(kGame + "RPG_RT.EXE",
            runtimeOf(u"RPG Maker 2000", {"KERNEL32.dll", "Harmony.DLL", "old.dll", "wow.dll",
                                          "only64.dll", "Patch.dll", "patch.dll"}));
    // No prefix yet: nothing to judge the DLLs by.
    EXPECT_TRUE(read().missingDlls.empty());

    fs.file(kGame + "harmony.dll");
    fs.file("C:\\windows\\old.dll");
    fs.file("C:\\windows\\syswow64\\kernel32.dll");
    fs.file("C:\\windows\\syswow64\\wow.dll");
    fs.file("C:\\windows\\system32\\kernel32.dll");
    // A 64-bit DLL is none that a 32-bit runtime can load.
    fs.file("C:\\windows\\system32\\only64.dll");
    fs.folder(kGame + "Patch.dll");
    const GameNeeds needs = read();
    EXPECT_EQ(needs.rtp, GameNeeds::Rtp::notNeeded);
    EXPECT_EQ(needs.missingDlls, (std::vector<std::string>{"only64.dll", "Patch.dll"}));
    EXPECT_EQ(missingParts(needs), (std::vector<std::string>{sj("only64.dll が見つかりません。"),
                                                             sj("Patch.dll が見つかりません。")}));

    // A 32-bit prefix has one system folder.
    fs.files.erase("C:\\windows\\syswow64\\kernel32.dll");
    fs.files.erase("C:\\windows\\syswow64\\wow.dll");
    fs.folders.erase(std::find(fs.folders.begin(), fs.folders.end(), "C:\\windows\\syswow64"));
    EXPECT_EQ(read().missingDlls, (std::vector<std::string>{"wow.dll", "Patch.dll"}));

    // Harmony.dll, which the runtime names but does not import, is looked for all the same.
    fs.files.erase(kGame + "harmony.dll");
    fs.file(kGame + "RPG_RT.EXE", test::makeRuntime({"KERNEL32.dll"}, "", "Harmony.dll"));
    EXPECT_EQ(read().missingDlls, std::vector<std::string>{"Harmony.dll"});
    fs.file("C:\\windows\\system32\\HARMONY.DLL");
    EXPECT_TRUE(read().missingDlls.empty());
}

// A runtime's names are text to show, never layout: printable whole characters only, none too
// long, and a long list cut with its count.
TEST_F(Needs, NamesFromTheRuntimeShownCleanAndCut) {
    fs.folder("C:\\windows\\system32");
    fs.file(kGame + "RPG_RT.ini", "[RPG_RT]\r\nFullPackageFlag=1\r\n");
    const std::string x63(63, 'x');
    // Control bytes; a character past 64 bytes; bytes that are none (a lead byte before a
    // control byte, an unassigned code whose trail byte is a character of its own).
    std::vector<std::string> dlls = {"a\tb\r\n\x1B[2J\x7F.dll", x63 + sj("表"),
                                     "\x80\xA0\xFD\xFF\x82\x0A\x85\x40y.dll", sj("表ｱ①.dll")};
    for (int i = 4; i < 245; ++i) {
        dlls.push_back("d" + std::to_string(i) + ".dll");
    }
    fs.file(kGame + "RPG_RT.EXE", test::makeRuntime(dlls, ""));
    const GameNeeds needs = read();
    ASSERT_EQ(needs.missingDlls, dlls);
    const std::vector<std::string> shown = {"ab[2J.dll", x63 + sj("…"), "@y.dll", sj("表ｱ①.dll"),
                                            "d4.dll"};
    std::vector<std::string> asked;
    for (const std::string& name : shown) {
        asked.push_back(name + sj(" が見つかりません。"));
    }
    asked.push_back(sj("…ほか 240 個"));
    EXPECT_EQ(missingParts(needs), asked);
    EXPECT_EQ(details::needsLines(pk2000, needs)[1],
              sj("見つからない DLL: ") + shown[0] + ", " + shown[1] + ", " + shown[2] + ", " +
                  shown[3] + ", " + shown[4] + sj(" …ほか 240 個"));
}

TEST_F(Needs, WhatAFolderHoldsUnderTheNamesIsNoError) {
    fs.folder("C:\\windows\\system32");
    // Refused on reading, as a FIFO or a file too large would be; then no program at all.
    fs.refused = {kGame + "RPG_RT.EXE", kGame + "RPG_RT.ini"};
    fs.file(kGame + "RPG_RT.EXE", runtimeOf(nullptr, {"x.dll"}));
    EXPECT_EQ(read().rtp, GameNeeds::Rtp::missing);
    fs.refused.clear();
    fs.file(kGame + "RPG_RT.EXE", "MZ not a program");
    const GameNeeds needs = read();
    EXPECT_FALSE(needs.runtime);
    EXPECT_TRUE(needs.missingDlls.empty());
}

} // namespace
} // namespace tavrin
