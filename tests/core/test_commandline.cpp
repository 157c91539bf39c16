#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <map>

using namespace tavrin;
using commandline::splitArguments;
using shellstart::HostFile;
using shellstart::Starter;

namespace {

// "表" is 0x95 0x5C: its second byte is no backslash.
#define HYO "\x95\x5C"

struct SplitRow {
    const char* text;
    std::vector<std::string> args;
};

// clang-format off
const SplitRow kSplits[] = {
    {"",                                  {}},
    {" \t ",                              {}},
    {"0",                                 {"0"}},
    {"GamePlay ShowTitle FullScreen",     {"GamePlay", "ShowTitle", "FullScreen"}},
    {"  a \t b  ",                        {"a", "b"}},
    {"\"Save Data\" x",                   {"Save Data", "x"}},
    {"a\"b c\"d",                         {"ab cd"}},
    {"\"\"",                              {""}},
    {"a \"\" b",                          {"a", "", "b"}},
    {"\"unclosed tail",                   {"unclosed tail"}},
    // Backslashes alone stay as they are.
    {"C:\\Games\\Hero\\",                 {"C:\\Games\\Hero\\"}},
    {"a\\\\b",                            {"a\\\\b"}},
    // 2n + 1 before a quote: n backslashes and a literal quote.
    {"a\\\"b",                            {"a\"b"}},
    {"a\\\\\\\"b",                        {"a\\\"b"}},
    // 2n before a quote: n backslashes, and the quote groups.
    {"\"C:\\My Games\\\\\" x",            {"C:\\My Games\\", "x"}},
    {"a\\\\\"b c\"",                      {"a\\b c"}},
    // The classic trap: one backslash before the closing quote keeps the quote.
    {"\"C:\\My Games\\\" x",              {"C:\\My Games\" x"}},
    // "" inside quotes: a literal quote, still quoted.
    {"\"a\"\"b c\"",                      {"a\"b c"}},
    {"\"\"\"\"",                          {"\""}},
    // A double-byte character's trail byte 0x5C does not escape the quote after it.
    {"\"" HYO "\" x",                     {HYO, "x"}},
    {HYO "\\\"",                          {HYO "\""}},
    // A lead byte alone at the end is kept.
    {"a\x95",                             {"a\x95"}},
};
// clang-format on

TEST(CommandLine, SplitsByTheWindowsRules) {
    for (const SplitRow& row : kSplits) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(splitArguments(row.text), row.args);
    }
}

TEST(ShellStart, WebAddressesHaveASchemeOfTwoLettersOrMore) {
    for (const char* text : {"http://example.com/", "HTTPS://example.com", "mailto:a@b.c",
                             "File:///tmp/x", "svn+ssh://host/repo", "ab:"})
        EXPECT_TRUE(shellstart::isWebAddress(text)) << text;
    for (const char* text : {"C:\\Games\\", "c:", "", ":x", "1http://x", "http//x", "ht tp://x",
                             "\\\\srv\\share", "http"})
        EXPECT_FALSE(shellstart::isWebAddress(text)) << text;
}

class ShellStartChoice : public ::testing::Test {
protected:
    std::map<std::string, HostFile> mHost;
    std::vector<std::string> mAsked;

    shellstart::StartChoice choose(const std::string& file) {
        return shellstart::choose(file, [this](const std::string& path) {
            mAsked.push_back(path);
            const auto it = mHost.find(path);
            return it == mHost.end() ? HostFile{} : it->second;
        });
    }
    void file(const std::string& path, bool executeBit = false, std::string head = {}) {
        mHost[path] = {true, false, executeBit, std::move(head)};
    }
    void folder(const std::string& path) { mHost[path] = {true, true, true, {}}; }
};

TEST_F(ShellStartChoice, WindowsProgramsByTheirExtensionInAnyCase) {
    for (const char* path :
         {"C:\\G\\RPG_RT.EXE", "C:\\G\\game.exe", "C:\\G\\run.Com", "C:\\G\\setup.BAT"}) {
        // The execute bit of a FAT mount and an "MZ" head change nothing.
        file(path, true, "MZ");
        const auto choice = choose(path);
        EXPECT_EQ(choice.starter, Starter::Wine) << path;
        EXPECT_EQ(choice.target, path);
        EXPECT_FALSE(choice.webAddress);
    }
}

