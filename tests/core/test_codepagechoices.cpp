#include "launch/CodePageChoices.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace std::string_literals;

TEST(CodePageChoices, OnlyLinesNamingACandidateAndAFolderAreRead) {
    const std::pair<std::string, std::map<std::string, int>> rows[] = {
        {"1252\tC:\\Hero\r\n949\tC:\\K\\", {{"C:\\Hero\\", 1252}, {"C:\\K\\", 949}}},
        // The same folder in another letter case: the later line.
        {"1252\tC:\\Hero\\\n936\tc:\\hero\\\n", {{"c:\\hero\\", 936}}},
        {"65001\tC:\\A\\\n437\tC:\\E\\\n09320\tC:\\B\\\n", {}},
        {" 932\tC:\\C\\\n99999999999999999999\tC:\\D\\\n", {}},
        {"932 C:\\No\\Tab\\\n932\t\n932\tC:\\Ctl\x01\\\n\xff\xfe\x00\n1250\tC:\\Last"s,
         {{"C:\\Last\\", 1250}}},
    };
    for (const auto& [bytes, expected] : rows) {
        EXPECT_EQ(CodePageChoices::parse(bytes), expected) << bytes;
        EXPECT_EQ(CodePageChoices::parse(CodePageChoices::format(expected)), expected);
    }
}

TEST(CodePageChoices, AChoiceIsWrittenOnlyWhenItChanges) {
    const std::string file = "Z:\\app\\Tavrin.codepage";
    test::MemoryFileSystem fs;
    fs.files[file] = "1252\tZ:\\g\\Hero\\\r\n";
    CodePageChoices choices(fs, file);
    EXPECT_EQ(choices.chosen("z:\\G\\hero"), 1252);
    // The same folder in another case replaces the choice.
    choices.choose("Z:\\G\\HERO", 936);
    EXPECT_EQ(fs.files[file], "936\tZ:\\G\\HERO\\\r\n");

    // No change, and no candidate, write nothing.
    fs.files[file] = "untouched";
    choices.choose("Z:\\g\\hero\\", 936);
    choices.choose("Z:\\g\\Never\\", std::nullopt);
    choices.choose("Z:\\g\\Utf\\", 65001);
    EXPECT_EQ(fs.files[file], "untouched");

    // A file that is there but cannot be read is kept; the choice holds for this run.
    fs.refused = {file};
    CodePageChoices refused(fs, file);
    refused.choose("Z:\\g\\Hero\\", 1251);
    EXPECT_EQ(fs.files[file], "untouched");
    EXPECT_EQ(refused.chosen("Z:\\g\\Hero\\"), 1251);
}

} // namespace
} // namespace tavrin
