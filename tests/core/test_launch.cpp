#include "launch/Launch.h"
#include "launch/StartHelpers.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "support/Fakes.h"
#include "support/GameFileBuilders.h"

#include <gtest/gtest.h>

#include <functional>

namespace tavrin {
namespace {

const std::string kAscii = "Software\\ASCII\\RPG2000";
const std::string kEnterbrain = "Software\\Enterbrain\\RPG2000";
const std::string k2003 = "Software\\Enterbrain\\RPG2003";

struct Launch : ::testing::Test, test::FakeServices {
    LaunchContext ctx{shell, dialogs, registry, fs};
    std::string started() const { return shell.started(); }
};

TEST_F(Launch, GameAndTestPlayByKindAndScreenMode) {
    const std::string hero = "C:\\Games\\Hero\\";
    // "表" ends in 0x5C: the path still needs its own backslash.
    const std::string table = "C:\\" + sj("表");
    const struct {
        ProjectItem item;
        int startSize;
        const char* game;
        const char* test; // nullptr: the test-play message
    } rows[] = {
        {{hero, "t", pk2000},
         0,
         "RPG_RT.EXE|GamePlay ShowTitle FullScreen",
         "RPG_RT.EXE|TestPlay ShowTitle FullScreen"},
        {{hero, "t", pk2000},
         1,
         "RPG_RT.EXE|GamePlay ShowTitle Window",
         "RPG_RT.EXE|TestPlay ShowTitle Window"},
        {{hero, "t", pk2000}, 2, "RPG_RT.EXE|", "RPG_RT.EXE|"},
        {{hero, "t", pk2000}, -1, "RPG_RT.EXE|", "RPG_RT.EXE|"},
        {{"C:\\Games\\Hero", "t", pk2000},
         0,
         "RPG_RT.EXE|GamePlay ShowTitle FullScreen",
         "RPG_RT.EXE|TestPlay ShowTitle FullScreen"},
        {{table, "t", pk2000},
         1,
         "RPG_RT.EXE|GamePlay ShowTitle Window",
         "RPG_RT.EXE|TestPlay ShowTitle Window"},
        {{hero, "t", pk95}, 0, "GAME.EXE|", nullptr},
        {{hero, "t", pkNone}, 0, "|", "|"},
        {{hero, "t", static_cast<ProjectKind>(7)}, 1, "|", "|"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.item.path + " " + std::to_string(r.item.kind) + " " +
                     std::to_string(r.startSize));
        const std::string folder =
            r.item.path.back() == '\\' && r.item.path != table ? r.item.path : r.item.path + "\\";
        shell.starts.clear();
        dialogs.shown.clear();
        playGame(ctx, &r.item, r.startSize);
        testPlay(ctx, &r.item, r.startSize);
        // Every start runs in the project's folder.
        const auto expect = [&](const char* fileAndParameters) {
            const std::string s(fileAndParameters);
            return folder + s.substr(0, s.find('|')) + s.substr(s.find('|')) + "|" + folder + ";";
        };
        std::string expected = expect(r.game);
        if (r.test) {
            expected += expect(r.test);
            EXPECT_TRUE(dialogs.shown.empty());
        } else {
            ASSERT_EQ(dialogs.shown.size(), 1u);
            EXPECT_EQ(dialogs.shown[0].text,
                      sj("テストプレーはツクール95作品に対応していません。"));
            EXPECT_EQ(dialogs.shown[0].caption, sj("ツクール95作品"));
            EXPECT_TRUE(dialogs.shown[0].icon == MsgIcon::none);
            EXPECT_TRUE(dialogs.shown[0].buttons == MsgButtons::ok);
        }
        EXPECT_EQ(started(), expected);
    }
}

TEST_F(Launch, NoFocusedRowDoesNothing) {
    playGame(ctx, nullptr, 0);
    testPlay(ctx, nullptr, 0);
    openProjectFolder(ctx, nullptr);
    showProjectProperties(ctx, nullptr);
    openIn2000Editor(ctx, nullptr, {});
    openIn2003Editor(ctx, nullptr);
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(shell.properties.empty());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(registry.writes.empty());
}

TEST_F(Launch, FolderAndItsProperties) {
    const ProjectItem item{"C:\\Games\\Hero\\", "t", pk2000};
    openProjectFolder(ctx, &item);
    showProjectProperties(ctx, &item);
    EXPECT_EQ(started(), "C:\\Games\\Hero\\||;"); // no parameters, no working folder
    EXPECT_EQ(shell.properties, std::vector<std::string>{"C:\\Games\\Hero\\"});
}

TEST_F(Launch, RunApplicationSaysOnceWhenNothingStarts) {
    runApplication(ctx, "");
    EXPECT_TRUE(shell.starts.empty());
    runApplication(ctx, "C:\\Tools\\x.exe");
    EXPECT_EQ(started(), "C:\\Tools\\x.exe|0|C:\\Tools\\;");
    EXPECT_TRUE(dialogs.shown.empty());
    for (int failure : {0, 2, 31, 32}) {
        dialogs.shown.clear();
        shell.result = failure;
        runApplication(ctx, "C:\\Tools\\x.exe");
        ASSERT_EQ(dialogs.shown.size(), 1u) << failure;
        EXPECT_EQ(dialogs.shown[0].text, sj("指定されたアプリケーション・ファイルを開けません。"));
        EXPECT_EQ(dialogs.shown[0].caption, "Error");
        EXPECT_TRUE(dialogs.shown[0].icon == MsgIcon::warning);
    }
    shell.result = 33;
    dialogs.shown.clear();
    runApplication(ctx, "C:\\Tools\\x.exe");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Launch, RuntimesGetTheGdiRendererOnceThePrefixIsMade) {
    const std::string rpgRt = "Software\\Wine\\AppDefaults\\RPG_RT.exe\\Direct3D|renderer=gdi";
    const std::string game = "Software\\Wine\\AppDefaults\\GAME.exe\\Direct3D|renderer=gdi";
    const ProjectItem hero{"C:\\Games\\Hero\\", "t", pk2000};
    const ProjectItem old{"C:\\Games\\Old\\", "t", pk95};

    // While the prefix is being made, nothing is written or started; then both, in order.
    shell.making = true;
    playGame(ctx, &hero, 1);
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(registry.writes.empty());
    for (auto& [key, then] : shell.waiting) {
        then();
    }
    EXPECT_EQ(registry.writes, std::vector<std::string>{rpgRt});
    EXPECT_EQ(started(),
              "C:\\Games\\Hero\\RPG_RT.EXE|GamePlay ShowTitle Window|C:\\Games\\Hero\\;");

    // A prefix that has it is left alone; the 95 runtime gets its own.
    shell.making = false;
    registry.writes.clear();
    testPlay(ctx, &hero, 0);
    playGame(ctx, &old, 0);
    EXPECT_EQ(registry.writes, std::vector<std::string>{game});

    // Not for editors, folders, native starts, or a user who turned it off.
    registry.keys.clear();
    registry.writes.clear();
    const ProjectItem none{"C:\\Games\\Hero\\", "t", pkNone};
    playGame(ctx, &none, 0);
    runApplication(ctx, "C:\\Tools\\x.exe");
    shell.ready.throughWine = false;
    playGame(ctx, &hero, 0);
    shell.ready.throughWine = true;
    ctx.gdiRenderer = false;
    playGame(ctx, &hero, 0);
    EXPECT_TRUE(registry.writes.empty());

    // A renderer that cannot be set is told, and the runtime is not started to die.
    ctx.gdiRenderer = true;
    registry.failWrites = {"renderer"};
    shell.starts.clear();
    playGame(ctx, &hero, 0);
    EXPECT_TRUE(shell.starts.empty());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, sj("'renderer' の設定に失敗しました."));
    EXPECT_TRUE(dialogs.shown[0].icon == MsgIcon::error);
}

TEST_F(Launch, WhatKeepsWindowsProgramsFromStartingIsToldBeforeAnythingHappens) {
    const ProjectItem hero{"C:\\Games\\Hero\\", "t", pk2000};
    registry.keys[kEnterbrain]["ApplicationPath"] = "C:\\E\\";
    registry.keys[k2003]["ApplicationPath"] = "C:\\F\\";
    const struct {
        Shell::Hindrance hindrance;
        const char* says;
    } rows[] = {
        {Shell::Hindrance::noWine, "sudo apt-get install wine wine32:i386"},
        {Shell::Hindrance::no32BitWine, "apt-get install wine32:i386"},
        {Shell::Hindrance::prefixLacks32Bit,
         "rm '/home/me/.wine/.update-timestamp'\nWINEPREFIX='/home/me/.wine' wineboot -u"},
    };
    const std::vector<std::pair<std::function<void()>, std::string>> commands = {
        {[&] { playGame(ctx, &hero, 0); }, sj("ゲーム実行")},
        {[&] { testPlay(ctx, &hero, 0); }, sj("テストプレー")},
        {[&] { openIn2000Editor(ctx, &hero, {}); }, sj("RPGツクールで編集")},
        {[&] {
             openIn2000Editor(ctx, &hero, {true, "C:\\T\\"});
         },
         sj("RPGツクールで編集")},
        {[&] { openIn2003Editor(ctx, &hero); }, sj("RPGツクールで編集")},
        {[&] { runApplication(ctx, "C:\\Tools\\x.exe"); }, "Tavrin"},
    };
    for (const auto& row : rows) {
        shell.ready.hindrance = row.hindrance;
        for (const auto& [command, caption] : commands) {
            dialogs.shown.clear();
            command();
            ASSERT_EQ(dialogs.shown.size(), 1u) << row.says;
            EXPECT_NE(dialogs.shown[0].text.find(row.says), std::string::npos)
                << cp932::toUtf8(dialogs.shown[0].text);
            EXPECT_EQ(dialogs.shown[0].caption, caption);
        }
    }
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_TRUE(fs.files.empty());
}

TEST_F(Launch, AGameMissingWhatItNeedsAsksBeforeItStarts) {
    const ProjectItem hero{"C:\\Games\\Hero", "t", pk2000};
    const std::string exe = "C:\\Games\\Hero\\RPG_RT.EXE";
    fs.file(exe, test::makeRuntime({"Patch.dll"}, {}));
    fs.folder("C:\\windows\\system32");
    const std::string asked = sj("RTP (ランタイムパッケージ) がインストールされていません。\n"
                                 "Patch.dll が見つかりません。\n\nこのまま起動しますか？");

    // Asked before the prefix is made; No starts nothing, then or later.
    shell.making = true;
    dialogs.answers = {MsgResult::no, MsgResult::no};
    playGame(ctx, &hero, 1);
    testPlay(ctx, &hero, 1);
    EXPECT_TRUE(shell.waiting.empty());
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text, asked);
    EXPECT_EQ(dialogs.shown[0].caption, sj("ゲーム実行"));
    EXPECT_EQ(dialogs.shown[1].caption, sj("テストプレー"));
    EXPECT_TRUE(dialogs.shown[0].buttons == MsgButtons::yesNo);

