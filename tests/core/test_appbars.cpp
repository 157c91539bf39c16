#include "launch/AppBars.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace tavrin;
using test::NamedIcons;

namespace {

using test::MemoryFileSystem;

struct Launcher : test::FakeServices {
    LaunchContext ctx{shell, dialogs, registry, fs};
};

TEST(iconForPath, TakesTheFirstRuleThatAppliesAndFallsBackOnEveryFailure) {
    MemoryFileSystem fs;
    fs.folders = {"C:\\Tools", "http:\\\\folder"};
    fs.files = {{"C:\\a\\game.EXE", "x"},
                {"C:\\a\\bare.exe", "x"},
                {"C:\\a\\readme.txt", "x"},
                {"C:\\a\\noext", "x"},
                {"C:\\a\\" + sj("表.exe"), "x"}};
    NamedIcons icons;
    icons.files = {"C:\\a\\game.EXE", "C:\\a\\" + sj("表.exe")};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "fallback"},
        {"http://example.org/", "web:"},
        {"HTTP://example.org/", "web:"},
        {"hTtP:", "web:"},
        // The secure scheme's fifth character is "s", not the colon.
        {"https://example.org/", "fallback"},
        {"http", "fallback"},
        {"C:\\Tools", "folder:"},
        // An existing folder is a folder whatever its name looks like.
        {"http:\\\\folder", "folder:"},
        {"C:\\a\\game.EXE", "file:C:\\a\\game.EXE"},
        {"C:\\a\\" + sj("表.exe"), "file:C:\\a\\" + sj("表.exe")},
        // A program without icon resources.
        {"C:\\a\\bare.exe", "fallback"},
        {"C:\\a\\readme.txt", "document:C:\\a\\readme.txt"},
        {"C:\\a\\noext", "document:C:\\a\\noext"},
        {"C:\\a\\missing.exe", "fallback"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(iconForPath(fs, icons, path), expected) << path;
    }

    icons.desktopFails = true;
    for (const std::string path : {"http://example.org/", "C:\\Tools", "C:\\a\\readme.txt"}) {
        EXPECT_EQ(iconForPath(fs, icons, path), "fallback") << path;
    }
}

TEST(PlanBars, EveryButtonGetsItsIconInOrderWhetherShownOrNot) {
    MemoryFileSystem fs;
    NamedIcons icons;
    BarSettings bars;
    bars.nmlBarVisible = true;
    bars.aplBarVisible = true;
    bars.gazBarVisible = true;
    for (std::size_t i = 0; i < 8; ++i) {
        bars.aplButtons[i].path = "C:\\p" + std::to_string(i + 1) + ".exe";
        icons.files.push_back(bars.aplButtons[i].path);
        fs.files[bars.aplButtons[i].path] = "x";
    }

    // Nothing shown: both bars hidden with width 0 whatever the settings say.
    BarsPlan none = planBars(bars, fs, icons);
    EXPECT_EQ(none.aplCount, 0);
    EXPECT_EQ(none.aplWidth(), 0);
    EXPECT_FALSE(none.aplVisible);
    EXPECT_EQ(none.gazWidth(), 0);
    EXPECT_FALSE(none.gazVisible);
    EXPECT_TRUE(none.nmlVisible);

    bars.aplButtons[1].shown = true;
    bars.aplButtons[4].shown = true;
    icons.asked.clear();
    const BarsPlan plan = planBars(bars, fs, icons);
    EXPECT_EQ(plan.aplCount, 2);
    EXPECT_EQ(plan.aplWidth(), 50);
    EXPECT_TRUE(plan.aplVisible);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(plan.apl[i].shown, i == 1 || i == 4) << i;
        EXPECT_EQ(plan.apl[i].icon, "file:" + bars.aplButtons[i].path) << i;
        EXPECT_EQ(plan.apl[i].hint, bars.aplButtons[i].path) << i;
    }
    ASSERT_EQ(icons.asked.size(), 8u);
    EXPECT_EQ(icons.asked[4], "file:C:\\p5.exe");
    // A missing tool still has its picture, so the next tool's button shows its own.
    for (const BarButtonPlan& tool : plan.gaz) {
        EXPECT_EQ(tool.icon, "fallback");
    }

    // A shown entry without a path is a visible button with the fallback icon.
    bars.aplButtons[6] = {"", true};
    const BarsPlan blank = planBars(bars, fs, icons);
    EXPECT_TRUE(blank.apl[6].shown);
    EXPECT_EQ(blank.apl[6].icon, "fallback");
    EXPECT_EQ(blank.apl[6].hint, "");
    EXPECT_EQ(blank.aplWidth(), 75);

    // The settings ask for a hidden bar: it stays hidden although it has buttons.
    bars.aplBarVisible = false;
    bars.nmlBarVisible = false;
    const BarsPlan hidden = planBars(bars, fs, icons);
    EXPECT_FALSE(hidden.aplVisible);
    EXPECT_EQ(hidden.aplWidth(), 75);
    EXPECT_FALSE(hidden.nmlVisible);
}

