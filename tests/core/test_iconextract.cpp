#include "platform/IconExtract.h"

#include "support/GameFileBuilders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

using namespace tavrin;
using namespace tavrin::test;

namespace {

struct Image {
    unsigned width, height, bitCount; // 256 is stored as 0
    std::string data;
};

// Width, height, colours, reserved, planes, bit count: what both directory kinds begin with.
std::string entryHead(const Image& im) {
    std::string s;
    s += static_cast<char>(im.width & 0xFF);
    s += static_cast<char>(im.height & 0xFF);
    s += '\0';
    s += '\0';
    put16(s, 1);
    put16(s, im.bitCount);
    return s;
}

std::string makeIco(const std::vector<Image>& images) {
    std::string s;
    put16(s, 0);
    put16(s, 1);
    put16(s, static_cast<std::uint32_t>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (const Image& im : images) {
        s += entryHead(im);
        put32(s, static_cast<std::uint32_t>(im.data.size()));
        put32(s, static_cast<std::uint32_t>(offset));
        offset += im.data.size();
    }
    for (const Image& im : images)
        s += im.data;
    return s;
}

// GRPICONDIR whose entries name RT_ICON IDs firstId, firstId + 1, ...
std::string makeGroup(const std::vector<Image>& images, std::uint16_t firstId) {
    std::string s;
    put16(s, 0);
    put16(s, 1);
    put16(s, static_cast<std::uint32_t>(images.size()));
    for (const Image& im : images) {
        s += entryHead(im);
        put32(s, static_cast<std::uint32_t>(im.data.size()));
        put16(s, firstId++);
    }
    return s;
}

const std::vector<Image> kImages = {
    {32, 32, 32, "image 32x32 32bpp"},
    {16, 16, 8, "image 16x16 8bpp"},
    {16, 16, 32, "image 16x16 32bpp"},
};

// Group "MAINICON" (first as stored) names icons 1..3; group 7 names icon 9.
ResourceNode sampleTree() {
    const std::vector<Image> other = {{16, 16, 32, "other group's image"}};
    ResourceNode icons = resourceDir({{std::uint16_t{1}, resourceLang(kImages[0].data)},
                                      {std::uint16_t{2}, resourceLang(kImages[1].data)},
                                      {std::uint16_t{3}, resourceLang(kImages[2].data)},
                                      {std::uint16_t{9}, resourceLang(other[0].data)}});
    ResourceNode groups =
        resourceDir({{std::string("MAINICON"), resourceLang(makeGroup(kImages, 1))},
                     {std::uint16_t{7}, resourceLang(makeGroup(other, 9))}});
    return resourceDir(
        {{std::uint16_t{3}, std::move(icons)}, {std::uint16_t{14}, std::move(groups)}});
}

// What an image reader needs of the returned file: one entry, its data right after it.
void expectIco(const std::optional<std::string>& ico, const Image& expected) {
    ASSERT_TRUE(ico);
    ASSERT_GE(ico->size(), 22u);
    EXPECT_EQ(ico->substr(0, 6), std::string("\0\0\1\0\1\0", 6));
    EXPECT_EQ(ico->substr(6, 8), entryHead(expected));
    EXPECT_EQ(get32(*ico, 14), ico->size() - 22);
    EXPECT_EQ(get32(*ico, 18), 22u);
    EXPECT_EQ(ico->substr(22), expected.data);
}

// Reads from a heap block of exactly the input's size: a std::string has a terminator and often
// spare capacity after its bytes, where the sanitizer build would miss a read past the end.
std::optional<std::string> readExact(std::string_view bytes) {
    const auto block = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.get());
    return firstSmallIconAsIco(std::string_view(block.get(), bytes.size()));
}

// Damage must be read safely (the sanitizer build sees any read outside the input). A prefix
// gives nothing or, when all the chosen icon needs comes before the cut, the same icon.
void expectSafeOnDamage(const std::string& good) {
    const std::optional<std::string> whole = readExact(good);
    ASSERT_TRUE(whole);
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::optional<std::string> cut = readExact(std::string_view(good).substr(0, n));
        if (cut) {
            EXPECT_EQ(*cut, *whole) << "prefix of " << n;
        }
    }
    for (std::size_t i = 0; i < good.size(); ++i)
        for (int bit = 0; bit < 8; ++bit) {
            std::string bad = good;
            bad[i] = static_cast<char>(bad[i] ^ (1 << bit));
            (void)readExact(bad);
        }
    std::mt19937 random(42);
    for (int round = 0; round < 2000; ++round) {
        std::string bad = good;
        for (int k = 0; k < 4; ++k)
            bad[random() % bad.size()] = static_cast<char>(random() % 256);
        (void)readExact(bad);
    }
}

TEST(IconExtract, IcoFileGivesItsSmallImage) {
    expectIco(firstSmallIconAsIco(makeIco(kImages)), kImages[2]);
}

