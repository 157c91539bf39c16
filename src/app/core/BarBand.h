#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrin {

// A place in the bar container, in pixels from its top-left corner.
struct BandPlace {
    std::int32_t left = 0, top = 0;

    friend bool operator==(const BandPlace&, const BandPlace&) = default;
};

// One bar of the container: where it wants to stand, its width with its grip, and whether it
// is shown.
struct BandBar {
    BandPlace wanted;
    std::int32_t width = 0;
    bool shown = false;
};

// Where each bar stands, in the order of the bars given. A hidden bar keeps its wanted place.
struct BandLayout {
    std::vector<BandPlace> places;
    int rows = 0;
    std::int32_t height = 0; // rows * row height: no rows, no height
};

// Beyond this a bar is out of every window; a hand-edited file may hold any number.
inline constexpr std::int32_t kMaxBandLeft = 32767;

// The shown bars settled into rows of rowHeight: a top goes to the nearest row, empty rows
// close up, lefts are at least 0, and in a row the bars keep the order of their wanted lefts
// (ties: the earlier bar first), each pushed right of any bar it would overlap. A settled
// layout comes out unchanged.
BandLayout settleBand(const std::vector<BandBar>& bars, int rowHeight);

// The user dropped bar `dragged` with its top-left at `at`: it goes to the row nearest at.top,
// or a new row below the last, at at.left; bars of that row that are in its way move right,
// and the rest settle as above.
BandLayout dropBar(const std::vector<BandBar>& bars, std::size_t dragged, BandPlace at,
                   int rowHeight);

} // namespace tavrin
