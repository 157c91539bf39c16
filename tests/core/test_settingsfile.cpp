#include "app/core/SettingsFile.h"
#include "app/core/WindowLayout.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/MulDiv.h"
#include "platform/ProfileFile.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

std::string crlf(std::string lines) {
    std::string out;
    for (char c : lines) {
        out += c == '|' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

UserSettings sampleRecord() {
    UserSettings r;
    r.basic = {true, true, false, 1, 3, false};
    r.list.rowSelect = false;
    r.list.gridLines = true;
    r.list.hotTrack = true;
    r.list.bgColorOn = true;
    r.list.listIconPath = {"C:\\a.ico", "C:\\b.exe"};
    r.trial = {true, "C:\\Try\\"};
    r.search = {"D:\\Games\\", false, true, mk95};
    r.bars.nmlBarVisible = false;
    r.bars.aplBarVisible = true;
    r.bars.gazBarVisible = true;
    r.bars.gazToolPath = {"C:\\act\\", "C:\\ccc\\", "C:\\luk\\", "C:\\myw\\"};
    for (int n = 1; n <= 8; ++n) {
        r.bars.aplButtons[static_cast<std::size_t>(n - 1)] = {"C:\\p" + std::to_string(n) + ".exe",
                                                              n % 2 == 1};
    }
    return r;
}

WindowLayout sampleLayout() {
    WindowLayout w;
    w.position = WindowLayout::Position{10, 20, 640, 480};
    w.columns = WindowLayout::Columns{300, 120};
    w.toolBarPos = WindowLayout::ToolBarPos{{1, 2}, {3, 4}, {5, 6}};
    w.listFont = WindowLayout::ListFont{sj("ＭＳ Ｐ明朝"), kWindowTextColour, 10};
    w.tree = WindowLayout::Tree{180, 3};
    return w;
}

// The sample written from scratch: record keys first, then the layout.
// clang-format off
const std::string kSampleFile = crlf(
    "[B_Setting]|position=1|tasktray=1|invisible=0|startsize=1|dblclick=3|gdirenderer=0|"
    "[L_Setting]|rowselect=0|gridline=1|hottrack=1|bgcolor=1|"
    "[ListView]|Icon[0]=C:\\a.ico|Icon[1]=C:\\b.exe|BGColor=1193046|FontName=" + sj("ＭＳ Ｐ明朝") +
    "|FontColor=-2147483640|FontSize=10|"
    "[Try_Setting]|use=1|path=C:\\Try\\|"
    "[Columns]|colum1=300|colum2=120|"
    "[RPGSearch]|Fpath=D:\\Games\\|Insert=0|DupChk=1|Match_2k=0|Match_95=1|"
    "[ToolBar]|Nml=0|Apl=1|Gaz=1|"
    "[AplBar]|AplButton1=C:\\p1.exe|AplChk1=1|AplButton2=C:\\p2.exe|AplChk2=0|"
    "AplButton3=C:\\p3.exe|AplChk3=1|AplButton4=C:\\p4.exe|AplChk4=0|"
    "AplButton5=C:\\p5.exe|AplChk5=1|AplButton6=C:\\p6.exe|AplChk6=0|"
    "AplButton7=C:\\p7.exe|AplChk7=1|AplButton8=C:\\p8.exe|AplChk8=0|"
    "[GazBar]|act_Path=C:\\act\\|ccc_Path=C:\\ccc\\|luk_Path=C:\\luk\\|myw_Path=C:\\myw\\|"
    "[Position]|disx=10|disy=20|winx=640|winy=480|"
    "[ToolBarPos]|NmlPosx=1|NmlPosy=2|AplPosx=3|AplPosy=4|GazPosx=5|GazPosy=6|"
    "[TreeView]|Index=3|Width=180|");
// clang-format on

void saveAll(ProfileFile& file, const UserSettings& r, const WindowLayout& w, Colour listColour) {
    writeSettingsFile(file, r);
    writeWindowLayout(file, w, r, listColour);
}

TEST(Settings, EmptyFileGivesDefaultsAndNoLayout) {
    const ProfileFile empty;
    UserSettings r;
    readSettingsFile(empty, r);
    UserSettings defaults;
    // A file from before the renderer choice starts games as they run.
    defaults.basic = {true, false, true, 0, 0, true};
    defaults.list = {true, true, false, false, 0xFFFFFF, {}};
    defaults.search = {"", true, true, mk2000};
    defaults.bars.nmlBarVisible = true;
    EXPECT_EQ(r, defaults);

    WindowLayout w = readWindowLayout(empty, 200);
    EXPECT_FALSE(w.position || w.columns || w.toolBarPos || w.listFont || w.tree);
}

TEST(Settings, WrittenFromScratchInFileOrderAndStableOverLoadAndSave) {
    ProfileFile file;
    saveAll(file, sampleRecord(), sampleLayout(), 0x123456);
    ASSERT_EQ(file.bytes(), kSampleFile);

    UserSettings r;
    readSettingsFile(file, r);
    WindowLayout w = readWindowLayout(file, 0);
    ProfileFile fresh;
    saveAll(fresh, r, w, r.list.bgColor);
    EXPECT_EQ(fresh.bytes(), kSampleFile);
    saveAll(file, r, w, r.list.bgColor);
    EXPECT_EQ(file.bytes(), kSampleFile);
}

TEST(Settings, HandWrittenFileKeepsItsOwnLines) {
    const std::string own[] = {"; edited by hand\r\n", "Comment=kept\r\n",
                               "[Extra]\nanything goes\n"};
    ProfileFile file(own[0] + "[B_Setting]\r\ntasktray=1\r\ninvisible=0\r\n" + own[1] +
                     "[ListView]\r\nBGColor=0x00FF00\r\nFontColor=-2147483640\r\n"
                     "[RPGSearch]\r\nMatch_2k=0\r\nMatch_95=0\r\n" +
                     own[2]);
    UserSettings r;
    readSettingsFile(file, r);
    EXPECT_TRUE(r.basic.tasktray);
    EXPECT_FALSE(r.basic.invisible);
    EXPECT_EQ(r.list.bgColor, 0x00FF00u);
    EXPECT_EQ(r.search.matchKinds, 0u);
    WindowLayout w = readWindowLayout(file, 150);
    ASSERT_TRUE(w.listFont);
    EXPECT_EQ(w.listFont->name, sj("ＭＳ Ｐゴシック"));
    EXPECT_EQ(w.listFont->color, kWindowTextColour);
    EXPECT_EQ(w.listFont->size, 9);
    EXPECT_FALSE(w.tree);

    WindowLayout now = sampleLayout();
    now.listFont = w.listFont;
    saveAll(file, r, now, 0x123456);
    for (const std::string& line : own) {
        EXPECT_NE(file.bytes().find(line), std::string::npos) << line;
    }
    const std::string written[] = {"tasktray=1\r\n", "invisible=0\r\n", "BGColor=16777215\r\n",
                                   "FontColor=-2147483640\r\n", "Match_2k=0\r\n"};
    for (const std::string& line : written) {
        EXPECT_NE(file.bytes().find(line), std::string::npos) << line;
    }
}

TEST(Settings, LayoutBlocksFollowTheirSections) {
    ProfileFile file("[Position]\r\nwinx=0\r\n[TreeView]\r\n[Position]\r\nwinx=7\r\n");
    WindowLayout w = readWindowLayout(file, 123);
    ASSERT_TRUE(w.position && w.tree);
    EXPECT_EQ(w.position->width, 0);
    EXPECT_EQ(w.tree->width, 123);
    EXPECT_EQ(w.tree->index, 0);

    UserSettings r = sampleRecord();
    r.basic.position = false;
    saveAll(file, r, sampleLayout(), 0);
    EXPECT_FALSE(file.sectionExists("Position"));
    EXPECT_EQ(file.bytes().find("disx"), std::string::npos);
}

TEST(Settings, ProfileOnDisk) {
    const std::string path = "Z:\\app\\Tavrin.ini";
    test::MemoryFileSystem fs;
    EXPECT_EQ(readProfile(fs, path).bytes(), "");
    fs.files[path] = "[A]\r\na=1\r\n";
    fs.unreadable.push_back(path);
    EXPECT_EQ(readProfile(fs, path).bytes(), "");
    fs.unreadable.clear();

    ProfileFile file = readProfile(fs, path);
    fs.failWrites.push_back(path);
    EXPECT_NO_THROW(writeProfile(fs, path, file)); // unchanged: no write is attempted

    file.writeString("A", "a", "2");
    EXPECT_EQ(test::errorOf([&] { writeProfile(fs, path, file); }), path + sj(" に書き込めません"));
    EXPECT_EQ(fs.files[path], "[A]\r\na=1\r\n");

    fs.failWrites.clear();
    writeProfile(fs, path, file);
    EXPECT_EQ(fs.files[path], "[A]\r\na=2\r\n");
}

struct PlaceRow {
    WindowLayout::Position stored; // top, left, width, height as the file holds them
    ScreenRect expected;
};

bool same(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

TEST(Settings, RestoredWindowStaysWhereItCanBeReached) {
    const std::vector<ScreenRect> screens = {{0, 0, 1024, 768}, {1024, 0, 800, 600}};
    const PlaceRow rows[] = {
        // On a screen, or with its caption reachable: as stored.
        {{10, 20, 707, 369}, {20, 10, 707, 369}},
        {{0, 1500, 707, 369}, {1500, 0, 707, 369}},     // on the second screen
        {{700, -600, 707, 369}, {-600, 700, 707, 369}}, // mostly off, caption in reach
        {{5, 5, 0, 0}, {5, 5, 0, 0}},                   // width 0 is applied as given
        // Off every screen: onto the nearest, whole.
        {{32767, 0, 707, 369}, {0, 399, 707, 369}},
        {{0, -32767, 707, 369}, {0, 0, 707, 369}},
        {{32767, -32767, 707, 369}, {0, 399, 707, 369}},
        {{100, 5000, 707, 369}, {1117, 100, 707, 369}},
        {{-30, 10, 707, 369}, {10, 0, 707, 369}},       // caption above the top
        {{100, 1000, 707, 369}, {1000, 100, 707, 369}}, // across both screens, caption on one
        {{100, 1010 - 707 + 20, 707, 369}, {323, 100, 707, 369}},
        {{-5000, 99999, 0, 0}, {1824 - 32, 0, 0, 0}}, // no size: its grip stays on screen
        // Extreme numbers never overflow; no window is larger than the desktop.
        {{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, {1024, 0, 800, 600}},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0, 1024, 768}},
        {{0, 0, INT32_MAX, INT32_MAX}, {0, 0, 1824, 768}},
    };
    for (const PlaceRow& r : rows) {
        const ScreenRect got = placeOnScreen(r.stored, screens);
        EXPECT_TRUE(same(got, r.expected))
            << r.stored.top << "," << r.stored.left << " -> " << got.left << "," << got.top << " "
            << got.width << "x" << got.height;
    }
    // Without a screen to go by, the stored place stands.
    EXPECT_TRUE(same(placeOnScreen({1, 2, 3, 4}, {}), {2, 1, 3, 4}));
}

} // namespace
} // namespace tavrin

// The list font's size goes between points and pixels as Windows' MulDiv takes it: halves away
// from zero, and -1 where it has no answer.
TEST(Settings, FontSizesRoundAsWindowsDoes) {
    EXPECT_EQ(tavrin::mulDiv(9, 96, 72), 12);
    EXPECT_EQ(tavrin::mulDiv(13, 72, 96), 10);
    EXPECT_EQ(tavrin::mulDiv(3, 1, 2), 2);
    EXPECT_EQ(tavrin::mulDiv(-3, 1, 2), -2);
    EXPECT_EQ(tavrin::mulDiv(1, 1, 0), -1);
    EXPECT_EQ(tavrin::mulDiv(INT32_MAX, 2, 1), -1);
}
