#include "app/core/BarBand.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <tuple>

namespace tavrin {

namespace {

// Wide enough for any real bar, and small enough that pushed lefts stay far from overflow.
constexpr std::int64_t kMaxBarWidth = 32767;

std::int64_t leftOf(const BandBar& bar) {
    return std::clamp<std::int64_t>(bar.wanted.left, 0, kMaxBandLeft);
}

// The nearest row; a top above the container goes to the first.
std::int64_t rowOf(std::int32_t top, std::int64_t rowHeight) {
    return (std::max<std::int64_t>(top, 0) + rowHeight / 2) / rowHeight;
}

std::int32_t fit(std::int64_t value) {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

// The pinned bar goes first in its row, so it stands exactly at its wanted left.
BandLayout settle(const std::vector<BandBar>& bars, int rowHeight,
                  std::optional<std::size_t> pinned) {
    const std::int64_t height = std::max(rowHeight, 1);
    BandLayout out;
    std::vector<std::int64_t> wantedRow(bars.size(), -1);
    std::vector<std::int64_t> used;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        out.places.push_back(bars[i].wanted);
        if (bars[i].shown) {
            wantedRow[i] = rowOf(bars[i].wanted.top, height);
            used.push_back(wantedRow[i]);
        }
    }
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    out.rows = static_cast<int>(used.size());
    out.height = fit(out.rows * height);

    for (std::size_t row = 0; row < used.size(); ++row) {
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            if (wantedRow[i] == used[row]) {
                order.push_back(i);
            }
        }
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return std::tuple(a != pinned, leftOf(bars[a]), a) <
                   std::tuple(b != pinned, leftOf(bars[b]), b);
        });
        // Spans already placed in this row, kept in order of their lefts; they never overlap,
        // so one pass pushes a bar past every span in its way.
        std::vector<std::pair<std::int64_t, std::int64_t>> spans;
        for (std::size_t i : order) {
            std::int64_t left = leftOf(bars[i]);
            const std::int64_t width = std::clamp<std::int64_t>(bars[i].width, 0, kMaxBarWidth);
            if (width > 0) {
                for (const auto& [from, to] : spans) {
                    if (left < to && from < left + width) {
                        left = to;
                    }
                }
                spans.insert(
                    std::upper_bound(spans.begin(), spans.end(), std::pair(left, left + width)),
                    {left, left + width});
            }
            out.places[i] = {fit(left), fit(static_cast<std::int64_t>(row) * height)};
        }
    }
    return out;
}

} // namespace

BandLayout settleBand(const std::vector<BandBar>& bars, int rowHeight) {
    return settle(bars, rowHeight, std::nullopt);
}

BandLayout dropBar(const std::vector<BandBar>& bars, std::size_t dragged, BandPlace at,
                   int rowHeight) {
    BandLayout now = settleBand(bars, rowHeight);
    if (dragged >= bars.size() || !bars[dragged].shown) {
        return now;
    }
    const std::int64_t height = std::max(rowHeight, 1);
    // The others start from where they stand, so only the drop moves anything.
    std::vector<BandBar> moved = bars;
    for (std::size_t i = 0; i < moved.size(); ++i) {
        moved[i].wanted = now.places[i];
    }
    // A row past the last becomes a new last row once empty rows close up.
    moved[dragged].wanted = {std::clamp<std::int32_t>(at.left, 0, kMaxBandLeft),
                             fit(rowOf(at.top, height) * height)};
    return settle(moved, rowHeight, dragged);
}

} // namespace tavrin