    // Yes starts as before.
    shell.making = false;
    dialogs.answers = {MsgResult::yes, MsgResult::yes};
    playGame(ctx, &hero, 1);
    testPlay(ctx, &hero, 1);
    EXPECT_EQ(started(), exe + "|GamePlay ShowTitle Window|C:\\Games\\Hero\\;" + exe +
                             "|TestPlay ShowTitle Window|C:\\Games\\Hero\\;");

    // Nothing missing, no runtime to start, a Wine that cannot start it: no question.
    fs.file("C:\\Games\\Hero\\RPG_RT.ini", "[RPG_RT]\r\nFullPackageFlag=1\r\n");
    fs.file("C:\\Games\\Hero\\patch.dll");
    const ProjectItem empty{"C:\\Games\\Empty\\", "t", pk2000};
    dialogs.shown.clear();
    playGame(ctx, &hero, 1);
    playGame(ctx, &empty, 1);
    fs.files.erase("C:\\Games\\Hero\\RPG_RT.ini");
    // Nor for a 95 work, whose runtime knows no RTP.
    fs.file("C:\\Games\\Hero\\GAME.EXE");
    const ProjectItem old{"C:\\Games\\Hero", "t", pk95};
    playGame(ctx, &old, 1);
    shell.ready.hindrance = Shell::Hindrance::noWine;
    playGame(ctx, &hero, 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("apt-get install wine"), std::string::npos);
    EXPECT_EQ(shell.starts.size(), 5u);
}

