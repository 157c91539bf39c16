#include "app/core/BarBand.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace tavrin {
namespace {

constexpr int kRow = 30;

std::string text(const std::vector<BandPlace>& places) {
    std::string out;
    for (const BandPlace& p : places) {
        out += std::to_string(p.left) + "/" + std::to_string(p.top) + " ";
    }
    return out;
}

// The standard bar 200 wide, the application bar 100, the Gaz Soft bar 50, as in the window.
std::vector<BandBar> bars(std::vector<BandPlace> wanted, std::vector<bool> shown) {
    const std::int32_t widths[] = {200, 100, 50};
    std::vector<BandBar> out;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        out.push_back({wanted[i], widths[i], shown[i]});
    }
    return out;
}

TEST(BarBand, SettlesIntoRowsWithoutOverlapOrGaps) {
    struct Row {
        const char* what;
        std::vector<BandPlace> wanted;
        std::vector<bool> shown;
        std::vector<BandPlace> stands;
        int rows;
    };
    const std::vector<Row> table = {
        {"a settled bar stays",
         {{50, 0}, {0, 0}, {0, 0}},
         {true, false, false},
         {{50, 0}, {0, 0}, {0, 0}},
         1},
        {"two rows", {{0, 0}, {0, 30}, {0, 0}}, {true, true, false}, {{0, 0}, {0, 30}, {0, 0}}, 2},
        {"a top off the grid goes to the nearest row",
         {{0, 0}, {0, 16}, {300, 14}},
         {true, true, true},
         {{0, 0}, {0, 30}, {300, 0}},
         2},
        {"empty rows close up",
         {{0, 60}, {0, 150}, {0, 0}},
         {true, true, false},
         {{0, 0}, {0, 30}, {0, 0}},
         2},
        {"a hidden bar leaves no row behind",
         {{0, 0}, {0, 30}, {0, 60}},
         {true, false, true},
         {{0, 0}, {0, 30}, {0, 30}},
         2},
        {"negative places come inside",
         {{-40, -9}, {0, 0}, {0, 0}},
         {true, false, false},
         {{0, 0}, {0, 0}, {0, 0}},
         1},
        {"an overlapping bar moves right of the one before it",
         {{0, 0}, {150, 0}, {0, 0}},
         {true, true, false},
         {{0, 0}, {200, 0}, {0, 0}},
         1},
        {"order follows the wanted lefts",
         {{100, 0}, {50, 0}, {0, 0}},
         {true, true, false},
         {{150, 0}, {50, 0}, {0, 0}},
         1},
        {"pushes chain along the row",
         {{10, 0}, {0, 0}, {5, 0}},
         {true, true, true},
         {{150, 0}, {0, 0}, {100, 0}},
         1},
        {"equal lefts: the earlier bar first",
         {{0, 0}, {0, 0}, {0, 0}},
         {true, true, true},
         {{0, 0}, {200, 0}, {300, 0}},
         1},
        {"a bar fits into a gap before a later one",
         {{0, 0}, {400, 0}, {210, 0}},
         {true, true, true},
         {{0, 0}, {400, 0}, {210, 0}},
         1},
        {"a hidden bar keeps what the file says",
         {{0, 0}, {-5, 17}, {0, 0}},
         {true, false, false},
         {{0, 0}, {-5, 17}, {0, 0}},
         1},
    };
    for (const Row& r : table) {
        const BandLayout got = settleBand(bars(r.wanted, r.shown), kRow);
        EXPECT_EQ(text(got.places), text(r.stands)) << r.what;
        EXPECT_EQ(got.rows, r.rows) << r.what;
        EXPECT_EQ(got.height, r.rows * kRow) << r.what;
        // What was written at close comes back the same at the next start.
        std::vector<BandBar> again = bars(got.places, r.shown);
        EXPECT_EQ(text(settleBand(again, kRow).places), text(got.places)) << r.what;
    }
}

TEST(BarBand, NoShownBarTakesNoHeight) {
    const BandLayout none =
        settleBand(bars({{50, 0}, {0, 30}, {9, 9}}, {false, false, false}), kRow);
    EXPECT_EQ(none.rows, 0);
    EXPECT_EQ(none.height, 0);
    EXPECT_EQ(text(none.places), "50/0 0/30 9/9 ");
    EXPECT_EQ(settleBand({}, kRow).height, 0);
}

TEST(BarBand, HandEditedExtremesStayInRange) {
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const std::int32_t small = std::numeric_limits<std::int32_t>::min();
    const BandLayout got =
        settleBand(bars({{big, big}, {small, small}, {big, 0}}, {true, true, true}), kRow);
    EXPECT_EQ(text(got.places), "32767/30 0/0 32767/0 ");
    EXPECT_EQ(got.height, 2 * kRow);
    // A row height that is no height still gives rows.
    EXPECT_EQ(settleBand(bars({{0, 0}, {0, 1}, {0, 0}}, {true, true, false}), 0).rows, 2);
}

TEST(BarBand, DroppedBarStandsWhereItWasDropped) {
    struct Row {
        const char* what;
        std::vector<BandPlace> wanted;
        std::vector<bool> shown;
        std::size_t dragged;
        BandPlace at;
        std::vector<BandPlace> stands;
    };
    const std::vector<Row> table = {
        {"along its row",
         {{0, 0}, {0, 0}, {0, 0}},
         {true, false, false},
         0,
         {50, 3},
         {{50, 0}, {0, 0}, {0, 0}}},
        {"onto the left of another: that one moves right",
         {{0, 0}, {250, 0}, {0, 0}},
         {true, true, false},
         1,
         {0, 0},
         {{100, 0}, {0, 0}, {0, 0}}},
        {"into the row below",
         {{0, 0}, {200, 0}, {0, 0}},
         {true, true, false},
         1,
         {40, 20},
         {{0, 0}, {40, 30}, {0, 0}}},
        {"far below: a new row under the last",
         {{0, 0}, {200, 0}, {0, 0}},
         {true, true, false},
         1,
         {10, 500},
         {{0, 0}, {10, 30}, {0, 0}}},
        {"out of its own row, which closes",
         {{0, 0}, {0, 30}, {0, 60}},
         {true, true, true},
         0,
         {300, 90},
         {{300, 60}, {0, 0}, {0, 30}}},
        {"onto the middle of another: that one moves right of it",
         {{0, 0}, {0, 30}, {0, 0}},
         {true, true, false},
         1,
         {100, 0},
         {{200, 0}, {100, 0}, {0, 0}}},
        {"above and left of the container",
         {{300, 30}, {0, 0}, {0, 0}},
         {true, true, false},
         0,
         {-20, -40},
         {{0, 0}, {200, 0}, {0, 0}}},
        {"others keep where they stood, not what they wanted",
         {{0, 0}, {150, 0}, {0, 0}},
         {true, true, false},
         0,
         {0, 30},
         {{0, 30}, {200, 0}, {0, 0}}},
        {"a hidden bar is not moved",
         {{0, 0}, {7, 7}, {0, 0}},
         {true, false, false},
         1,
         {100, 0},
         {{0, 0}, {7, 7}, {0, 0}}},
    };
    for (const Row& r : table) {
        const BandLayout got = dropBar(bars(r.wanted, r.shown), r.dragged, r.at, kRow);
        EXPECT_EQ(text(got.places), text(r.stands)) << r.what;
        std::vector<BandBar> again = bars(got.places, r.shown);
        EXPECT_EQ(text(settleBand(again, kRow).places), text(got.places)) << r.what;
    }
}

} // namespace
} // namespace tavrin
