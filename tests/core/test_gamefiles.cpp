#include "launch/GameFiles.h"

#include "platform/Cp932.h"
#include "support/GameFileBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

using namespace tavrin;
using namespace tavrin::gamefiles;
using namespace tavrin::test;

namespace {

// Reads from a heap block of exactly the input's size, so that the sanitizer build sees a read
// past its end (a std::string has a terminator and often spare room after its bytes).
template <typename Read> auto readExact(Read read, std::string_view bytes) {
    const auto block = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.get());
    return read(std::string_view(block.get(), bytes.size()));
}

// Every prefix of a good file reads as nothing or as `fits` the whole file's reading, and random
// damage is read safely.
template <typename Read, typename Fits>
void expectSafeOnDamage(Read read, const std::string& good, Fits fits) {
    const auto whole = readExact(read, good);
    ASSERT_TRUE(whole);
    for (std::size_t n = 0; n < good.size(); ++n) {
        const auto cut = readExact(read, std::string_view(good).substr(0, n));
        if (cut) {
            EXPECT_TRUE(fits(*cut, *whole)) << "prefix of " << n;
        }
    }
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string bad = good;
        for (int k = 0; k < 3; ++k)
            bad[random() % bad.size()] = static_cast<char>(random() % 256);
        (void)readExact(read, bad);
    }
}

std::string palette() {
    std::string p;
    for (int i = 0; i < 256; ++i)
        p += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(i / 2)};
    return p;
}

std::uint32_t colour(unsigned index) {
    return index << 16 | (255 - index) << 8 | index / 2;
}

const auto same = [](const auto& cut, const auto& whole) { return cut == whole; };

bool samePicture(const Picture& cut, const Picture& whole) {
    return cut.width == whole.width && cut.height == whole.height && cut.rgb == whole.rgb;
}

// A program cut short keeps its headers: it names the first of its DLLs, and its version data
// whole or not at all.
bool partOfRuntime(const Runtime& cut, const Runtime& whole) {
    return cut.imports.size() <= whole.imports.size() &&
           std::equal(cut.imports.begin(), cut.imports.end(), whole.imports.begin()) &&
           ((cut.kind == whole.kind && cut.version == whole.version) ||
            (cut.kind == RuntimeKind::unknown && cut.version.empty()));
}

TEST(Xyz, PixelsTakeTheirPaletteColours) {
    const std::optional<Picture> picture =
        readExact(decodeXyz, makeXyz(3, 2, palette(), std::string("\0\1\xFF\x80\7\0", 6)));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    const std::vector<std::uint32_t> expected = {colour(0),    colour(1), colour(255),
                                                 colour(0x80), colour(7), colour(0)};
    EXPECT_EQ(picture->rgb, expected);
}

TEST(Xyz, SidesAreCheckedBeforeTheData) {
    const auto pixels = [](unsigned w, unsigned h) { return std::string(w * h, '\1'); };
    // The largest side is read; one more is refused even with all its pixels there.
    const std::optional<Picture> widest =
        decodeXyz(makeXyz(kLargestPictureSide, 1, palette(), pixels(kLargestPictureSide, 1)));
    ASSERT_TRUE(widest);
    EXPECT_EQ(widest->rgb.size(), static_cast<std::size_t>(kLargestPictureSide));
    const unsigned over = kLargestPictureSide + 1;
    const std::pair<const char*, std::string> rows[] = {
        {"too wide", makeXyz(over, 1, palette(), pixels(over, 1))},
        {"too high", makeXyz(1, over, palette(), pixels(1, over))},
        {"no width", makeXyz(0, 4, palette(), pixels(1, 4))},
        {"no height", makeXyz(4, 0, palette(), pixels(4, 1))},
        {"largest sides the header holds", makeXyz(65535, 65535, palette(), pixels(2, 2))},
    };
    for (const auto& [why, bytes] : rows) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(decodeXyz(bytes));
    }
}