// What a game start settles before Wine takes it: a runtime that is no program is told instead,
// full screen where the display cannot switch is asked about, the game's code page goes with it,
// one start waits per project while the prefix is made, and a start that failed is told.
TEST_F(Launch, AGameStartIsSettledBeforeWineTakesIt) {
    const ProjectItem hero{"C:\\Games\\Hero\\", "t", pk2000};
    const ProjectItem other{"C:\\Games\\Other\\", "t", pk2000};
    const std::string exe = "C:\\Games\\Hero\\RPG_RT.EXE";
    for (const ProjectItem& p : {hero, other}) {
        fs.file(p.path + "RPG_RT.ini", "[RPG_RT]\r\nFullPackageFlag=1\r\n");
        fs.file(p.path + "RPG_RT.EXE", test::makeRuntime({}, {}));
    }

    fs.file(exe, "");
    playGame(ctx, &hero, 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find(exe), std::string::npos);
    EXPECT_TRUE(shell.starts.empty());
    fs.file(exe, test::makeRuntime({}, {}));

    shell.fullScreen = false;
    dialogs.shown.clear();
    dialogs.answers = {MsgResult::no, MsgResult::yes};
    playGame(ctx, &hero, 0);
    EXPECT_TRUE(shell.starts.empty());
    testPlay(ctx, &hero, 0);
    testPlay(ctx, &hero, 1);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(started(), exe + "|TestPlay ShowTitle Window|C:\\Games\\Hero\\;" + exe +
                             "|TestPlay ShowTitle Window|C:\\Games\\Hero\\;");

    shell.starts.clear();
    ctx.chosenCodePage = [](const std::string& folder) -> std::optional<int> {
        return folder == "C:\\Games\\Hero\\" ? std::optional<int>(949) : std::nullopt;
    };
    shell.making = true;
    playGame(ctx, &hero, 1);
    playGame(ctx, &hero, 1);
    testPlay(ctx, &other, 1);
    ASSERT_EQ(shell.waiting.size(), 2u);
    shell.making = false;
    for (auto& [key, then] : shell.waiting) {
        then();
    }
    ASSERT_EQ(shell.starts.size(), 2u);
    EXPECT_EQ(shell.starts[0].codePage, 949);
    EXPECT_EQ(shell.starts[1].codePage, 932);

    dialogs.shown.clear();
    shell.outcome = {false, 1, "The file Picture\\X cannot be opened."};
    playGame(ctx, &hero, 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
              exe + sj(" を起動できませんでした（終了コード 1）。\n\nWine の出力:\n") +
                  "The file Picture\\X cannot be opened.");
    EXPECT_EQ(dialogs.shown[0].caption, sj("ゲーム実行"));
}

