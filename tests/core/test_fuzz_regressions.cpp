// Inputs the fuzz targets (fuzz/) found faults with, each kept as the bytes that showed it.
#include "platform/WineRegFile.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using Read = Registry::Read;

// A type of eight hexadecimal digits overflowed an int while it was read (the sanitizer build
// stops on it); Wine reads it as a 32-bit number, so it names no string type.
TEST(FuzzRegressions, WineRegTypeOfEightDigits) {
    const std::string reg = "WINE REGISTRY Version 2\n"
                            "\n[Software\\\\ASCII\\\\RPG2001] 1796685639\n"
                            "\"Mrlti\"=str(d86a1926ef97):\"a\\0b\\0\"\n"
                            "\"Big\"=hex(ffffffff):41,00\n"
                            "\"Kept\"=str(2):\"%x%\"\n";
    WineRegFile file(reg);
    std::string out;
    EXPECT_EQ(file.readString("Software\\ASCII\\RPG2001", "Mrlti", out), Read::absent);
    EXPECT_EQ(file.readString("Software\\ASCII\\RPG2001", "Big", out), Read::notString);
    ASSERT_EQ(file.readString("Software\\ASCII\\RPG2001", "Kept", out), Read::ok);
    EXPECT_EQ(out, "%x%");
    ASSERT_TRUE(file.writeString("Software\\ASCII\\RPG2001", "Big", "now", 1796685640));
    ASSERT_EQ(file.readString("Software\\ASCII\\RPG2001", "Big", out), Read::ok);
    EXPECT_EQ(out, "now");
}

// A hex value whose last line ends in a backslash takes the next line as its own, whatever it
// is: a value or section added after it was swallowed, and the write still reported success.
TEST(FuzzRegressions, WineRegWriteAfterUnfinishedHexValue) {
    const std::string head = "WINE REGISTRY Version 2\n"
                             "\n[Software] W\\n\\ei17y768556;rd:000004b0\n"
                             "\"Bin\"=hex:f5,ff,\\";
    for (const std::string& end : {std::string(), std::string("\n"), std::string("\r\n")}) {
        SCOPED_TRACE("file ends in \"" + end + "\"");
        WineRegFile file(head + end);
        std::string out;
        ASSERT_EQ(file.readString("Software", "Bin", out), Read::absent);
        ASSERT_TRUE(file.writeString("Software", "Opese\xe4|", "\"y", 1796685563));
        ASSERT_TRUE(file.writeString("Software\\New", "", "d", 1796685563));
        ASSERT_EQ(file.readString("Software", "Opese\xe4|", out), Read::ok);
        EXPECT_EQ(out, "\"y");
        ASSERT_EQ(file.readString("Software\\New", "", out), Read::ok);
        EXPECT_EQ(out, "d");
        // The damaged value stays unread, as Wine leaves it.
        EXPECT_EQ(file.readString("Software", "Bin", out), Read::absent);
    }
}

} // namespace
} // namespace tavrin