TEST(Xyz, DamagedDataIsNoPicture) {
    const std::string good = makeXyz(4, 4, palette(), std::string(16, '\3'));
    const std::pair<const char*, std::string> rows[] = {
        {"empty", ""},
        {"header alone", good.substr(0, 8)},
        {"other magic", "XYZ2" + good.substr(4)},
        {"stream cut short", good.substr(0, good.size() - 5)},
        {"one pixel short", makeXyz(4, 4, palette(), std::string(15, '\3'))},
        {"palette alone", makeXyz(4, 4, palette(), "")},
        {"not zlib", xyzHeader(4, 4, std::string(800, '\x55'))},
    };
    for (const auto& [why, bytes] : rows) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(readExact(decodeXyz, bytes));
    }
    // What follows the pixels the header names is never inflated.
    const std::optional<Picture> longer =
        decodeXyz(makeXyz(2, 1, palette(), std::string(1, '\2') + std::string(1 << 20, '\5')));
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->rgb, std::vector<std::uint32_t>({colour(2), colour(5)}));
    expectSafeOnDamage(decodeXyz, good, samePicture);
}

TEST(TitlePicture, NamedByTheSystemChunk) {
    EXPECT_EQ(readExact(titlePictureName, makeLdb("Title1")), "Title1");
    EXPECT_EQ(readExact(titlePictureName, makeLdb(sj("タイトル画面"))), sj("タイトル画面"));
    // Numbers of all 32 bits are read: a chunk of the largest ID is passed over.
    const std::string ldb = makeLdb("Title1");
    const std::string big = lcfChunk(0xFFFFFFFFu, "x");
    EXPECT_EQ(titlePictureName(ldb.substr(0, 12) + big + ldb.substr(12)), "Title1");
}

TEST(TitlePicture, NothingFromWhatIsNoDatabaseOrNamesNone) {
    const std::string good = makeLdb("Title1");
    const std::size_t fields = good.find(lcfChunk(0x0B, "boat"));
    const std::size_t system = fields - 2;
    ASSERT_EQ(good[system], '\x16');
    const auto systemSize = static_cast<std::uint8_t>(good[system + 1]);
    // The System chunk claims one byte more than the file holds.
    std::string systemPastEnd = good.substr(0, fields + systemSize);
    systemPastEnd[system + 1] = static_cast<char>(systemSize + 1);
    // The title field claims more than its chunk holds, the file going on after it.
    std::string titlePastChunk = good + std::string(100, 'x');
    titlePastChunk[good.find(lcfChunk(0x11, "Title1")) + 1] = 0x30;
    // The System chunk's ID given 33 bits: 2^32 + 0x16.
    std::string overflow = good;
    overflow.replace(system, 1, std::string("\x90\x80\x80\x80\x16", 5));
    const std::pair<const char*, std::string> rows[] = {
        {"empty", ""},
        {"header alone", good.substr(0, 12)},
        {"another file's header", lcfNumber(10) + "LcfMapTree" + good.substr(12)},
        {"header longer than the file", std::string("\x7FLcfDataBase", 12)},
        {"no title field", makeLdb("")},
        {"no System chunk", lcfNumber(11) + "LcfDataBase" + lcfChunk(0x0B, "x")},
        {"System chunk past the end", systemPastEnd},
        {"title past its chunk", titlePastChunk},
        {"number past 32 bits", overflow},
        {"number never ends", good.substr(0, 12) + std::string(8, '\xFF')},
    };
    for (const auto& [why, bytes] : rows) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(readExact(titlePictureName, bytes));
    }
    expectSafeOnDamage(titlePictureName, good, same);
}

