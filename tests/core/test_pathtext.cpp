#include "platform/PathText.h"

#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavrin::pathtext;
using tavrin::cp932::lastCharStart;

namespace {

// "表" is 0x95 0x5C and "ソ" is 0x83 0x5C: their second byte is not a backslash.
#define HYO "\x95\x5C"
#define SO "\x83\x5C"

struct PathRow {
    const char* path;
    bool trailing;
    const char* with;
    const char* without;
    const char* folder;
    const char* name;
    const char* ext;
};

// clang-format off
const PathRow kPaths[] = {
    // path                  trailing  with                     without              folder                name          ext
    {"C:\\Games\\Hero\\",    true,  "C:\\Games\\Hero\\",     "C:\\Games\\Hero",     "C:\\Games\\Hero\\",  "",           ""},
    {"C:\\Games\\Hero",      false, "C:\\Games\\Hero\\",     "C:\\Games\\Hero",     "C:\\Games\\",        "Hero",       ""},
    {"C:\\Games\\RPG_RT.EXE", false, "C:\\Games\\RPG_RT.EXE\\", "C:\\Games\\RPG_RT.EXE", "C:\\Games\\",    "RPG_RT.EXE", ".EXE"},
    {"C:\\a\\\\",            true,  "C:\\a\\\\",             "C:\\a\\",             "C:\\a\\\\",          "",           ""},
    {"C:\\",                 true,  "C:\\",                  "C:",                  "C:\\",               "",           ""},
    {"C:",                   false, "C:\\",                  "C:",                  "C:",                 "",           ""},
    {"C:a.b.txt",            false, "C:a.b.txt\\",           "C:a.b.txt",           "C:",                 "a.b.txt",    ".txt"},
    {"",                     false, "\\",                    "",                    "",                   "",           ""},
    {"Hero",                 false, "Hero\\",                "Hero",                "",                   "Hero",       ""},
    {"C:\\v1.2\\file",       false, "C:\\v1.2\\file\\",      "C:\\v1.2\\file",      "C:\\v1.2\\",         "file",       ""},
    {"C:\\.hidden",          false, "C:\\.hidden\\",         "C:\\.hidden",         "C:\\",               ".hidden",    ".hidden"},
    {"C:\\name.",            false, "C:\\name.\\",           "C:\\name.",           "C:\\",               "name.",      "."},
    {"\\\\srv\\share\\x.ini", false, "\\\\srv\\share\\x.ini\\", "\\\\srv\\share\\x.ini", "\\\\srv\\share\\", "x.ini",     ".ini"},
    {HYO,                    false, HYO "\\",                HYO,                   "",                   HYO,          ""},
    {"C:\\" SO,              false, "C:\\" SO "\\",          "C:\\" SO,             "C:\\",               SO,           ""},
    {"C:\\" SO "\\",         true,  "C:\\" SO "\\",          "C:\\" SO,             "C:\\" SO "\\",       "",           ""},
    {"C:\\" HYO "x.txt",     false, "C:\\" HYO "x.txt\\",    "C:\\" HYO "x.txt",    "C:\\",               HYO "x.txt",  ".txt"},
    {"C:\\" HYO "\\a.b",     false, "C:\\" HYO "\\a.b\\",    "C:\\" HYO "\\a.b",    "C:\\" HYO "\\",      "a.b",        ".b"},
    {"C:\\a\\\xB1\\",        true,  "C:\\a\\\xB1\\",         "C:\\a\\\xB1",         "C:\\a\\\xB1\\",      "",           ""},
    // A lead byte alone at the end (not CP932) is never a separator and goes when one is added.
    {"C:\\abc\x95",          false, "C:\\abc\\",             "C:\\abc\x95",          "C:\\",               "abc\x95",     ""},
    {"\x81",                 false, "\\",                    "\x81",                 "",                   "\x81",        ""},
    {"C:\\\x81\x81\x81",     false, "C:\\\x81\x81\\",        "C:\\\x81\x81\x81",     "C:\\",               "\x81\x81\x81", ""},
    {"C:\\a." HYO "\xE0",    false, "C:\\a." HYO "\\",       "C:\\a." HYO "\xE0",    "C:\\",               "a." HYO "\xE0", "." HYO "\xE0"},
};
// clang-format on

TEST(PathText, Rules) {
    for (const PathRow& row : kPaths) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(hasTrailingBackslash(row.path), row.trailing);
        EXPECT_EQ(withTrailingBackslash(row.path), row.with);
        EXPECT_EQ(withoutTrailingBackslash(row.path), row.without);
        EXPECT_EQ(folderPart(row.path), row.folder);
        EXPECT_EQ(namePart(row.path), row.name);
        EXPECT_EQ(extension(row.path), row.ext);
    }
}

// Any bytes at all, valid CP932 or not: the separator rules still hold together.
TEST(PathText, RulesHoldForAnyBytes) {
    const std::string alphabet = "\\:.aA" HYO "\x81\xE0\xFC\xB1\x40";
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> length(0, 8);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string x;
        for (std::size_t n = length(random); n > 0; --n)
            x += alphabet[pick(random)];
        SCOPED_TRACE(x);
        const std::string with = withTrailingBackslash(x);
        ASSERT_TRUE(hasTrailingBackslash(with));
        EXPECT_EQ(withTrailingBackslash(with), with);
        if (hasTrailingBackslash(x)) {
            EXPECT_EQ(with, x);
            EXPECT_EQ(withoutTrailingBackslash(x) + '\\', x);
        } else {
            const bool loneLead = !x.empty() && x.size() - 1 == lastCharStart(x) &&
                                  tavrin::cp932::isLeadByte(static_cast<unsigned char>(x.back()));
            EXPECT_EQ(withoutTrailingBackslash(with), loneLead ? x.substr(0, x.size() - 1) : x);
        }
        EXPECT_EQ(folderPart(x) + namePart(x), x);
        EXPECT_EQ(folderPart(with), with);
        EXPECT_TRUE(sameName(x, x));
    }
}

TEST(PathText, SameNameFoldsOnlyAsciiLetters) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } rows[] = {
        {"RPG_RT.EXE", "rpg_rt.exe", true},
        {".Exe", ".eXE", true},
        {"", "", true},
        {"abc", "abcd", false},
        {"a_b", "a_B", true},
        {"[", "{", false}, // the bytes after "Z" and "z" are not letters
        {"\\", "|", false},
        {"]^", "}^", false},
        {"^_", "~_", false},
        {"_", "\x7F", false},
        {"@", "`", false},
        {"\x83\x41", "\x83\x61", false}, // "ア" and "ヂ": trail bytes look like "A" and "a"
        {"\x82\x60", "\x82\x81", false}, // full-width "Ａ" and "ａ" stay apart
        {HYO "A", HYO "a", true},
        {"\xB1", "\xB1", true},
        {"a\x81", "A\x81", true}, // a lead byte alone at the end
        {"a\x81", "a\x82", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " | " + row.b);
        EXPECT_EQ(sameName(row.a, row.b), row.same);
    }
}

} // namespace