TEST(IconExtract, SmallImageChoice) {
    const struct {
        const char* why;
        std::vector<Image> images;
        std::size_t chosen;
    } rows[] = {
        {"deeper 16x16 wins", {{16, 16, 4, "a"}, {16, 16, 32, "b"}, {16, 16, 8, "c"}}, 1},
        {"first of equal 16x16", {{16, 16, 32, "a"}, {16, 16, 32, "b"}}, 0},
        {"16 wide only is not 16x16", {{16, 32, 32, "a"}, {24, 24, 32, "b"}}, 0},
        {"smallest larger one", {{48, 48, 32, "a"}, {24, 24, 8, "b"}, {32, 32, 32, "c"}}, 1},
        {"0 means 256", {{256, 256, 32, "a"}, {48, 48, 32, "b"}}, 1},
        {"else the largest", {{8, 8, 32, "a"}, {12, 12, 4, "b"}}, 1},
        {"larger beats smaller", {{12, 12, 32, "a"}, {256, 256, 32, "b"}}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        expectIco(firstSmallIconAsIco(makeIco(row.images)), row.images[row.chosen]);
    }
}

TEST(IconExtract, ProgramGivesFirstGroupsSmallImage) {
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        expectIco(firstSmallIconAsIco(makePe(sampleTree(), plus)), kImages[2]);
    }
    // Sections follow each other without a gap when the raw size is a whole page.
    expectIco(readExact(makePe(sampleTree(), false, 0, 0x1000)), kImages[2]);
}

TEST(IconExtract, AnyLanguageOfTheIconWillDo) {
    ResourceNode tree = sampleTree();
    tree.children[0].children[2].keys[0] = std::uint16_t{0x407};
    expectIco(firstSmallIconAsIco(makePe(tree, false)), kImages[2]);
}

TEST(IconExtract, NoIconIsNothing) {
    ResourceNode noGroups = sampleTree();
    noGroups.keys.pop_back();
    noGroups.children.pop_back();
    ResourceNode missingIcon = sampleTree();
    missingIcon.children[0].keys[2] = std::uint16_t{4};
    ResourceNode cursorGroup = sampleTree();
    cursorGroup.children[1].children[0].children[0].data[2] = 2;
    std::string noOptional = makePe(sampleTree(), false).substr(0, 0x40 + 24);
    set16(noOptional, 0x40 + 20, 0);
    std::string oneByteOptional = noOptional + "\x0B";
    set16(oneByteOptional, 0x40 + 20, 1);
    std::string noResources = makePe(sampleTree(), false);
    set32(noResources, 0x40 + 24 + 96 + 16, 0);
    std::string ico = makeIco(kImages);
    std::string icoBeyondEnd = ico;
    set32(icoBeyondEnd, 6 + 2 * 16 + 8, 1000);

    const std::pair<const char*, std::string> rows[] = {
        {"empty", ""},
        {"text", "just some text"},
        {"MZ alone", "MZ"},
        {"no optional header", noOptional},
        {"optional header of one byte", oneByteOptional},
        {"no group icons", makePe(noGroups, false)},
        {"group names a missing icon", makePe(missingIcon, false)},
        {"cursor group", makePe(cursorGroup, true)},
        {"no resource directory", noResources},
        {"ico reserved", "\1" + ico.substr(1)},
        {"cursor file", ico.substr(0, 2) + "\2" + ico.substr(3)},
        {"ico count 0", ico.substr(0, 4) + std::string(2, '\0') + ico.substr(6)},
        {"ico truncated directory", ico.substr(0, 20)},
        {"ico image beyond end", icoBeyondEnd},
    };
    for (const auto& [why, bytes] : rows) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(readExact(bytes));
    }
}

// Offsets of the sample program: the resource root, and the directories below it.
constexpr std::size_t kRoot = 0x200;
std::size_t target(const std::string& pe, std::size_t directory, std::size_t entry) {
    return kRoot + (get32(pe, directory + 16 + 8 * entry + 4) & 0x7FFFFFFF);
}