TEST(Runtime, KindAndVersionFromTheVersionData) {
    const struct {
        const char* why;
        std::vector<std::pair<std::string, std::u16string>> strings;
        RuntimeKind kind;
    } rows[] = {
        {"product 2003", {{"ProductName", u"RPG Maker 2003"}}, RuntimeKind::rpg2003},
        {"description 2000", {{"FileDescription", u"RPG_RT 2000"}}, RuntimeKind::rpg2000},
        {"full-width digits", {{"ProductName", u"ＲＰＧツクール２０００"}}, RuntimeKind::rpg2000},
        {"2003 wins over 2000",
         {{"ProductName", u"RPG Maker 2000"}, {"FileDescription", u"2003"}},
         RuntimeKind::rpg2003},
        {"other keys do not count", {{"Comments", u"2003"}}, RuntimeKind::unknown},
        {"no string table", {}, RuntimeKind::unknown},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const std::optional<Runtime> runtime = readExact(
            readRuntime, makeRuntime({"KERNEL32.dll"}, versionResource({1, 0, 8, 0}, row.strings)));
        ASSERT_TRUE(runtime);
        EXPECT_EQ(runtime->kind, row.kind);
        EXPECT_EQ(runtime->version, "1.0.8.0");
    }
    const std::optional<Runtime> bare = readExact(readRuntime, makeRuntime({"KERNEL32.dll"}, ""));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->kind, RuntimeKind::unknown);
    EXPECT_EQ(bare->version, "");
    const std::optional<Runtime> high =
        readRuntime(makeRuntime({}, versionResource({65535, 2, 300, 4}, {})));
    ASSERT_TRUE(high);
    EXPECT_EQ(high->version, "65535.2.300.4");
}

// A database cut short or damaged may have lost what only 2003 writes: it tells no edition.
TEST(Database, KindByWhatOnly2003WritesWhenReadWhole) {
    const std::string made2000 = makeLdb("Title1"), made2003 = makeLdb2003("Title1");
    std::string damagedSystem = made2000; // the title field claims more than its chunk holds
    damagedSystem[made2000.find(lcfChunk(0x11, "Title1")) + 1] = 0x30;
    const std::pair<std::string, RuntimeKind> rows[] = {
        {makeLdb2003("", true, false), RuntimeKind::rpg2003},
        {makeLdb2003("", false, true), RuntimeKind::rpg2003},
        {made2000.substr(0, made2000.find(lcfChunk(0x17, lcfNumber(0))) + 1), RuntimeKind::unknown},
        {damagedSystem, RuntimeKind::unknown},
        {lcfNumber(11) + "LcfDataBase" + lcfChunk(0x15, "x"), RuntimeKind::unknown},
        {lcfNumber(10) + "LcfMapTree" + made2000.substr(12), RuntimeKind::unknown},
    };
    for (const auto& [ldb, kind] : rows) {
        EXPECT_EQ(readExact(databaseKind, ldb), kind) << &ldb - &rows[0].first;
    }
    expectSafeOnDamage([](std::string_view b) { return std::optional(databaseKind(b)); }, made2003,
                       [](RuntimeKind cut, RuntimeKind whole) {
                           return cut == whole || cut == RuntimeKind::unknown;
                       });
}

