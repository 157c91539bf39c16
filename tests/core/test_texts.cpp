#include "platform/AppError.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tavrin;

namespace {

struct RoundTrip {
    const char* utf8;
    const char* cp932;
};

// Trail byte 0x5C, half-width kana, the NEC row and CP932's own mappings of "～" and "－".
const RoundTrip kRoundTrips[] = {
    {"C:\\Games\\", "C:\\Games\\"},
    {"表", "\x95\x5C"},
    {"ソ", "\x83\x5C"},
    {"能力", "\x94\x5C\x97\xCD"},
    {"ｱｲｳﾞ", "\xB1\xB2\xB3\xDE"},
    {"①", "\x87\x40"},
    {"～", "\x81\x60"},
    {"－", "\x81\x7C"},
    {"ツクール95作品", "\x83\x63\x83\x4E\x81\x5B\x83\x8B\x39\x35\x8D\xEC\x95\x69"},
};

TEST(Cp932, RoundTrips) {
    for (const RoundTrip& row : kRoundTrips) {
        SCOPED_TRACE(row.utf8);
        EXPECT_EQ(cp932::fromUtf8(row.utf8), row.cp932);
        EXPECT_EQ(cp932::toUtf8(row.cp932), row.utf8);
        EXPECT_EQ(cp932::toUtf8Strict(row.cp932), std::optional<std::string>(row.utf8));
    }
}

TEST(Cp932, FromUtf8GivesOneQuestionMarkPerBadCharacter) {
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"한국", "??"},
        {"a😀b", "a?b"},
        {"\xC3", "?"},
        {"\xFF\xFEx", "??x"},
        {"\xE3\x81", "?"},                 // truncated at the end
        {"あ\x80い", "\x82\xA0?\x82\xA2"}, // stray continuation byte
        {"\xED\xA0\x80", "???"},           // an encoded surrogate is three bad bytes
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(cp932::fromUtf8(row.in), row.out);
    }
}

TEST(Cp932, BadBytesBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"\x80", fffd},
        {"a\x81", "a" + fffd},      // lone lead byte at the end
        {"\x81\x20x", fffd + " x"}, // a byte that cannot be a trail byte survives
        {"\x85\x40z", fffd + "z"},  // unassigned pair: one character
        {"\xFD\x95\x5C", fffd + "表"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(cp932::toUtf8(row.in), row.out);
        EXPECT_EQ(cp932::toUtf8Strict(row.in), std::nullopt);
    }
}