TEST_F(ShellStartChoice, APathWithoutExtensionFindsItsExe) {
    file("C:\\G\\RPG_RT.exe");
    const auto choice = choose("C:\\G\\RPG_RT");
    EXPECT_EQ(choice.starter, Starter::Wine);
    EXPECT_EQ(choice.target, "C:\\G\\RPG_RT.exe");

    // What exists under the name itself comes first.
    file("C:\\G\\tool", true, "#!/bin/sh");
    file("C:\\G\\tool.exe");
    EXPECT_EQ(choose("C:\\G\\tool").starter, Starter::Direct);
    folder("C:\\G\\Hero");
    file("C:\\G\\Hero.exe");
    EXPECT_EQ(choose("C:\\G\\Hero").starter, Starter::Desktop);

    // A name with an extension, or a folder path, gets no ".exe".
    file("C:\\G\\readme.txt.exe");
    mAsked.clear();
    EXPECT_EQ(choose("C:\\G\\readme.txt").starter, Starter::Missing);
    EXPECT_EQ(choose("C:\\G\\Gone\\").starter, Starter::Missing);
    EXPECT_EQ(mAsked, (std::vector<std::string>{"C:\\G\\readme.txt", "C:\\G\\Gone\\"}));
}

TEST_F(ShellStartChoice, FoldersDocumentsAndAddressesGoToTheDesktop) {
    folder("C:\\G\\Hero\\");
    folder("C:\\G\\Data.exe");
    file("C:\\G\\readme.txt");
    file("C:\\G\\notes.txt", true, "text");
    file("C:\\G\\empty", true, "");
    for (const char* path : {"C:\\G\\Hero\\", "C:\\G\\Data.exe", "C:\\G\\readme.txt",
                             "C:\\G\\notes.txt", "C:\\G\\empty"}) {
        const auto choice = choose(path);
        EXPECT_EQ(choice.starter, Starter::Desktop) << path;
        EXPECT_EQ(choice.target, path);
        EXPECT_FALSE(choice.webAddress);
    }

    mAsked.clear();
    const auto web = choose("Http://example.com/a.exe");
    EXPECT_EQ(web.starter, Starter::Desktop);
    EXPECT_EQ(web.target, "Http://example.com/a.exe");
    EXPECT_TRUE(web.webAddress);
    EXPECT_TRUE(mAsked.empty());
}

TEST_F(ShellStartChoice, NativeProgramsNeedTheBitAndAProgramHead) {
    file("C:\\bin\\elf", true,
         "\x7F"
         "ELF");
    file("C:\\bin\\script.sh", true, "#!/b");
    file("C:\\bin\\noexec.sh", false, "#!/b");
    EXPECT_EQ(choose("C:\\bin\\elf").starter, Starter::Direct);
    EXPECT_EQ(choose("C:\\bin\\script.sh").starter, Starter::Direct);
    EXPECT_EQ(choose("C:\\bin\\noexec.sh").starter, Starter::Desktop);
}

TEST_F(ShellStartChoice, NothingThereIsMissing) {
    EXPECT_EQ(choose("C:\\G\\RPG_RT.EXE").starter, Starter::Missing);
    EXPECT_EQ(choose("").starter, Starter::Missing);
    EXPECT_TRUE(choose("").target.empty());
}

TEST(ShellStart, JapaneseLocaleWhenTheLocaleInForceIsNotJapaneseUtf8) {
    struct Row {
        const char* all;
        const char* ctype;
        const char* lang;
        bool needed;
    };
    // clang-format off
    const Row rows[] = {
        {nullptr,        nullptr,        nullptr,           true},
        {nullptr,        nullptr,        "C.UTF-8",         true},
        {nullptr,        nullptr,        "ja_JP.UTF-8",     false},
        {nullptr,        nullptr,        "ja_JP.utf8",      false},
        {nullptr,        nullptr,        "ja_JP.UTF-8@x",   false},
        {nullptr,        "ja_JP.UTF-8",  "en_US.UTF-8",     false},
        {"ja_JP.UTF-8",  "C",            "C",               false},
        {"",             "",             "ja_JP.UTF-8",     false},
        // LC_ALL rules over the others, so a Japanese LANG under it does not count.
        {"C",            nullptr,        "ja_JP.UTF-8",     true},
        {nullptr,        "en_US.UTF-8",  "ja_JP.UTF-8",     true},
        // Wine would read the UTF-8 arguments in the locale's own character set.
        {nullptr,        nullptr,        "ja_JP",           true},
        {nullptr,        nullptr,        "ja_JP.eucJP",     true},
        {nullptr,        nullptr,        "ja_JP.SJIS",      true},
        {nullptr,        nullptr,        "ja_JPX.UTF-8",    true},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.all ? row.all : "-") + " " + (row.ctype ? row.ctype : "-") +
                     " " + (row.lang ? row.lang : "-"));
        EXPECT_EQ(shellstart::needsJapaneseLocale(row.all, row.ctype, row.lang), row.needed);
    }
}

} // namespace
