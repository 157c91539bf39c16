// The find box's matching: the foldings a Japanese user takes for the same text, matches only
// from a character's start, and the index over a catalogue whose folders keep their records.
#include "catalogue/CatalogueFile.h"
#include "catalogue/CatalogueFind.h"
#include "platform/Cp932.h"
#include "support/CatalogueTree.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

struct Match {
    std::string text; // CP932
    std::string needle;
    bool found;
};

const Match kMatches[] = {
    // Half-width katakana as full-width, marks joined; and back.
    {sj("ｱｲｳｴｵ"), sj("アイウエオ"), true},
    {sj("アイウエオ"), sj("ｱｲｳ"), true},
    {sj("ｶﾞﾝﾀﾞﾑ"), sj("ガンダム"), true},
    {sj("ガンダム"), sj("ｶﾞﾝﾀﾞﾑ"), true},
    {sj("ﾊﾟﾋﾞﾌﾟﾍﾞﾎﾟ"), sj("パビプベポ"), true},
    {sj("ｳﾞｧﾝﾊﾟｲｱ"), sj("ヴァンパイア"), true},
    {sj("ｶﾞ"), sj("カ"), false},
    {sj("ﾜﾞ"), sj("ワ゛"), true},
    {sj("ｰｯｬ｢｣"), sj("ーッャ「」"), true},
    // Full-width ASCII as ASCII, letters of either width in either case.
    {sj("ＲＰＧ　Ｑｕｅｓｔ"), "rpg quest", true},
    {"RPG Quest", sj("ｒｐｇ　ＱＵＥＳＴ"), true},
    {sj("第０１２話"), sj("012"), true},
    {sj("（テスト）＆［ｖ２］"), sj("(テスト)&[V2]"), true},
    {"c:\\games\\", sj("Ｃ：￥"), false},
    {"C:\\Games\\", sj("ｃ：＼ｇａ"), true},
    // A byte inside a character is no match: ソ and 表 end in 5C, ヂ in 61 ("a").
    {sj("ソフト表示"), "\\", false},
    {sj("ソ\\"), "\\", true},
    {sj("ヂ"), "a", false},
    {sj("ヂヂ"), sj("aヂ"), false},
    {sj("aヂ"), sj("aヂ"), true},
    // Control bytes as blanks; a lead byte without its trail is a blank too.
    {"a\tb", "a b", true},
    {"ab\x82", "b ", true},
    {"Quest", "", true},
    {"Quest", "Quests", false},
};

TEST(CatalogueFind, FoldsAndMatchesAsAJapaneseUserReads) {
    for (const Match& m : kMatches) {
        SCOPED_TRACE(cp932::toUtf8(m.text) + " / " + cp932::toUtf8(m.needle));
        EXPECT_EQ(holdsFolded(foldForFind(m.text), foldForFind(m.needle)), m.found);
    }
    EXPECT_EQ(foldForFind(sj("ｶﾞｷﾞﾊﾟＡｚ０")), sj("ガギパaz0"));

    // Long texts are folded sixteen bytes at a time: each kind of byte at every place of a block,
    // with the neighbours of the letters' and controls' ranges.
    for (std::size_t at = 0; at < 20; ++at) {
        SCOPED_TRACE(at);
        EXPECT_EQ(foldForFind(std::string(at, 'Q') + sj("ｶﾞＡ") + "\x01@AZ[`az{\x1F \x7F" +
                              std::string(16, 'B') + sj("ｶ")),
                  std::string(at, 'q') + sj("ガ") + "a @az[`az{  \x7F" + std::string(16, 'b') +
                      sj("カ"));
    }
}

struct Catalogue {
    FolderTree tree;
    explicit Catalogue(const test::CatalogueTree& folders) {
        parseCatalogue(std::make_shared<const std::string>(folders.file()), tree);
    }
};

std::vector<std::string> paths(const FindIndex& index, const std::vector<std::uint32_t>& found) {
    std::vector<std::string> out;
    for (const std::uint32_t e : found) {
        out.push_back(index.item(e).path + "|" + index.folderPath(e));
    }
    return out;
}

