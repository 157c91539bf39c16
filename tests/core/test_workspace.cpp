#include "app/core/Workspace.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "support/CatalogueTree.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

const std::string kApp = "Z:\\app\\";
const std::string kData = kApp + "data.ixo";
const std::string kIni = kApp + "Tavrin.ini";
const std::string kSettings = "[B_Setting]\r\nstartsize=1\r\n";

// The layout a window hands over at its close, every block present.
WindowLayout windowLayout(int treeIndex = 0) {
    WindowLayout layout;
    layout.position = WindowLayout::Position{};
    layout.columns = WindowLayout::Columns{};
    layout.toolBarPos = WindowLayout::ToolBarPos{};
    layout.listFont = WindowLayout::ListFont{};
    layout.tree = WindowLayout::Tree{165, treeIndex};
    return layout;
}

struct Opened : test::FakeServices {
    Workspace workspace{services(), kApp};
    std::string shownText(std::size_t i) const {
        return i < dialogs.shown.size() ? dialogs.shown[i].text : std::string("(none)");
    }
};

// Another copy holds the marker, or it cannot be taken so this copy cannot know it is alone:
// either way the copy says so, clears nothing the first may be writing, and writes nothing.
TEST(Workspace, ASecondCopySaysSoAndWritesNothing) {
    for (const bool unavailable : {false, true}) {
        Opened r;
        r.marker.otherHolds = !unavailable;
        r.marker.unavailable = unavailable;
        r.fs.files[kData] = "IxO\x09junk";
        r.workspace.open();
        EXPECT_TRUE(r.workspace.isSecondCopy());
        EXPECT_EQ(r.shownText(0), unavailable
                                      ? sj("データを置くフォルダに、ほかの Tavrin と同時に"
                                           "使わないための目印を作成できません。終了します。")
                                      : sj("既に起動しています。"));
        EXPECT_TRUE(r.fs.cleaned.empty());
        r.workspace.close({}, 0);
        EXPECT_EQ(r.fs.files.size(), 1u);
        EXPECT_EQ(r.fs.files[kData], "IxO\x09junk");
        EXPECT_EQ(r.marker.releases, 0);
    }
}

TEST(Workspace, TheFirstCopyClearsCutShortWritesAndWritesBackWhatItRead) {
    Opened r;
    r.fs.files[kData] = test::CatalogueTree({"R", ">A"}).file();
    r.fs.files[kIni] = "; mine\r\n[TreeView]\r\nIndex=1\r\n";
    r.workspace.open();
    EXPECT_FALSE(r.workspace.isSecondCopy());
    EXPECT_TRUE(r.marker.held);
    EXPECT_EQ(r.fs.cleaned, (std::vector<std::string>{kData, kIni, kApp + "Tavrin.played",
                                                      kApp + "Tavrin.codepage"}));
    EXPECT_EQ(r.workspace.storedLayout().tree->index, 1);
    EXPECT_EQ(r.workspace.helpFile(), kApp + "Tavrin.hlp");
    r.workspace.catalogue().addFolder(r.workspace.catalogue().tree().root(), "B");
    r.workspace.settings().basic.startSize = 1;
    r.workspace.close(windowLayout(2), 0);
    EXPECT_EQ(r.fs.files[kData], test::CatalogueTree({"R", ">A", ">B"}).file());
    const std::string& ini = r.fs.files[kIni];
    for (const char* kept : {"; mine\r\n", "startsize=1\r\n", "Index=2\r\n"}) {
        EXPECT_NE(ini.find(kept), std::string::npos) << kept;
    }
    EXPECT_EQ(r.marker.releases, 1);
}

// A file that is there but cannot be read (a FIFO, a device, one too large) is told, and the
// close replaces it with no empty catalogue or default settings.
TEST(Workspace, WhatWasNotReadIsNeverWritten) {
    struct Case {
        std::vector<std::string> refused;
        std::vector<std::string> told; // a part of each message, in order
    };
    const std::string keptAside = sj("元のファイルは、終了するときに ") + kData + ".bak";
    const std::string notWritten = sj("このファイルは書き換えません。");
    for (const Case& c : {Case{{kData}, {keptAside}}, Case{{kIni}, {notWritten}},
                          Case{{kData, kIni}, {keptAside, notWritten}}}) {
        Opened r;
        const std::string catalogue = test::CatalogueTree({"R"}).file();
        r.fs.files[kData] = catalogue;
        r.fs.files[kIni] = kSettings;
        r.fs.refused = c.refused;
        r.workspace.open();
        ASSERT_EQ(r.dialogs.shown.size(), c.told.size());
        for (std::size_t i = 0; i < c.told.size(); ++i) {
            EXPECT_NE(r.shownText(i).find(c.told[i]), std::string::npos) << r.shownText(i);
        }
        r.fs.refused.clear();
        r.workspace.settings().basic.startSize = 2;
        r.workspace.close(windowLayout(), 0);
        const bool catalogueRefused = c.refused.front() == kData;
        EXPECT_EQ(r.fs.files.count(kData + ".bak"), catalogueRefused ? 1u : 0u);
        EXPECT_EQ(r.fs.files[kData] == catalogue, !catalogueRefused);
        EXPECT_EQ(r.fs.files[kIni] == kSettings, c.refused.back() == kIni);
        EXPECT_EQ(r.marker.releases, 1);
    }
}

// A start-up that failed before it read anything leaves both files as they are.
TEST(Workspace, AWorkspaceNeverReadWritesNothing) {
    Opened r;
    r.fs.files[kData] = "catalogue";
    r.workspace.close(windowLayout(), 0);
    EXPECT_EQ(r.fs.files.size(), 1u);
    EXPECT_EQ(r.fs.files[kData], "catalogue");
}

// A file that cannot be written is told as a failure, named as the user finds it: the marker
// stays, and the close may be tried again.
TEST(Workspace, AFailedWriteKeepsTheMarkerForAnotherTry) {
    for (const std::string& failing : {kData, kIni}) {
        Opened r;
        r.fs.shownAs = [](const std::string& path) {
            return "/home/me/.local/share/tavrin/" + path.substr(kApp.size());
        };
        r.workspace.open();
        r.fs.failWrites = {failing};
        try {
            r.workspace.close(windowLayout(), 0);
            ADD_FAILURE() << failing;
        } catch (const AppError& e) {
            EXPECT_NE(std::string(e.what()).find("/home/me/.local/share/tavrin/" +
                                                 failing.substr(kApp.size())),
                      std::string::npos)
                << e.what();
        }
        EXPECT_EQ(r.marker.releases, 0);
        r.fs.failWrites.clear();
        r.workspace.close(windowLayout(), 0);
        EXPECT_EQ(r.marker.releases, 1);
        EXPECT_TRUE(r.fs.files.count(kData) && r.fs.files.count(kIni)) << failing;
    }
}

} // namespace
} // namespace tavrin