TEST(Runtime, ImportsAsWritten) {
    const std::vector<std::string> dlls = {"KERNEL32.dll", "USER32.dll", "harmony.dll"};
    const std::string exe =
        makeRuntime(dlls, versionResource({1, 0, 8, 0}, {{"ProductName", u"RPG Maker 2003"}}));
    const std::optional<Runtime> runtime = readExact(readRuntime, exe);
    ASSERT_TRUE(runtime);
    EXPECT_EQ(runtime->imports, dlls);

    // The last name's section made to end before its terminator, the file too.
    const std::size_t name = exe.find("harmony.dll");
    const std::size_t idata = exe.find(".idata");
    const std::size_t raw = get32(exe, idata + 20);
    std::string unterminated = exe.substr(0, name + 11);
    set32(unterminated, idata + 16, static_cast<std::uint32_t>(name + 11 - raw));
    const std::optional<Runtime> cut = readExact(readRuntime, unterminated);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->imports, std::vector<std::string>({"KERNEL32.dll", "USER32.dll"}));
    EXPECT_EQ(cut->kind, RuntimeKind::rpg2003);

    // A table with no end, added at the end of the section, stops after a few hundred names.
    const std::size_t directory = 0x40 + 24 + 96 + 8;
    const std::uint32_t address = get32(exe, idata + 12);
    std::string endless = exe;
    for (int i = 0; i < 5000; ++i)
        endless += exe.substr(get32(exe, directory) - address + raw, 20);
    set32(endless, directory, static_cast<std::uint32_t>(address + exe.size() - raw));
    set32(endless, idata + 16, static_cast<std::uint32_t>(endless.size() - raw));
    set32(endless, idata + 8, static_cast<std::uint32_t>(endless.size() - raw));
    const std::optional<Runtime> bounded = readRuntime(endless);
    ASSERT_TRUE(bounded);
    EXPECT_GE(bounded->imports.size(), 100u);
    EXPECT_LE(bounded->imports.size(), 500u);
}

TEST(Runtime, NothingFromWhatIsNoThirtyTwoBitProgram) {
    const std::string version = versionResource({1, 0, 8, 0}, {{"ProductName", u"2003"}});
    const std::pair<const char*, std::string> rows[] = {
        {"empty", ""},
        {"MZ alone", "MZ"},
        {"64-bit", makePe(resourceDir({{std::uint16_t{16},
                                        resourceDir({{std::uint16_t{1}, resourceLang(version)}})}}),
                          true)},
        {"a picture", makeXyz(1, 1, palette(), std::string(1, '\0'))},
    };
    for (const auto& [why, bytes] : rows) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(readExact(readRuntime, bytes));
    }
    expectSafeOnDamage(readRuntime, makeRuntime({"KERNEL32.dll", "harmony.dll"}, version),
                       partOfRuntime);
}

// A 32-bit program as a real linker and resource compiler lay it out: Wine's console host.
TEST(Runtime, WineProgram) {
    const char* path = "/usr/lib/i386-linux-gnu/wine/i386-windows/conhost.exe";
    std::ifstream in(path, std::ios::binary);
    // 32-bit Wine is part of the set-up: a missing program is a fault of the machine.
    ASSERT_TRUE(in) << path << " missing; the set-up installs wine32:i386";
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const std::optional<Runtime> runtime = readRuntime(bytes);
    ASSERT_TRUE(runtime);
    EXPECT_EQ(std::count(runtime->version.begin(), runtime->version.end(), '.'), 3)
        << runtime->version;
    EXPECT_NE(runtime->version, "0.0.0.0");
    EXPECT_NE(std::find(runtime->imports.begin(), runtime->imports.end(), "kernel32.dll"),
              runtime->imports.end());
    EXPECT_EQ(runtime->kind, RuntimeKind::unknown);
}

TEST(FullPackage, FlagInTheRuntimesSection) {
    const std::string title = "GameTitle=" + sj("勇者の旅");
    const std::pair<std::string, bool> rows[] = {
        {"[RPG_RT]\r\n" + title + "\r\nFullPackageFlag=1\r\n", true},
        {"[RPG_RT]\n" + title + "\nFullPackageFlag=1", true},
        {"[rpg_rt]\r\nfullpackageflag = 1\r\n", true},
        {"[RPG_RT]\r\nFullPackageFlag=0\r\n", false},
        {"[RPG_RT]\r\n" + title + "\r\n", false},
        {"[Other]\r\nFullPackageFlag=1\r\n[RPG_RT]\r\n", false},
        {"", false},
    };
    for (const auto& [ini, full] : rows) {
        SCOPED_TRACE(ini);
        EXPECT_EQ(isFullPackage(ini), full);
    }
}

} // namespace
