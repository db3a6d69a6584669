#include "convert/triangle_weights.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr float SMALLEST_WEIGHT = 0.00001f;

// Calls emit(index, weight) for each pair source j keeps, in axis order.
template <class Emit>
void ForEachWeight(UINT j, UINT sourceCount, UINT destinationCount, bool wrap, Emit emit) {
    const auto count = static_cast<float>(destinationCount);
    const float b = count / static_cast<float>(sourceCount);  // one source pixel, in destination pixels
    const float k = 0.5f / b;
    const auto d = static_cast<std::int64_t>(destinationCount);

    bool open = false;
    std::int64_t cell = 0;
    float sum = 0.0f;
    auto close = [&] {
        if (open && sum > SMALLEST_WEIGHT) {
            emit(static_cast<UINT>(cell), sum);
        }
    };
    // The tent rises over the first half and falls over the second.
    for (UINT h = 0; h < 2; ++h) {
        const float f = static_cast<float>(j + h) - 0.5f;
        float g = f * b;
        float o = g + b;
        if (!wrap) {
            g = std::max(g, 0.0f);
            o = std::min(o, count);
        }
        for (auto m = static_cast<std::int64_t>(std::floor(g)); static_cast<float>(m) < o; ++m) {
            const float v = std::max(g, static_cast<float>(m));
            const float e = std::min(o, static_cast<float>(m + 1));
            const std::int64_t u = m < 0 ? m + d : (m >= d ? m - d : m);
            // Where the overlap's middle lies within the half, 0 to 1; the
            // outer halves of the edge pixels are flat without wrap.
            float a = (v + e) * k - f;
            if (!wrap && f < 0.0f) {
                a = 1.0f;
            } else if (!wrap && f + 1.0f >= static_cast<float>(sourceCount)) {
                a = 0.0f;
            }
            const float contribution = (h == 0 ? a : 1.0f - a) * (e - v);
            if (open && u == cell) {
                sum += contribution;
            } else {
                close();
                open = true;
                cell = u;
                sum = contribution;
            }
        }
    }
    close();
}

}  // namespace

bool BuildTriangleWeights(UINT sourceCount, UINT destinationCount, bool wrap, TriangleWeights& weights) {
    if (sourceCount == 0 || destinationCount == 0) {
        return false;
    }
    // Count first, then fill, so the pairs take one allocation.
    std::uint64_t total = 0;
    for (UINT j = 0; j < sourceCount; ++j) {
        ForEachWeight(j, sourceCount, destinationCount, wrap, [&](UINT, float) { ++total; });
    }
    if (total > UINT32_MAX || !weights.start.Allocate(static_cast<std::size_t>(sourceCount) + 1) ||
        !weights.pairs.Allocate(static_cast<std::size_t>(total))) {
        return false;
    }
    UINT n = 0;
    for (UINT j = 0; j < sourceCount; ++j) {
        weights.start[j] = n;
        ForEachWeight(j, sourceCount, destinationCount, wrap, [&](UINT index, float weight) {
            weights.pairs[n++] = TriangleWeight{index, weight};
        });
    }
    weights.start[sourceCount] = n;
    weights.sourceCount = sourceCount;
    return true;
}
