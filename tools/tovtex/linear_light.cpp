#include "linear_light.h"

#include <array>
#include <cmath>

namespace tovtex_tool {

namespace {

double Decode(double srgb) {
    return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}

struct Tables {
    std::array<float, 256> linear;
    // threshold[k]: the least linear light that rounds to k or above (the
    // light of the step's lower half-way point); threshold[0] is unused.
    std::array<float, 256> threshold;
    Tables() {
        for (int k = 0; k < 256; ++k) {
            linear[k] = static_cast<float>(Decode(k / 255.0));
            threshold[k] = static_cast<float>(Decode((k - 0.5) / 255.0));
        }
    }
};

const Tables& Curve() {
    static const Tables tables;
    return tables;
}

}  // namespace

float SrgbToLinear(BYTE value) {
    return Curve().linear[value];
}

BYTE LinearToSrgb(float linear) {
    const auto& threshold = Curve().threshold;
    // The greatest k whose threshold the light reaches: a binary search
    // over the 255 half-way points, exact where a formula would round.
    int low = 0, high = 255;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (linear >= threshold[middle]) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return static_cast<BYTE>(low);
}

void HalveInLinearLight(const BYTE* source, INT sourcePitch, UINT width, UINT height, BYTE* destination,
                        INT destinationPitch) {
    const UINT outWidth = width > 1 ? width / 2 : 1, outHeight = height > 1 ? height / 2 : 1;
    for (UINT y = 0; y < outHeight; ++y) {
        const BYTE* rowA = source + static_cast<ptrdiff_t>(2 * y) * sourcePitch;
        const BYTE* rowB = height > 1 ? rowA + sourcePitch : rowA;
        BYTE* out = destination + static_cast<ptrdiff_t>(y) * destinationPitch;
        for (UINT x = 0; x < outWidth; ++x) {
            const BYTE* p[4] = {rowA + 8 * x, rowA + (width > 1 ? 8 * x + 4 : 8 * x), rowB + 8 * x,
                                rowB + (width > 1 ? 8 * x + 4 : 8 * x)};
            for (int c = 0; c < 3; ++c) {
                const float sum =
                    ((SrgbToLinear(p[0][c]) + SrgbToLinear(p[1][c])) + SrgbToLinear(p[2][c])) + SrgbToLinear(p[3][c]);
                out[4 * x + c] = LinearToSrgb(sum * 0.25f);
            }
            out[4 * x + 3] = static_cast<BYTE>((p[0][3] + p[1][3] + p[2][3] + p[3][3] + 2) >> 2);
        }
    }
}

}  // namespace tovtex_tool
