// Conversions of caller coordinates (doubles) to whole pixels.
#ifndef CARDPAINT_PIXELS_H
#define CARDPAINT_PIXELS_H

#include <cmath>
#include <cstddef>

namespace cardpaint {

// Whole pixels are far below this; clamping keeps the casts defined for any double.
constexpr double kPixelLimit = 1e9;

// A size cut toward zero; negative and NaN sizes become 0.
inline size_t wholeSize(double value) {
    if (!(value > 0)) {
        return 0;
    }
    return static_cast<size_t>(std::fmin(value, kPixelLimit));
}

// An offset cut toward zero; NaN becomes 0.
inline long wholeOffset(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<long>(std::fmax(-kPixelLimit, std::fmin(value, kPixelLimit)));
}

}  // namespace cardpaint

#endif