TEST(CatalogueFind, FindsTitlesAndPathsInEveryFolderInTheirOrder) {
    Catalogue c(test::CatalogueTree()
                    .folder("R", {{"C:\\rpg\\", sj("ｸｴｽﾄ"), pk2000}})
                    .folder(">S", {{"C:\\a\\", "Quest", pk95}, {"C:\\b\\", "other", pk2000}})
                    .folder(">>T", {{"C:\\quest\\", "quest", pkNone}})
                    .folder("U", {{"C:\\ab\\", "cd", pk2000}, {"C:\\v\\", sj("ソヂ"), pk2000}}));
    // A folder already made is read from its items, not from the file.
    TreeNode* s = c.tree.nodeAt(1);
    s->folder.items.push_back({"C:\\made\\", sj("クエスト"), pk2000});

    const auto index = FindIndex::build(findSource(c.tree));
    ASSERT_EQ(index->size(), 7u);
    EXPECT_EQ(paths(*index, index->find("QUEST")),
              (std::vector<std::string>{"C:\\a\\|R\\S", "C:\\quest\\|R\\S\\T"}));
    EXPECT_EQ(paths(*index, index->find(sj("クエ"))),
              (std::vector<std::string>{"C:\\rpg\\|R", "C:\\made\\|R\\S"}));
    EXPECT_EQ(index->item(index->find("other")[0]), (ProjectItem{"C:\\b\\", "other", pk2000}));
    EXPECT_EQ(index->item(index->find("quest")[1]).kind, pkNone);
    // Title and path are apart: "cd" then "C:\ab\" holds no "dc".
    EXPECT_TRUE(index->find("dc").empty());
    // ヂ ends in 61, "a": no match inside a character.
    EXPECT_EQ(paths(*index, index->find("a")),
              (std::vector<std::string>{"C:\\a\\|R\\S", "C:\\made\\|R\\S", "C:\\ab\\|U"}));
    EXPECT_TRUE(index->find("").empty());
}

// A catalogue of many megabytes is folded in parts at once; its entries keep their numbers and
// the catalogue's order across the parts.
TEST(CatalogueFind, ALargeCatalogueIsFoundInItsOrderAcrossItsParts) {
    auto source = std::make_shared<FindSource>();
    const auto record = [](const std::string& path, const std::string& title) {
        return path + "\x1C" + title + "\x1C\x1D";
    };
    std::size_t total = 0;
    for (const char* name : {"A", "B", "C"}) {
        auto bytes =
            std::make_shared<std::string>(record("C:\\first\\", std::string("Hit ") + name));
        for (int i = 0; i < 40000; ++i) {
            *bytes += record("C:\\filler\\" + std::to_string(i) + "\\", std::string(64, 'p'));
        }
        *bytes += record("C:\\last\\", sj("ｸｴｽﾄ") + name);
        total += 40002;
        source->folders.push_back({name, bytes, *bytes});
    }
    // Half-width kana take twice their bytes folded: the index outgrows its first guess.
    auto kana = std::make_shared<std::string>();
    for (int i = 0; i < 2000; ++i) {
        *kana += record("K\\", sj("ﾃｽﾄﾃｽﾄﾃｽﾄ"));
    }
    source->folders.push_back({"K", kana, *kana});
    total += 2000;
    const auto index = FindIndex::build(source);
    ASSERT_EQ(index->size(), total);
    EXPECT_EQ(index->find(sj("テストテストテスト")).size(), 2000u);
    EXPECT_EQ(paths(*index, index->find("hit")),
              (std::vector<std::string>{"C:\\first\\|A", "C:\\first\\|B", "C:\\first\\|C"}));
    const auto found = index->find(sj("クエスト"));
    EXPECT_EQ(paths(*index, found),
              (std::vector<std::string>{"C:\\last\\|A", "C:\\last\\|B", "C:\\last\\|C"}));
    EXPECT_EQ(found, (std::vector<std::uint32_t>{40001, 80003, 120005}));
    EXPECT_EQ(index->find("filler\\39999\\").size(), 3u);

    // The first screen of a long search is told before it ends; a short one tells none early.
    std::vector<std::uint32_t> early;
    const auto filler =
        index->find("filler", nullptr, 5, [&](const auto& first) { early = first; });
    EXPECT_EQ(early, std::vector<std::uint32_t>(filler.begin(), filler.begin() + 5));
    early.clear();
    index->find("hit", nullptr, 5, [&](const auto& first) { early = first; });
    EXPECT_TRUE(early.empty());
}

TEST(CatalogueFind, AnIndexOutlivesTheTreeAndStopsWhenCancelled) {
    std::shared_ptr<const FindIndex> index;
    {
        Catalogue c(test::CatalogueTree().folder("R", {{"C:\\x\\", "kept", pk2000}}));
        index = FindIndex::build(findSource(c.tree));
    }
    EXPECT_EQ(index->item(index->find("KEPT").at(0)).path, "C:\\x\\");

    Catalogue c(test::CatalogueTree().folder("R", {{"C:\\x\\", "kept", pk2000}}));
    const std::atomic<bool> cancelled = true;
    EXPECT_EQ(FindIndex::build(findSource(c.tree), &cancelled), nullptr);
    EXPECT_TRUE(index->find("kept", &cancelled).empty());
}

} // namespace
} // namespace tavrin
