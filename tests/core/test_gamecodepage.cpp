#include "launch/GameCodePage.h"

#include "platform/CodePages.h"
#include "platform/Cp932.h"
#include "support/ExactBytes.h"
#include "support/GameFileBuilders.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tavrin;
using namespace tavrin::test;

namespace {

struct Named {
    int codePage;
    std::string name; // UTF-8
};

std::vector<std::string> stored(const std::vector<Named>& names) {
    std::vector<std::string> bytes;
    for (const Named& n : names)
        bytes.push_back(codepage::fromUtf8(n.codePage, n.name).value());
    return bytes;
}

bool isCandidate(int codePage) {
    return std::count(codepage::kCandidates.begin(), codepage::kCandidates.end(), codePage) == 1;
}

struct Game {
    const char* what;
    std::vector<std::string> files; // on disk, UTF-8, without extension
    std::vector<Named> ldb, lmt;
    int expected;
};

TEST(GameCodePage, TheCodePageNamingTheMostFilesWins) {
    std::string longName; // its length takes two bytes
    for (int i = 0; i < 50; ++i)
        longName += "Щит";
    // clang-format off
    const Game games[] = {
        // what                    files on disk          named in the database               in the map tree       expected
        {"Japanese",               {"勇者", "魔王の城", "Hero"}, {{932, "勇者"}, {932, "Hero"}},      {{932, "魔王の城"}},   932},
        {"German, spelled alike in 1250: the earlier wins",
                                   {"Schlüssel", "Türöffner"}, {{1252, "Schlüssel"}},            {{1252, "Türöffner"}}, 1252},
        {"French, upper case",     {"Café"},                {{1252, "CAFÉ"}},                   {},                   1252},
        {"Polish",                 {"Łódź", "Źródło"},      {{1250, "Łódź"}, {1250, "Źródło"}}, {},                   1250},
        {"Russian in upper case",  {"меч", "замок"},        {{1251, "МЕЧ"}},                    {{1251, "ЗАМОК"}},    1251},
        {"Simplified Chinese",     {"勇者之剑", "魔法"},     {{936, "勇者之剑"}, {936, "魔法"}},   {},                   936},
        {"Traditional Chinese",    {"勇者之劍", "魔法師"},   {{950, "勇者之劍"}},                 {{950, "魔法師"}},    950},
        {"Korean",                 {"용사", "마왕"},         {{949, "용사"}, {949, "마왕"}},      {},                   949},
        {"double-byte Cyrillic in upper case", {"меч"},    {{949, "МЕЧ"}},                     {},                   949},
        {"full-width in upper case", {"ｈｅｒｏ"},          {{936, "ＨＥＲＯ"}},                 {},                   936},
        {"more names over the earlier code page",
                                   {"Меч", "Łódź", "Źródło"}, {{1251, "Меч"}, {1250, "Łódź"}, {1250, "Źródło"}}, {}, 1250},
        {"a name counts once, in any case",
                                   {"Меч", "МЕЧ", "меч", "Łódź", "Źródło"},
                                   {{1251, "Меч"}, {1251, "МЕЧ"}, {1250, "Łódź"}, {1250, "Źródło"}}, {},            1250},
        {"ASCII names decide nothing", {"Hero", "Castle"},  {{1252, "Hero"}, {1252, "Castle"}}, {},                   932},
        {"part of a longer string names nothing",
                                   {"Меч", "Щит"},          {{1251, "Меч2"}, {1251, "Щит щит"}}, {},                  932},
        {"a name of 150 bytes",    {longName},              {{1251, longName}},                 {},                   1251},
        {"nothing named",          {"Меч"},                 {},                                 {},                   932},
    };
    // clang-format on
    for (const Game& g : games) {
        const ExactBytes ldb(makeLdbNaming(stored(g.ldb)));
        const ExactBytes lmt(makeLmt(stored(g.lmt)));
        EXPECT_EQ(gamecodepage::decide(ldb.view(), lmt.view(), g.files), g.expected) << g.what;
    }
}

TEST(GameCodePage, DamagedFilesNameNothingFalse) {
    const std::vector<std::string> files = {"Замок", "Зам"};
    const std::string ldb = makeLdbNaming(stored({{1251, "Hero"}, {1251, "Замок"}}));
    const std::size_t nameEnd = ldb.find("\xC7\xE0\xEC\xEE\xEA") + 5;
    // Cut anywhere: the name counts only when its bytes are all there, and its beginning names
    // nothing.
    for (std::size_t n = 0; n <= ldb.size(); ++n) {
        const ExactBytes cut(std::string_view(ldb).substr(0, n));
        EXPECT_EQ(gamecodepage::decide(cut.view(), {}, files), n >= nameEnd ? 1251 : 932) << n;
    }
    std::mt19937 random(29);
    for (int round = 0; round < 3000; ++round) {
        std::string bad = ldb;
        for (int k = 0; k < 3; ++k)
            bad[random() % bad.size()] = static_cast<char>(random() % 256);
        const ExactBytes damaged(bad);
        EXPECT_TRUE(isCandidate(gamecodepage::decide(damaged.view(), damaged.view(), files)));
    }
}

// The project's asset folders in any case and the RTP's count; other folders do not, nor a
// map tree that cannot be read.
TEST(GameCodePage, ReadsTheAssetFoldersOfProjectAndRtp) {
    MemoryFileSystem fs;
    fs.file("C:\\Game\\charset\\" + sj("Меч") + ".png")
        .file("C:\\RTP\\Music\\" + sj("Замок") + ".mid")
        .file("C:\\RTP\\Music\\" + sj("Щит") + ".mid")
        .file("C:\\Game\\Picture\\" + sj("弓") + ".png")
        .file("C:\\Game\\Picture\\" + sj("鎧") + ".png")
        .file("C:\\Game\\Extra\\" + sj("剣") + ".png")
        .file("C:\\Game\\Extra\\" + sj("盾") + ".png")
        .file("C:\\Game\\RPG_RT.ldb", makeLdbNaming(stored({{1251, "Меч"},
                                                            {1251, "Замок"},
                                                            {1251, "Лук"},
                                                            {932, "弓"},
                                                            {932, "鎧"},
                                                            {932, "剣"},
                                                            {932, "盾"}})))
        .file("C:\\Game\\RPG_RT.lmt", makeLmt(stored({{1251, "Щит"}})));
    EXPECT_EQ(gamecodepage::read(fs, "C:\\Game\\", {"C:\\RTP\\", "C:\\Missing\\"}), 1251);
    // Without the map tree's name, a third name still decides.
    fs.refused.push_back("C:\\Game\\RPG_RT.lmt");
    fs.file("C:\\Game\\Sound\\" + sj("Лук") + ".wav");
    EXPECT_EQ(gamecodepage::read(fs, "C:\\Game\\", {"C:\\RTP\\"}), 1251);
}

TEST(CodePages, SpellOnlyWhatTheCodePageHolds) {
    const std::tuple<int, const char*, std::string> words[] = {
        {932, "勇者", "\x97\x45\x8E\xD2"}, {1252, "Schlüssel", "Schl\xFCssel"},
        {936, "剑", "\xBD\xA3"},           {950, "劍", "\xBC\x43"},
        {949, "용사", "\xBF\xEB\xBB\xE7"}, {1251, "Меч", "\xCC\xE5\xF7"},
        {1250, "Łódź", "\xA3\xF3\x64\x9F"}};
    for (const auto& [codePage, utf8, bytes] : words) {
        EXPECT_EQ(codepage::fromUtf8(codePage, utf8), bytes) << codePage;
        EXPECT_EQ(codepage::toUtf8(codePage, bytes), utf8) << codePage;
        EXPECT_NE(codepage::localeFor(codePage), nullptr) << codePage;
    }
    EXPECT_EQ(codepage::fromUtf8(1252, "剣"), std::nullopt);
    EXPECT_EQ(codepage::fromUtf8(932, "\xFF"), std::nullopt);
    // U+301C is refused where U+FF5E owns the bytes: no best fit.
    EXPECT_EQ(codepage::fromUtf8(932, "～"), "\x81\x60");
    EXPECT_EQ(codepage::fromUtf8(932, "〜"), std::nullopt);
    EXPECT_EQ(codepage::toUtf8(932, "a\x81"), std::nullopt);
    EXPECT_EQ(codepage::toUtf8(1252, "\x81"), std::nullopt);
    EXPECT_EQ(codepage::toUtf8(437, "a"), std::nullopt);
}

} // namespace