TEST(LaunchPaths, BaseFolderAndProjectName) {
    const struct {
        std::string path, base, name;
    } rows[] = {
        {"C:\\Games\\Hero\\", "C:\\Games\\", "Hero"},
        {"C:\\Games\\Hero", "C:\\Games\\", "Hero"},
        {"D:\\", "D:\\", ""},
        {"D:", "D:\\", ""},
        {"Hero", "\\", "Hero"},
        {"C:\\" + sj("ゲーム\\表") + "\\", "C:\\" + sj("ゲーム\\"), sj("表")},
        {"C:\\" + sj("表"), "C:\\", sj("表")},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(projectBaseFolder(r.path), r.base) << r.path;
        EXPECT_EQ(projectFolderName(r.path), r.name) << r.path;
    }
}

struct Editor : Launch {
    const ProjectItem hero{"C:\\Games\\" + sj("勇者") + "\\", "t", pk2000};
    const std::string base = "C:\\Games\\";
    const std::string name = sj("勇者");

    void registerEditor(const std::string& key, const std::string& folder) {
        registry.keys[key]["ApplicationPath"] = folder;
    }
    std::string ini(const std::string& path) { return fs.files.count(path) ? fs.files[path] : ""; }
    std::string projectIni(const char* section) {
        return std::string("[") + section + "]\r\nProjectBasePath=" + base +
               "\r\nOpenedProjectFolder=" + name + "\r\n";
    }
    std::vector<std::string> registryWrites(const std::string& key) {
        return {key + "|ProjectBasePath=" + base, key + "|OpenedProjectFolder=" + name};
    }
};

