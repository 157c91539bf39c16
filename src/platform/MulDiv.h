#pragma once

#include <cmath>
#include <cstdint>

namespace tavrin {

// a * b / c as Windows' MulDiv rounds it (halves away from zero), so a font size read and
// written back never drifts; -1 for c == 0 or a result beyond 32 bits, as MulDiv answers.
inline std::int32_t mulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) {
        return -1;
    }
    const double exact = static_cast<double>(a) * b / c;
    const double rounded = std::round(exact);
    if (rounded > INT32_MAX || rounded < INT32_MIN) {
        return -1;
    }
    return static_cast<std::int32_t>(rounded);
}

} // namespace tavrin