// Each count, offset and size is checked against the end of the block it points into; one byte
// too many must give no icon, not one read from whatever lies beyond.
TEST(IconExtract, EveryFieldStopsAtTheEndOfItsBlock) {
    const std::string ico = makeIco(kImages);
    const std::size_t last = 6 + 2 * 16; // the chosen entry, whose image ends the file
    std::string icoPastEnd = ico;
    set32(icoPastEnd, last + 8, get32(ico, last + 8) + 1);
    std::string icoOffsetPastEnd = ico + "tail";
    set32(icoOffsetPastEnd, last + 8, 1);
    set32(icoOffsetPastEnd, last + 12, static_cast<std::uint32_t>(icoOffsetPastEnd.size() + 1));
    std::string icoEmptyImage = ico;
    set32(icoEmptyImage, last + 8, 0);
    // Four entries claimed, the fourth cut one byte short, the images still after them.
    std::string icoShortDirectory = ico;
    icoShortDirectory[4] = 4;
    icoShortDirectory.resize(6 + 4 * 16 - 1);

    const std::string pe = makePe(sampleTree(), false);
    const std::size_t optional = 0x40 + 24;
    std::string peTwoDirectories = pe;
    set32(peTwoDirectories, optional + 96 - 4, 2);
    // The chosen icon's data made to end one byte past its section, the file going on.
    std::string peDataPastSection = pe + "tail";
    const std::size_t data = pe.find(kImages[2].data);
    set32(peDataPastSection, data - 16 + 4, static_cast<std::uint32_t>(pe.size() - data + 1));
    // The root claims one entry more than its section holds, the file going on.
    const auto fit = static_cast<std::uint32_t>((pe.size() - kRoot - 16) / 8);
    std::string peTooManyEntries = pe + std::string(8, '\0');
    set16(peTooManyEntries, kRoot + 14, fit + 1);
    // The first group's language directory emptied.
    std::string peNoLanguage = pe;
    const std::size_t languages = target(pe, target(pe, kRoot, 1), 0);
    set16(peNoLanguage, languages + 14, 0);
    // The first group claims one entry more than its data holds.
    ResourceNode longGroup = sampleTree();
    longGroup.children[1].children[0].children[0].data[4] = 4;
    ResourceNode emptyIcon = sampleTree();
    emptyIcon.children[0].children[2].children[0].data.clear();

    const std::pair<const char*, std::string> rows[] = {
        {"ico image one byte past the end", icoPastEnd},
        {"ico image starts past the end", icoOffsetPastEnd},
        {"ico image of no bytes", icoEmptyImage},
        {"ico directory one byte short", icoShortDirectory},
        {"no resource directory among the data directories", peTwoDirectories},
        {"optional header cuts the resource directory short",
         makePe(sampleTree(), false, 96 + 3 * 8 - 1)},
        {"icon data one byte past its section", peDataPastSection},
        {"directory entries run past its section", peTooManyEntries},
        {"directory of no entries", peNoLanguage},
        {"group directory longer than its data", makePe(longGroup, false)},
        {"icon of no bytes", makePe(emptyIcon, false)},
    };
    for (const auto& [why, bytes] : rows) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(readExact(bytes));
    }

    // What just fits is read.
    std::string icoImageShorter = ico;
    set32(icoImageShorter, last + 8, get32(ico, last + 8) - 1);
    Image shorter = kImages[2];
    shorter.data.pop_back();
    expectIco(readExact(icoImageShorter), shorter);
    expectIco(readExact(makePe(sampleTree(), false, 96 + 3 * 8)), kImages[2]);
    std::string peThreeDirectories = pe;
    set32(peThreeDirectories, optional + 96 - 4, 3);
    expectIco(readExact(peThreeDirectories), kImages[2]);
    std::string peFitEntries = pe;
    set16(peFitEntries, kRoot + 14, fit);
    expectIco(readExact(peFitEntries), kImages[2]);
}

TEST(IconExtract, LoopInResourceTreeEnds) {
    // The first group's language directory is the root again.
    std::string pe = makePe(sampleTree(), false);
    const std::size_t root = 0x200;
    const std::uint32_t groups = get32(pe, root + 16 + 8 + 4) & 0x7FFFFFFF;
    set32(pe, root + groups + 16 + 4, 0x80000000u);
    EXPECT_FALSE(firstSmallIconAsIco(pe));
}

TEST(IconExtract, DamagedInputIsReadSafely) {
    expectSafeOnDamage(makeIco(kImages));
    expectSafeOnDamage(makePe(sampleTree(), false));
    expectSafeOnDamage(makePe(sampleTree(), true));
}

TEST(IconExtract, WineProgram) {
    namespace fs = std::filesystem;
    std::string found;
    for (const char* lib : {"/usr/lib/x86_64-linux-gnu/wine", "/usr/lib/wine", "/usr/lib64/wine",
                            "/usr/lib/i386-linux-gnu/wine"}) {
        std::error_code ec;
        for (const fs::directory_entry& d : fs::directory_iterator(lib, ec))
            if (fs::is_regular_file(d.path() / "notepad.exe", ec) && found.empty())
                found = (d.path() / "notepad.exe").string();
    }
    // Wine is part of the set-up: a missing program is a fault of the machine, not a pass.
    ASSERT_FALSE(found.empty()) << "no Wine notepad.exe; the set-up installs wine64";
    std::ifstream in(found, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const std::optional<std::string> ico = firstSmallIconAsIco(bytes);
    ASSERT_TRUE(ico) << found;
    ASSERT_GT(ico->size(), 22u);
    EXPECT_EQ(get32(*ico, 14), ico->size() - 22);
    EXPECT_EQ(get32(*ico, 18), 22u);
}

} // namespace