TEST_F(Editor, ProductFolderComesFromTheFirstKeyAndOnlyTheLaterKeyIsWritten) {
    // Only the first publisher's key: the editor starts, its file is written, no registry.
    registerEditor(kAscii, "C:\\Ascii\\");
    openIn2000Editor(ctx, &hero, {});
    EXPECT_EQ(started(), "C:\\Ascii\\RPG2000.exe|0|C:\\Ascii\\;");
    EXPECT_EQ(ini("C:\\Ascii\\RPG2000.ini"), projectIni("RPG2000"));
    EXPECT_TRUE(registry.writes.empty());

    // Both: the folder of the first, the values to the later one.
    registerEditor(kEnterbrain, "C:\\Enterbrain\\");
    shell.starts.clear();
    openIn2000Editor(ctx, &hero, {});
    EXPECT_EQ(started(), "C:\\Ascii\\RPG2000.exe|0|C:\\Ascii\\;");
    EXPECT_EQ(registry.writes, registryWrites(kEnterbrain));
    EXPECT_FALSE(fs.files.count("C:\\Enterbrain\\RPG2000.ini"));

    // The later one alone.
    registry.keys.erase(kAscii);
    registry.writes.clear();
    shell.starts.clear();
    openIn2000Editor(ctx, &hero, {});
    EXPECT_EQ(started(), "C:\\Enterbrain\\RPG2000.exe|0|C:\\Enterbrain\\;");
    EXPECT_EQ(registry.writes, registryWrites(kEnterbrain));
    EXPECT_EQ(ini("C:\\Enterbrain\\RPG2000.ini"), projectIni("RPG2000"));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Editor, SettingsFileKeepsEverythingElse) {
    registerEditor(kEnterbrain, "C:\\E\\");
    fs.files["C:\\E\\RPG2000.ini"] =
        "; editor\r\n[Window]\r\nx=1\r\n[RPG2000]\r\nOpenedProjectFolder=old\r\nOther=2\r\n";
    openIn2000Editor(ctx, &hero, {});
    EXPECT_EQ(ini("C:\\E\\RPG2000.ini"), "; editor\r\n[Window]\r\nx=1\r\n[RPG2000]\r\n"
                                         "OpenedProjectFolder=" +
                                             name + "\r\nOther=2\r\nProjectBasePath=" + base +
                                             "\r\n");
}

TEST_F(Editor, TrialEditionUsesItsFolderAndLeavesTheRegistryAlone) {
    registerEditor(kEnterbrain, "C:\\E\\");
    openIn2000Editor(ctx, &hero, {true, "C:\\Trial\\"});
    EXPECT_EQ(started(), "C:\\Trial\\RPG2000T.exe|0|C:\\Trial\\;");
    EXPECT_EQ(ini("C:\\Trial\\RPG2000T.ini"), projectIni("RPG2000"));
    EXPECT_TRUE(registry.writes.empty());

    // The folder is used as it stands.
    shell.starts.clear();
    openIn2000Editor(ctx, &hero, {true, "C:\\Trial"});
    EXPECT_EQ(started(), "C:\\TrialRPG2000T.exe|0|C:\\;");

    // The 2003 command takes no notice of the trial setting.
    registerEditor(k2003, "C:\\2003\\");
    shell.starts.clear();
    openIn2003Editor(ctx, &hero);
    EXPECT_EQ(started(), "C:\\2003\\RPG2003.exe|0|C:\\2003\\;");
}

