#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace tavrin {
namespace {

// "ア" is 0x83 0x41 and "ゾ" is 0x83 0x5D: their second bytes are "A" and "]".
#define KANA_A "\x83\x41"
#define KANA_a "\x83\x61"
#define ZO "\x83\x5D"

struct IntRow {
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(ProfileFile, ParseInteger) {
    const std::optional<std::int32_t> none;
    // clang-format off
    const IntRow rows[] = {
        {"0", 0}, {"007", 7}, {"+12", 12}, {"-0", 0},
        {"2147483647", 2147483647}, {"2147483648", none},
        {"-2147483648", INT32_MIN}, {"-2147483649", none},
        {"$FF", 255}, {"x1f", 31}, {"-x10", -16}, {"0X7fffffff", 2147483647}, {"-0x1", -1},
        {"$80000008", -2147483640}, {"-$80000008", 2147483640}, {"$FFFFFFFF", -1},
        {"$100000000", none}, {"0x1G", none}, {"$-1", none},
        {" 1", none}, {"1 2", none}, {"12a", none}, {"1.0", none}, {"green", none},
        {"", none}, {"-", none}, {"--1", none}, {"x", none}, {"$", none}, {"0x", none},
    };
    // clang-format on
    for (const IntRow& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parseProfileInteger(row.text), row.value);
    }
}

struct ReadRow {
    const char* section;
    const char* key;
    std::optional<std::string> value;
};

TEST(ProfileFile, ReadsByWindowsRules) {
    const ProfileFile file("; Main=comment\r\n"
                           "orphan=before any section\r\n"
                           "  [ Main ]  \r\n"
                           "  Name  =  two  words \t\r\n"
                           "Double=\"  kept  \"\r\n"
                           "Single='x'\r\n"
                           "Mixed=\"x'\r\n"
                           "Lone=\"\r\n"
                           ";Hidden=1\r\n"
                           "NoEquals\r\n"
                           "Empty=\r\n"
                           "Act_[1]=brackets\r\n"
                           "dup=first\r\n"
                           "DUP=second\r\n"
                           "[main]\r\n"
                           "Later=only in the duplicate\r\n"
                           "[" KANA_A "]\n" KANA_A "=kana\n"
                           "[x" ZO "\n"
                           "open=bracket\n");
    const std::optional<std::string> none;
    // clang-format off
    const ReadRow rows[] = {
        {"MAIN", "name", "two  words"}, {"main", "double", "  kept  "}, {"Main", "Single", "x"},
        {"Main", "Mixed", "\"x'"}, {"Main", "Lone", "\""}, {"Main", "Empty", ""},
        {"Main", ";Hidden", none}, {"Main", "NoEquals", none}, {"Main", "orphan", none},
        {"Main", "dup", "first"}, {"Main", "Later", none},
        {"Main", "ACT_[1]", "brackets"}, {"Main", "act_{1}", none},
        {KANA_A, KANA_A, "kana"}, {KANA_a, KANA_A, none}, {KANA_A, KANA_a, none},
        {KANA_A, "open", "bracket"}, {"x\x83", "open", none},
    };
    // clang-format on
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key);
        EXPECT_EQ(file.readValue(row.section, row.key), row.value);
    }
    EXPECT_TRUE(file.sectionExists("mAiN"));
    EXPECT_FALSE(file.sectionExists("x\x83"));
}

TEST(ProfileFile, TypedReadsFallBackOnMalformedValues) {
    const ProfileFile file(
        "[S]\r\nhex=0x00FF00\r\nword=green\r\nquoted='7'\r\nflag=2\r\noff=0\r\n");
    EXPECT_EQ(file.readInteger("S", "hex", 1), 0xFF00);
    EXPECT_EQ(file.readInteger("S", "word", 0xFFFFFF), 0xFFFFFF);
    EXPECT_EQ(file.readInteger("S", "quoted", 1), 7);
    EXPECT_EQ(file.readInteger("S", "missing", -5), -5);
    EXPECT_TRUE(file.readBool("S", "flag", false));
    EXPECT_FALSE(file.readBool("S", "off", true));
    EXPECT_TRUE(file.readBool("S", "missing", true));
    EXPECT_EQ(file.readString("T", "k", "dflt"), "dflt");
}

