#include "launch/GameNeeds.h"
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

std::string runtimeOf(const char16_t* product, const std::vector<std::string>& imports = {}) {
    return test::makeRuntime(
        imports,
        product ? test::versionResource({1, 0, 0, 0}, {{"ProductName", product}}) : std::string());
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
    EXPECT_EQ(
        missingParts(read()),
        std::vector<std::string>{sj("RTP (ランタイムパッケージ) がインストールされていません。")});
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
