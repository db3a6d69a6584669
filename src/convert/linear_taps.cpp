#include "convert/linear_taps.h"

#include <cmath>

namespace {

// The exact value of one operation, rounded to single precision toward
// zero: the nearest float, stepped back when it landed farther from zero.
float TowardZero(double exact) {
    float f = static_cast<float>(exact);
    if (std::fabs(static_cast<double>(f)) > std::fabs(exact)) {
        f = std::nextafterf(f, 0.0f);
    }
    return f;
}

}  // namespace

HeapArray<LinearTap> BuildLinearTaps(UINT sourceCount, UINT destinationCount, bool wrap) {
    HeapArray<LinearTap> taps;
    if (!taps.Allocate(destinationCount)) {
        return taps;
    }
    const auto last = static_cast<INT>(sourceCount) - 1;
    const float scale = static_cast<float>(sourceCount) / static_cast<float>(destinationCount);
    for (UINT i = 0; i < destinationCount; ++i) {
        // Every product and difference below is exact in double. The
        // fraction x - f is exact in single precision only for x >= 0; left
        // of the first centre (x in (-0.5, 0)) it is 1 + x, which a float
        // often cannot hold, so it is rounded like the other steps.
        const float position = TowardZero(static_cast<double>(static_cast<float>(i)) * scale);
        const float x = TowardZero(static_cast<double>(position) - 0.5);
        const float f = std::floor(x);
        const float weight1 = TowardZero(static_cast<double>(x) - static_cast<double>(f));
        const float weight0 = TowardZero(1.0 - static_cast<double>(weight1));
        LinearTap& tap = taps[i];
        tap.index0 = static_cast<INT>(f);
        tap.index1 = tap.index0 + 1;
        tap.weight0 = weight0;
        tap.weight1 = weight1;
        if (tap.index0 < 0) {
            tap.index0 = wrap ? last : 0;
        }
        if (tap.index1 > last) {
            tap.index1 = wrap ? 0 : last;
        }
    }
    return taps;
}