TEST(ProfileFile, LongValuesStopAt2047BytesWithoutSplittingACharacter) {
    const std::string a(3000, 'a');
    const std::string kana = std::string(2046, 'a') + "\x82\xA0";
    const ProfileFile file("[S]\r\nlong=" + a + "\r\nkana=" + kana + "\r\n");
    EXPECT_EQ(file.readValue("S", "long"), a.substr(0, 2047));
    EXPECT_EQ(file.readValue("S", "kana"), kana.substr(0, 2046));
}

struct WriteRow {
    const char* what;
    std::string before;
    std::function<void(ProfileFile&)> edit;
    std::string after;
};

TEST(ProfileFile, WritesTouchOnlyTheirOwnLines) {
    const std::string kept = "; keep me  \n[Other]\nx = 1 \n";
    const WriteRow rows[] = {
        {"replaced in place",
         kept + "[B_Setting]\r\n POSITION = 0\r\nstartsize=5\n\n[Unknown]\nfoo",
         [](ProfileFile& f) { f.writeBool("b_setting", "position", true); },
         kept + "[B_Setting]\r\nposition=1\r\nstartsize=5\n\n[Unknown]\nfoo"},
        {"unterminated line replaced", "[A]\na=1",
         [](ProfileFile& f) { f.writeString("A", "a", "2"); }, "[A]\na=2\r\n"},
        {"new key after the last key", "[A]\r\na=1\r\n; note\r\n\r\n[B]\r\n",
         [](ProfileFile& f) { f.writeString("a", "b", "2"); },
         "[A]\r\na=1\r\nb=2\r\n; note\r\n\r\n[B]\r\n"},
        {"new key in a keyless section", "[A]\r\n\r\n[B]\r\n",
         [](ProfileFile& f) { f.writeString("A", "k", "v"); }, "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        {"new key after unterminated line", "[A]\na=1",
         [](ProfileFile& f) { f.writeString("A", "b", "2"); }, "[A]\na=1\r\nb=2\r\n"},
        {"first of duplicate sections", "[A]\r\n[a]\r\nk=old\r\n",
         [](ProfileFile& f) { f.writeString("A", "k", "new"); },
         "[A]\r\nk=new\r\n[a]\r\nk=old\r\n"},
        {"kana key is not folded", "[S]\r\n" KANA_A "=1\r\n",
         [](ProfileFile& f) { f.writeString("S", KANA_a, "2"); },
         "[S]\r\n" KANA_A "=1\r\n" KANA_a "=2\r\n"},
        {"new section after unterminated end", "[A]\r\na=1",
         [](ProfileFile& f) { f.writeString("B", "b", "2"); }, "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        {"new section after LF", "x\n", [](ProfileFile& f) { f.writeString("B", "b", "2"); },
         "x\n[B]\r\nb=2\r\n"},
        {"line breaks in a value", "", [](ProfileFile& f) { f.writeString("S", "k", "a\r\nb\nc"); },
         "[S]\r\nk=a  b c\r\n"},
        {"values that would not read back are quoted", "",
         [](ProfileFile& f) {
             f.writeString("S", "lead", " x");
             f.writeString("S", "tab", "x\t");
             f.writeString("S", "quoted", "\"x\"");
             f.writeString("S", "single", "'x'");
             f.writeString("S", "break", "x\n");
             f.writeString("S", "open", "\"x");
             f.writeString("S", "inner", "a \"b\" c");
         },
         "[S]\r\nlead=\" x\"\r\ntab=\"x\t\"\r\nquoted=\"\"x\"\"\r\nsingle=\"'x'\"\r\n"
         "break=\"x \"\r\nopen=\"x\r\ninner=a \"b\" c\r\n"},
        {"integer and flag forms", "",
         [](ProfileFile& f) {
             f.writeInteger("S", "c", static_cast<std::int32_t>(0x80000008u));
             f.writeBool("S", "f", false);
         },
         "[S]\r\nc=-2147483640\r\nf=0\r\n"},
        {"erase up to next header", "[A]\r\na=1\r\n[Position]\r\ndisx=1\r\n; c\r\n\r\n[B]\nb\n",
         [](ProfileFile& f) { f.eraseSection("position"); }, "[A]\r\na=1\r\n[B]\nb\n"},
        {"erase every copy", "[P]\r\nx=1\r\n[A]\r\n[p]\r\ny=2",
         [](ProfileFile& f) { f.eraseSection("P"); }, "[A]\r\n"},
        {"erase absent section", kept, [](ProfileFile& f) { f.eraseSection("Position"); }, kept},
    };
    for (const WriteRow& row : rows) {
        SCOPED_TRACE(row.what);
        ProfileFile file(row.before);
        row.edit(file);
        EXPECT_EQ(file.bytes(), row.after);
    }
}