std::string repeated(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Where two long texts part, so that a failure does not print megabytes; npos when equal.
std::size_t firstDifference(std::string_view a, std::string_view b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return ia == a.end() && ib == b.end() ? std::string::npos
                                          : static_cast<std::size_t>(ia - a.begin());
}

// No timing here: a conversion that costs the rest of the text per bad byte would take many
// minutes on these inputs, so the test run's time limit catches it.
TEST(Cp932, LongRunsOfBadBytesConvertExactly) {
    const std::size_t n = 2 << 20;
    const std::string fffd = "\xEF\xBF\xBD";
    const std::size_t npos = std::string::npos;
    EXPECT_EQ(firstDifference(cp932::toUtf8(std::string(n, '\x80')), repeated(fffd, n)), npos);
    EXPECT_EQ(firstDifference(cp932::fromUtf8(std::string(n, '\xFF')), std::string(n, '?')), npos);
    // Every bad byte starts the conversion again; the good ones between must all survive.
    EXPECT_EQ(firstDifference(cp932::toUtf8(repeated("\x95\x5C\x80\xB1", n / 4)),
                              repeated("表" + fffd + "ｱ", n / 4)),
              npos);
    EXPECT_EQ(firstDifference(cp932::fromUtf8(repeated("表\xFFｱ", n / 4)),
                              repeated("\x95\x5C?\xB1", n / 4)),
              npos);
}

// Far longer than one pass of the converter can hold.
TEST(Cp932, LongValidTextsConvertWhole) {
    const std::string cp932 = repeated("\x83\x63\x83\x4E\x81\x5B\x83\x8B\x39\x35\xB1", 50000);
    const std::string utf8 = repeated("ツクール95ｱ", 50000);
    const std::size_t npos = std::string::npos;
    EXPECT_EQ(firstDifference(cp932::toUtf8(cp932), utf8), npos);
    EXPECT_EQ(firstDifference(cp932::toUtf8Strict(cp932).value_or(""), utf8), npos);
    EXPECT_EQ(firstDifference(cp932::fromUtf8(utf8), cp932), npos);
}

// A host name's CP932 form, what it shows and what the host side reads back: the name itself,
// where `back` is empty.
TEST(Cp932, HostNamesKeepWhatCp932CannotHold) {
    const struct {
        std::string host, cp932, shown, back;
    } rows[] = {
        {"Fröhliche Piratenweihnacht", "Fr<U+00F6>hliche Piratenweihnacht", "", ""},
        {"这里 한국", "<U+8FD9>" + sj("里") + " <U+D55C><U+AD6D>", "", ""},
        {"a😀b \xF4\x8F\xBF\xBD", "a<U+1F600>b <U+10FFFD>", "", ""},
        // The converter gives another character's code, or drops the character; "\" parts names.
        {"¥1‾¢\xF3\xA0\x81\x81 a\\b", "<U+00A5>1<U+203E><U+00A2><U+E0041> a<U+005C>b", "", ""},
        {"ツクール作品①", sj("ツクール作品①"), "", ""},
        {"<U+0041><x+ff><u+00f6>", "<U+003C>U+0041><U+003C>x+ff><U+003C>u+00f6>", "", ""},
        {"a<b <U+00041> <U+0000> <U+002E> <U+002F> <U+D800> <U+110000> <X+41> <U+41>",
         "a<b <U+00041> <U+0000> <U+002E> <U+002F> <U+D800> <U+110000> <X+41> <U+41>", "", ""},
        // Bytes that are no UTF-8, the name no CP932 either.
        {"Fr\xF6 ö\xFF", "Fr<X+F6> <U+00F6><X+FF>", "Fr<X+F6> ö<X+FF>", ""},
        // A CP932 name is taken as it is, but for what would read as an escape or part names.
        {"\x95\x5C<U+0041>\\", "\x95\x5C<U+003C>U+0041><U+005C>", "表<U+0041>\\", "表<U+0041>\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.host);
        const std::string cp932 = cp932::fromHostName(row.host);
        EXPECT_EQ(cp932, row.cp932);
        EXPECT_EQ(cp932::toUtf8(cp932), row.shown.empty() ? row.host : row.shown);
        EXPECT_EQ(cp932::toHostName(cp932), row.back.empty() ? row.host : row.back);
    }
}

// A path typed in keeps its separators and shows again as typed; "<X+HH>" names a raw byte.
TEST(Cp932, TypedPathsKeepWhatCp932CannotHold) {
    const struct {
        std::string typed, cp932, host;
    } rows[] = {
        {"Z:\\home\\Fröhliche\\", "Z:\\home\\Fr<U+00F6>hliche\\", "Z:\\home\\Fröhliche\\"},
        {"C:\\¥", "C:\\<U+00A5>", "C:\\¥"},
        {"C:\\<U+00F6>\\<u+00f6>", "C:\\<U+003C>U+00F6>\\<U+003C>u+00f6>",
         "C:\\<U+00F6>\\<u+00f6>"},
        {"C:\\<X+FF>", "C:\\<X+FF>", "C:\\\xFF"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(cp932::fromUtf8Lossless(row.typed), row.cp932);
        EXPECT_EQ(cp932::toUtf8(row.cp932), row.typed);
        EXPECT_EQ(cp932::toHostName(row.cp932), row.host);
    }
    // Escapes read in either case; a bad byte beside them is refused as elsewhere.
    EXPECT_EQ(cp932::toHostName("<u+00f6><x+ff>"), "ö\xFF");
    EXPECT_EQ(cp932::toHostName("<U+00F6>\x80"), std::nullopt);
}

// As above, the test run's time limit catches a conversion that costs the rest of the text per
// "<" or per escaped character.
TEST(Cp932, LongRunsOfEscapesConvertExactly) {
    const std::size_t n = 1 << 18;
    const std::size_t npos = std::string::npos;
    // Looking for each one's ">" to the end would take minutes even at memchr's speed.
    const std::string open = repeated("<U+0", 8 * n);
    EXPECT_EQ(firstDifference(cp932::toUtf8(open), open), npos);
    EXPECT_EQ(firstDifference(cp932::fromHostName(open), open), npos);
    EXPECT_EQ(firstDifference(cp932::fromHostName(repeated("ö表😀", n)),
                              repeated("<U+00F6>\x95\x5C<U+1F600>", n)),
              npos);
    EXPECT_EQ(firstDifference(cp932::toHostName(repeated("<U+00F6>\x95\x5C<X+FF>", n)).value_or(""),
                              repeated("ö表\xFF", n)),
              npos);
}

TEST(Cp932, ValidUtf8RejectsOverlongSurrogateAndTruncatedForms) {
    EXPECT_TRUE(cp932::isValidUtf8("表ｱ😀"));
    for (const char* bad :
         {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\x95\x5C"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(cp932::isValidUtf8(bad));
    }
}

TEST(Cp932, LastCharStart) {
    const struct {
        const char* text;
        std::size_t start;
    } rows[] = {
        {"", std::string::npos}, {"a", 0}, {"\x95\x5C", 0}, {"a\x95\x5C", 1}, {"ab\x83\x5C", 2},
        {"\x95\x5C\x81", 2}, // a lone lead byte is a character
        {"\x81\x81\x81", 2}, // 0x81 is lead and trail: pairs are counted from the start
        {"\xB1\xB2", 1},     // half-width kana are single bytes
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(cp932::lastCharStart(row.text), row.start);
    }
}

TEST(AppErrorText, ErrorBoxAppendsPeriodAfterHigherCharacter) {
    const struct {
        std::string message;
        std::string shown;
    } rows[] = {
        {"", ""},           {sj("ファイルがありません"), sj("ファイルがありません") + "."},
        {"Done.", "Done."}, {"Error!", "Error!"},
        {"abc", "abc."},    {"\xB1", "\xB1."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(errorBoxText(row.message), row.shown);
    }
}

TEST(AppErrorText, FormatMessageReplacesEachPlaceholder) {
    const std::string pattern = sj("%s に書き込めません");
    EXPECT_EQ(formatMessage(pattern, "C:\\Tavrin.ini"), "C:\\Tavrin.ini" + sj(" に書き込めません"));
    EXPECT_EQ(formatMessage("%s and %s", "x"), "x and x");
    EXPECT_EQ(formatMessage("[%s]", "%s"), "[%s]");
    EXPECT_EQ(formatMessage("no placeholder %d", "x"), "no placeholder %d");
}

} // namespace
