#include "platform/Cp932.h"
#include "platform/WineRegFile.h"

#include <gtest/gtest.h>

#include <random>

namespace tavrin {
namespace {

using Read = Registry::Read;

// A user.reg as Wine 8 saves it, with the kinds of lines it writes.
const std::string kHead = "WINE REGISTRY Version 2\n"
                          ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
                          "\n"
                          "#arch=win64\n";
const std::string kDesktop = "\n[Control Panel\\\\Desktop] 1796685563\n"
                             "#time=1dd86a1651d48e2\n"
                             "\"CaptionFont\"=hex:f5,ff,ff,ff,00,00,00,00,00,00,00,00,00,00,\\\n"
                             "  00,22,4d,00\n"
                             "\"FontSmoothing\"=\"2\"\n"
                             "\"Path\"=str(2):\"%USERPROFILE%\\\\Desktop\"\n"
                             "\"Wait\"=dword:000004b0\n";
const std::string kInternational =
    "\n[Control Panel\\\\International\\\\\\xd83c\\xdf0e\\xd83c\\xdf0f] 1796685558\n"
    "#time=1dd86a1620ee4b2\n"
    "@=\"globe\"\n";
const std::string kAscii = "\n[Software\\\\ASCII\\\\RPG2000] 1796685639\n"
                           "#time=1dd86a1926ef976\n"
                           "\"ApplicationPath\"=\"C:\\\\Program Files\\\\\\x30c4\\x30af\\x30fc"
                           "\\x30eb\\\\\"\n"
                           "\"Multi\"=str(7):\"a\\0b\\0\"\n"
                           "\"Odd\"=hex(1):41,00,e5,65,2c,67\n";
const std::string kEnterbrain = "\n[Software\\\\Enterbrain\\\\RPG2000] 1796685640\n"
                                "#time=1dd86a1926ef977\n"
                                "\"ApplicationPath\"=\"D:\\\\RPG2000\\\\\"\n"
                                "\"OpenedProjectFolder\"=\"\\x65e5\\x672ca1\\1z\\\"q\\\\\"\n"
                                "\"ProjectBasePath\"=\"E:\\\\\"\n";
const std::string kWine = "\n[Software\\\\Wine\\\\Drivers] 1796685562\n"
                          "#time=1dd86a164b96778\n"
                          "\"Audio\"=\"\"";

std::string sample() {
    return kHead + kDesktop + kInternational + kAscii + kEnterbrain + kWine;
}

struct ReadRow {
    const char* key;
    const char* name;
    Read result;
    std::string value;
};

TEST(WineRegFile, ReadsValuesAsWineLoadsThem) {
    const WineRegFile file(sample());
    ASSERT_TRUE(file.valid());
    const ReadRow rows[] = {
        {"Software\\ASCII\\RPG2000", "ApplicationPath", Read::ok,
         sj("C:\\Program Files\\ツクール\\")},
        {"software\\ascii\\rpg2000", "APPLICATIONPATH", Read::ok,
         sj("C:\\Program Files\\ツクール\\")},
        {"\\Software\\ASCII\\RPG2000\\", "ApplicationPath", Read::ok,
         sj("C:\\Program Files\\ツクール\\")},
        {"Software\\Enterbrain\\RPG2000", "OpenedProjectFolder", Read::ok, sj("日本a1\x01z\"q\\")},
        {"Software\\Enterbrain\\RPG2000", "ProjectBasePath", Read::ok, "E:\\"},
        {"Control Panel\\Desktop", "FontSmoothing", Read::ok, "2"},
        {"Control Panel\\Desktop", "Path", Read::ok, "%USERPROFILE%\\Desktop"},
        {"Control Panel\\Desktop", "CaptionFont", Read::notString, ""},
        {"Control Panel\\Desktop", "Wait", Read::notString, ""},
        {"Software\\ASCII\\RPG2000", "Multi", Read::notString, ""},
        // A string Wine could not keep as one: hexadecimal UTF-16.
        {"Software\\ASCII\\RPG2000", "Odd", Read::ok, sj("A日本")},
        // Characters CP932 cannot hold.
        {"Control Panel\\International\\\xF0\x9F\x8C\x8E", "", Read::absent, ""},
        {"Software\\Wine\\Drivers", "Audio", Read::ok, ""},
        {"Software\\Wine\\Drivers", "Video", Read::absent, ""},
        {"Software\\Wine", "Audio", Read::absent, ""},
        {"Software\\Enterbrain\\RPG2003", "ApplicationPath", Read::absent, ""},
        {"", "Audio", Read::absent, ""},
        {"Software\\Enterbrain\\RPG2000", "", Read::absent, ""},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " / " + row.name);
        std::string out = "untouched";
        EXPECT_EQ(file.readString(row.key, row.name, out), row.result);
        if (row.result == Read::ok) {
            EXPECT_EQ(out, row.value);
        }
        // Handed over in pieces and kept to the key's own sections, it answers the same.
        const std::string bytes = sample();
        for (std::size_t step : {1, 7, 4096}) {
            WineRegKeyFilter filter(row.key);
            for (std::size_t i = 0; i < bytes.size(); i += step) {
                filter.feed(std::string_view(bytes).substr(i, step));
            }
            std::string piecewise = "untouched";
            EXPECT_EQ(filter.finish().readString(row.key, row.name, piecewise), row.result);
            EXPECT_EQ(piecewise, out);
        }
    }
}

TEST(WineRegFile, ReadsWhatWineAcceptsBeyondItsOwnForm) {
    const WineRegFile file(
        "WINE REGISTRY Version 2\r\n"
        "[Software\\\\X\\\\\xCE\xB1\xEF\xBD\x81] 1\r\n" // raw UTF-8 "αａ"
        "\"Raw\"=\"\xE6\x97\xA5\xE6\x9C\xAC\xFF\"\r\n"  // a byte that is not UTF-8 is dropped
        "\"Esc\"=\"\\101\\x41g\\q\\x\\a\\e\"\r\n"
        "\"Long\"=\"\\x30b21\"\r\n"
        "\"Nul\"=\"cut\\0here\"\r\n"
        "\"Dup\"=\"first\"\r\n"
        "[software\\\\x\\\\\\x391\\xff21]\r\n"
        "\"dup\"=\"second\"\r\n"
        "@=str(2):\"def\"\r\n"
        "\"Broken\"=\"no end\r\n"
        "\"Bad\"=hex:4x\r\n");
    const ReadRow rows[] = {
        {"Software\\X\\αａ", "Raw", Read::ok, sj("日本")},
        {"SOFTWARE\\x\\ΑＡ", "Esc", Read::ok, "AAgqx\a\x1b"},
        {"Software\\X\\αａ", "Long", Read::ok, sj("ゲ1")},
        {"Software\\X\\αａ", "Nul", Read::ok, "cut"},
        // Wine loads from the top: the later line wins, whichever section holds it.
        {"Software\\X\\αａ", "DUP", Read::ok, "second"},
        {"Software\\X\\αａ", "", Read::ok, "def"},
        {"Software\\X\\αａ", "Broken", Read::absent, ""},
        {"Software\\X\\αａ", "Bad", Read::absent, ""},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out;
        EXPECT_EQ(file.readString(sj(row.key), row.name, out), row.result);
        if (row.result == Read::ok) {
            EXPECT_EQ(out, row.value);
        }
    }
}

TEST(WineRegFile, WritesChangeOnlyTheirOwnLines) {
    const std::int64_t now = 1796685639;
    const std::string stamp = "] 1796685639\n#time=1dd86a19219bd80\n";
    const std::string before = sample();
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = before;
        const std::size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return s.replace(at, from.size(), to);
    };
    struct Row {
        const char* what;
        std::string key;
        const char* name;
        std::string data;
        std::string expected;
    };
    const Row rows[] = {
        {"existing value, another case", "SOFTWARE\\enterbrain\\RPG2000", "projectbasepath",
         sj("C:\\ゲーム\\"),
         replaced("\"ProjectBasePath\"=\"E:\\\\\"\n",
                  "\"ProjectBasePath\"=\"C:\\\\\\x30b2\\x30fc\\x30e0\\\\\"\n")},
        {"value on several lines", "Control Panel\\Desktop", "CaptionFont", "x",
         replaced("\"CaptionFont\"=hex:f5,ff,ff,ff,00,00,00,00,00,00,00,00,00,00,\\\n"
                  "  00,22,4d,00\n",
                  "\"CaptionFont\"=\"x\"\n")},
        {"new value", "Software\\ASCII\\RPG2000", "New", "v",
         replaced("\"Odd\"=hex(1):41,00,e5,65,2c,67\n",
                  "\"Odd\"=hex(1):41,00,e5,65,2c,67\n\"New\"=\"v\"\n")},
        {"new default value", "Software\\ASCII\\RPG2000", "", "d",
         replaced("\"Odd\"=hex(1):41,00,e5,65,2c,67\n",
                  "\"Odd\"=hex(1):41,00,e5,65,2c,67\n@=\"d\"\n")},
        {"new value in the last section, no line end", "Software\\Wine\\Drivers", "Video", "x",
         before + "\n\"Video\"=\"x\"\n"},
        {"new key between others", "Software\\Enterbrain\\RPG2003", "ProjectBasePath",
         sj("C:\\ゲーム\\"),
         replaced(kWine, "\n[Software\\\\Enterbrain\\\\RPG2003" + stamp +
                             "\"ProjectBasePath\"=\"C:\\\\\\x30b2\\x30fc\\x30e0\\\\\"\n" + kWine)},
        {"new key before its children, named as given", "software\\ENTERBRAIN", "a", "b",
         replaced(kEnterbrain,
                  "\n[software\\\\ENTERBRAIN" + stamp + "\"a\"=\"b\"\n" + kEnterbrain)},
        {"new key at the end, brackets escaped", sj("\\Software\\Zz\\[ゲ]\\"), "", "b",
         before + "\n\n[Software\\\\Zz\\\\\\[\\x30b2\\]" + stamp + "@=\"b\"\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WineRegFile file(before);
        ASSERT_TRUE(file.writeString(row.key, row.name, row.data, now));
        EXPECT_EQ(file.bytes(), row.expected);
        std::string out;
        EXPECT_EQ(file.readString(row.key, row.name, out), Read::ok);
        EXPECT_EQ(out, row.data);
    }
}

TEST(WineRegFile, WritesStringsAsWineDoes) {
    struct Row {
        std::string data;
        const char* written; // as Wine 8 writes it
        std::string reads;
    };
    const Row rows[] = {
        {sj("日本a1") + "\x01z\"q\\", "\\x65e5\\x672ca1\\1z\\\"q\\\\", ""},
        // Four digits only where a hexadecimal digit follows, so Wine reads the next one apart.
        {sj("αbαgα"), "\\x03b1b\\x3b1g\\x3b1", ""},
        {"\x01"
         "7\x01"
         "8\x1f",
         "\\0017\\18\\37", ""},
        {"\t\r\n\a\b\v\f\x1b", "\\t\\r\\n\\a\\b\\v\\f\\e", ""},
        {"[]{}'~\x7f", "[]{}'~\x7f", ""},
        {sj("ｱ①㈱髙"), "\\xff71\\x2460\\x3231\\x9ad9", ""},
        // Not CP932: read back as the converter stands for it.
        {"\x81", "\\xfffd", "?"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.written);
        WineRegFile file(kHead);
        ASSERT_TRUE(file.writeString("K", "v", row.data, 0));
        EXPECT_EQ(file.bytes(),
                  kHead + "\n[K] 0\n#time=19db1ded53e8000\n\"v\"=\"" + row.written + "\"\n");
        std::string out;
        ASSERT_EQ(file.readString("k", "V", out), Read::ok);
        EXPECT_EQ(out, row.reads.empty() ? row.data : row.reads);
    }
}

TEST(WineRegFile, KeepsLineEndsAndRefusesWhatWineWouldNotLoad) {
    WineRegFile crlf("WINE REGISTRY Version 2\r\n\r\n[A] 1\r\n\"x\"=\"1\"\r\n");
    ASSERT_TRUE(crlf.writeString("A", "y", "2", 0));
    ASSERT_TRUE(crlf.writeString("B", "z", "3", 0));
    EXPECT_EQ(crlf.bytes(), "WINE REGISTRY Version 2\r\n\r\n[A] 1\r\n\"x\"=\"1\"\r\n\"y\"=\"2\"\r\n"
                            "\r\n[B] 0\r\n#time=19db1ded53e8000\r\n\"z\"=\"3\"\r\n");

    for (const std::string& bad : {std::string(), std::string("REGEDIT4\n[A]\n\"x\"=\"1\"\n"),
                                   std::string("WINE REGISTRY Version 1\n[A]\n\"x\"=\"1\"\n")}) {
        WineRegFile file(bad);
        EXPECT_FALSE(file.valid());
        std::string out;
        EXPECT_EQ(file.readString("A", "x", out), Read::absent);
        EXPECT_FALSE(file.writeString("A", "x", "2", 0));
        EXPECT_EQ(file.bytes(), bad);
    }
    WineRegFile file(kHead);
    EXPECT_FALSE(file.writeString("\\", "x", "2", 0));
    EXPECT_EQ(file.bytes(), kHead);
}

// Cut and mutated files: nothing crashes, and a write that is taken reads back.
TEST(WineRegFile, DamagedFilesAreSafe) {
    const std::string whole = sample();
    std::mt19937 random(20261207);
    const std::string alphabet = "[]\"\\@=:,()x0a7\n\r \xE6\x97\xA5";
    const std::string key = sj("Software\\Enterbrain\\RPG2000");
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = whole.substr(0, random() % (whole.size() + 1));
        const int mutations = round % 4 == 0 ? 0 : 1 + static_cast<int>(random() % 6);
        for (int m = 0; m < mutations && !bytes.empty(); ++m) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0:
                bytes[at] = alphabet[random() % alphabet.size()];
                break;
            case 1:
                bytes.erase(at, 1 + random() % 8);
                break;
            default:
                bytes.insert(at, 1, alphabet[random() % alphabet.size()]);
            }
        }
        WineRegFile file(bytes);
        std::string out;
        file.readString(key, "ProjectBasePath", out);
        file.readString("Control Panel\\Desktop", "CaptionFont", out);
        const bool taken = file.writeString(key, "ProjectBasePath", sj("C:\\ゲーム\\"), 1);
        ASSERT_EQ(taken, file.valid()) << bytes;
        if (taken) {
            ASSERT_EQ(file.readString(key, "ProjectBasePath", out), Read::ok) << bytes;
            ASSERT_EQ(out, sj("C:\\ゲーム\\")) << bytes;
        }
    }
}