struct SaveRow {
    const char* what;
    std::string line;      // after "[S]\r\n"
    std::string value;     // as read
    std::string rewritten; // the line after the value read is written back
};

// Each save writes back what the program read; the second must change nothing.
TEST(ProfileFile, ValuesSurviveRepeatedSaves) {
    // clang-format off
    const SaveRow rows[] = {
        {"lone CR after =",       "act_Path=\rC:\\x.exe\r\n",  "C:\\x.exe",      "act_Path=C:\\x.exe\r\n"},
        {"lone CR inside",        "k=a\rb\r\n",                 "a b",            "k=a b\r\n"},
        {"CR before CR LF",       "k=a\r\r\n",                  "a",              "k=a\r\n"},
        {"quoted blanks",         "path=\"  C:\\x.exe  \"\r\n", "  C:\\x.exe  ",  "path=\"  C:\\x.exe  \"\r\n"},
        {"quoted CR",             "k=\"a\r\"\r\n",              "a ",             "k=\"a \"\r\n"},
        {"quotes in quotes",      "k='\"x\"'\r\n",               "\"x\"",          "k=\"\"x\"\"\r\n"},
        {"plain quotes go",       "k=\"x\"\r\n",                 "x",              "k=x\r\n"},
        {"empty in quotes",       "k=\t\"\" \r\n",               "",               "k=\r\n"},
    };
    // clang-format on
    for (const SaveRow& row : rows) {
        SCOPED_TRACE(row.what);
        ProfileFile file("[S]\r\n" + row.line + "[T]\r\n");
        const std::string key = row.line.substr(0, row.line.find('='));
        ASSERT_EQ(file.readValue("S", key), row.value);
        file.writeString("S", key, row.value);
        EXPECT_EQ(file.bytes(), "[S]\r\n" + row.rewritten + "[T]\r\n");
        EXPECT_EQ(file.readValue("S", key), row.value);
        const std::string saved = file.bytes();
        file.writeString("S", key, *file.readValue("S", key));
        EXPECT_EQ(file.bytes(), saved);
    }
}

bool readsBackBare(std::string_view v) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool enclosed =
        v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
    return v.find_first_of("\r\n") == std::string_view::npos && !enclosed &&
           (v.empty() || (!blank(v.front()) && !blank(v.back())));
}

TEST(ProfileFile, AnyValueReadsBackTheSameAfterItsFirstSave) {
    const std::string pieces[] = {"a", "Z", " ", "\t", "\"", "'",    "\r", "\n",       "\r\n",
                                  "=", ";", "[", "]",  "\\", KANA_A, ZO,   "\x95\x5C", "\xB1"};
    const std::string before = "[S]\r\nKey=old\r\n[T]\r\nx=1\r\n";
    std::mt19937 random(7321);
    std::uniform_int_distribution<std::size_t> length(0, 10);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    int bare = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string v;
        for (std::size_t n = length(random); n > 0; --n)
            v += pieces[pick(random)];
        SCOPED_TRACE(v);
        ProfileFile file(before);
        file.writeString("s", "KEY", v);
        const std::optional<std::string> r = file.readValue("S", "Key");
        ASSERT_TRUE(r);
        const std::string saved = file.bytes();
        file.writeString("S", "KEY", *r);
        EXPECT_EQ(file.bytes(), saved);
        EXPECT_EQ(file.readValue("S", "Key"), r);
        EXPECT_EQ(file.readValue("T", "x"), "1");
        if (readsBackBare(v)) {
            ++bare;
            EXPECT_EQ(*r, v);
            EXPECT_EQ(saved, "[S]\r\nKEY=" + v + "\r\n[T]\r\nx=1\r\n");
        }
    }
    EXPECT_GT(bare, 1000); // the plain case is well covered
}

} // namespace
} // namespace tavrin