TEST(PlanBars, AToolShowsWhenItsProgramIsInItsFolder) {
    MemoryFileSystem fs;
    NamedIcons icons;
    fs.files = {{"C:\\Gaz\\actview.exe", "x"}, {"D:\\" + sj("ツール") + "\\mywin.exe", "x"}};
    icons.files = {"C:\\Gaz\\actview.exe"};
    BarSettings bars;
    bars.gazBarVisible = true;
    bars.gazToolPath = {"C:\\Gaz", "C:\\Gaz\\", "C:\\Gaz\\", "D:\\" + sj("ツール") + "\\"};
    BarsPlan plan = planBars(bars, fs, icons);
    EXPECT_TRUE(plan.gaz[0].shown);
    EXPECT_EQ(plan.gaz[0].hint, "actview");
    EXPECT_EQ(plan.gaz[0].icon, "file:C:\\Gaz\\actview.exe");
    EXPECT_FALSE(plan.gaz[1].shown);
    EXPECT_EQ(plan.gaz[1].hint, "");
    EXPECT_EQ(plan.gaz[1].icon, "fallback");
    EXPECT_FALSE(plan.gaz[2].shown);
    EXPECT_TRUE(plan.gaz[3].shown);
    EXPECT_EQ(plan.gaz[3].hint, "mywin");
    EXPECT_EQ(plan.gazCount, 2);
    EXPECT_EQ(plan.gazWidth(), 50);
    EXPECT_TRUE(plan.gazVisible);

    // With and without the trailing backslash, one separator.
    bars.gazToolPath[0] = "C:\\Gaz\\";
    EXPECT_TRUE(planBars(bars, fs, icons).gaz[0].shown);
    EXPECT_EQ(gazToolPath("", "actview.exe"), "\\actview.exe");
    // A folder whose last character's trail byte is 0x5C still gets its separator.
    EXPECT_EQ(gazToolPath(sj("表"), "x"), sj("表") + "\\x");
}

// The "0" goes to Windows programs only: a program of the host would take it for a file.
TEST(BarClicks, StartThroughTheShellWithZeroForWindowsPrograms) {
    Launcher l;
    startAppButton(l.ctx, "");
    EXPECT_TRUE(l.shell.starts.empty());

    startGazTool(l.ctx, 1, "D:\\T");
    startGazTool(l.ctx, 3, "D:\\T\\");
    l.shell.ready.throughWine = false;
    startAppButton(l.ctx, "https://example.org/");
    startAppButton(l.ctx, "Z:\\usr\\local\\bin\\tool.sh");
    EXPECT_EQ(l.shell.started(), "D:\\T\\ccclip|0|D:\\T\\;D:\\T\\mywin|0|D:\\T\\;"
                                 "https://example.org/||https:;"
                                 "Z:\\usr\\local\\bin\\tool.sh||Z:\\usr\\local\\bin\\;");

    l.shell.result = 2;
    startAppButton(l.ctx, "C:\\gone.exe");
    ASSERT_EQ(l.dialogs.shown.size(), 1u);
    EXPECT_EQ(l.dialogs.shown[0].text, sj("指定されたアプリケーション・ファイルを開けません。"));
}

TEST(BarClicks, ActviewLearnsTheFocusedProjectFromItsSettingsFile) {
    Launcher l;
    ProjectItem hero;
    hero.path = "C:\\Games\\Hero\\";
    startActview(l.ctx, "C:\\Gaz", &hero);
    EXPECT_EQ(l.fs.files["C:\\Gaz\\actview.ini"], "[System]\r\nPath=C:\\Games\\Hero\r\n");
    ASSERT_EQ(l.shell.starts.size(), 1u);
    EXPECT_EQ(l.shell.starts[0].file, "C:\\Gaz\\actview");
    EXPECT_EQ(l.shell.starts[0].parameters, "0");

    // The key is replaced; everything else of the file stays.
    l.fs.files["C:\\Gaz\\actview.ini"] =
        "; mine\r\n[system]\r\nzoom=2\r\npath=old\r\n[Window]\r\nx=1\r\n";
    hero.path = "C:\\" + sj("表") + "\\";
    startActview(l.ctx, "C:\\Gaz\\", &hero);
    EXPECT_EQ(l.fs.files["C:\\Gaz\\actview.ini"],
              "; mine\r\n[system]\r\nzoom=2\r\nPath=C:\\" + sj("表") + "\r\n[Window]\r\nx=1\r\n");

    // Without a focused row the file is left as it is.
    const std::string before = l.fs.files["C:\\Gaz\\actview.ini"];
    startActview(l.ctx, "C:\\Gaz", nullptr);
    EXPECT_EQ(l.fs.files["C:\\Gaz\\actview.ini"], before);
    EXPECT_EQ(l.shell.starts.size(), 3u);

    // A file that cannot be written is reported, and actview does not start.
    l.fs.failWrites = {"C:\\Gaz\\actview.ini"};
    hero.path = "C:\\Other\\";
    EXPECT_THROW(startActview(l.ctx, "C:\\Gaz", &hero), AppError);
    EXPECT_EQ(l.shell.starts.size(), 3u);
}

} // namespace