TEST_F(Editor, MessagesWhenNoEditorIsThere) {
    const struct {
        std::function<void()> command;
        const char* text;
    } rows[] = {
        {[&] { openIn2000Editor(ctx, &hero, {}); },
         "RPGツクール2000がインストールされていません。"},
        {[&] {
             openIn2000Editor(ctx, &hero, {true, ""});
         },
         "体験版を使用される場合は「環境設定」でパスの設定を行ってください。"},
        {[&] { openIn2003Editor(ctx, &hero); }, "RPGツクール2003がインストールされていません。"},
    };
    registerEditor(kEnterbrain, ""); // present but empty counts as absent
    for (const auto& r : rows) {
        dialogs.shown.clear();
        r.command();
        ASSERT_EQ(dialogs.shown.size(), 1u) << r.text;
        EXPECT_EQ(dialogs.shown[0].text, sj(r.text));
        EXPECT_EQ(dialogs.shown[0].caption, sj("RPGツクールで編集"));
        EXPECT_TRUE(dialogs.shown[0].icon == MsgIcon::warning);
    }
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_TRUE(fs.files.empty());
}

TEST_F(Editor, Rpg2003AlwaysWritesItsKeyThenItsFile) {
    registerEditor(k2003, "C:\\2003\\");
    openIn2003Editor(ctx, &hero);
    EXPECT_EQ(registry.writes, registryWrites(k2003));
    EXPECT_EQ(ini("C:\\2003\\RPG2003.ini"), projectIni("RPG2003"));
    EXPECT_EQ(started(), "C:\\2003\\RPG2003.exe|0|C:\\2003\\;");
}

TEST_F(Editor, DriveRootAndNinetyFiveRows) {
    registerEditor(kEnterbrain, "C:\\E\\");
    const ProjectItem root{"D:\\", "t", pkNone};
    openIn2000Editor(ctx, &root, {});
    EXPECT_EQ(ini("C:\\E\\RPG2000.ini"),
              "[RPG2000]\r\nProjectBasePath=D:\\\r\nOpenedProjectFolder=\r\n");
    EXPECT_EQ(registry.keys[kEnterbrain]["OpenedProjectFolder"], "");

    shell.starts.clear();
    registry.writes.clear();
    const ProjectItem old{"C:\\g95\\", "t", pk95};
    openIn2000Editor(ctx, &old, {});
    registerEditor(k2003, "C:\\2003\\");
    openIn2003Editor(ctx, &old);
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

// Registry, then settings file, then start: a failure stops the later effects.
TEST_F(Editor, AFailedEffectStopsTheLaterOnes) {
    registerEditor(kEnterbrain, "C:\\E\\");
    fs.failWrites.push_back("C:\\E\\RPG2000.ini");
    EXPECT_EQ(test::errorOf([&] { openIn2000Editor(ctx, &hero, {}); }),
              sj("C:\\E\\RPG2000.ini に書き込めません"));
    EXPECT_EQ(registry.writes, registryWrites(kEnterbrain)); // stays
    EXPECT_TRUE(shell.starts.empty());

    fs.failWrites.clear();
    registry.writes.clear();
    registry.failWrites.push_back("ProjectBasePath");
    EXPECT_EQ(test::errorOf([&] { openIn2000Editor(ctx, &hero, {}); }),
              sj("'ProjectBasePath' の設定に失敗しました"));
    EXPECT_FALSE(fs.files.count("C:\\E\\RPG2000.ini"));
    EXPECT_TRUE(shell.starts.empty());

    registry.failWrites = {"OpenedProjectFolder"};
    registerEditor(k2003, "C:\\2003\\");
    EXPECT_EQ(test::errorOf([&] { openIn2003Editor(ctx, &hero); }),
              sj("'OpenedProjectFolder' の設定に失敗しました"));
    EXPECT_TRUE(shell.starts.empty());
}

TEST_F(Editor, ApplicationPathThatIsNotAStringEndsTheCommand) {
    registerEditor(kEnterbrain, "C:\\E\\");
    registry.notStrings.push_back("ApplicationPath");
    EXPECT_EQ(test::errorOf([&] { openIn2000Editor(ctx, &hero, {}); }),
              sj("'ApplicationPath' のデータ型が不正です"));
    EXPECT_THROW(is2003EditorInstalled(registry), AppError);
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(fs.files.empty());

    registry.notStrings.clear();
    EXPECT_FALSE(is2003EditorInstalled(registry));
    registerEditor(k2003, "C:\\2003\\");
    EXPECT_TRUE(is2003EditorInstalled(registry));
}

} // namespace
} // namespace tavrin