// The filter reads most headers in place; however a header spells the key, it keeps the same
// sections a full reading finds.
TEST(WineRegKeyFilter, KeepsTheKeysSectionsHoweverTheirHeadersAreWritten) {
    const std::pair<const char*, bool> headers[] = {
        {"[Software\\\\ASCII\\\\RPG2000]", true},
        {"[software\\\\ascii\\\\rpg2000]", true},
        {"[\\\\Software\\\\\\\\ASCII\\\\RPG2000\\\\]", true}, // empty parts count for nothing
        {"[Software\\\\ASCII\\\\RPG200\\x30]", true},         // an escape after plain text
        {"[Software\\\\ASCII\\\\RPG2000x]", false},
        {"[Software\\\\ASCII]", false},
        {"[Software\\\\ASCII\\\\RPG2000\\\\Sub]", false},
        {"[Software\\\\ASCII\\\\RPG200\\x31]", false},
        {"[Software\\\\ASCII\\\\RPG2000", false}, // no end
    };
    for (const auto& [header, kept] : headers) {
        SCOPED_TRACE(header);
        // A header's look-alike inside a value is no header, wherever the pieces break.
        const std::string bytes =
            std::string("WINE REGISTRY Version 2\n\n[Other] 1\n") +
            "\"Decoy\"=\"[Software\\\\ASCII\\\\RPG2000]\"\n\"V\"=\"decoy\"\n\n" + header +
            " 1\n\"V\"=\"x\"\n";
        std::string whole;
        WineRegFile(bytes).readString("Software\\ASCII\\RPG2000", "V", whole);
        EXPECT_EQ(whole, kept ? "x" : "");
        for (std::size_t step : {std::size_t(1), bytes.size()}) {
            WineRegKeyFilter filter("Software\\ASCII\\RPG2000");
            for (std::size_t i = 0; i < bytes.size(); i += step)
                filter.feed(std::string_view(bytes).substr(i, step));
            std::string filtered;
            EXPECT_EQ(filter.finish().readString("Software\\ASCII\\RPG2000", "V", filtered),
                      kept ? Read::ok : Read::absent);
            EXPECT_EQ(filtered, whole);
        }
    }
}

} // namespace
} // namespace tavrin
