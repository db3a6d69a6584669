// The span sampler is a fast path of the per-pixel sampler: both must agree
// (up to the rounding of their blends) over many random spans.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "span_sampler.h"

namespace {

struct Level {
    std::vector<uint32_t> texels;
    int width, height;
};

platform::LevelSampler MakeSampler(const Level& level, DWORD address = D3DTADDRESS_WRAP) {
    platform::LevelSampler l;
    l.texels = level.texels.data();
    l.width = level.width;
    l.height = level.height;
    l.fwidth = static_cast<float>(level.width);
    l.fheight = static_cast<float>(level.height);
    const bool pow2 = (level.width & (level.width - 1)) == 0 && (level.height & (level.height - 1)) == 0;
    l.maskU = address == D3DTADDRESS_WRAP && pow2 ? level.width - 1 : -1;
    l.maskV = address == D3DTADDRESS_WRAP && pow2 ? level.height - 1 : -1;
    l.addressU = l.addressV = address;
    return l;
}

int MaxChannelDifference(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = std::abs(static_cast<int>((a >> shift) & 255u) - static_cast<int>((b >> shift) & 255u));
        worst = std::max(worst, d);
    }
    return worst;
}

TEST(SpanSampler, AgreesWithThePerPixelSampler) {
    std::mt19937 random(1234);
    auto makeLevel = [&](int w, int h) {
        Level level{std::vector<uint32_t>(static_cast<size_t>(w) * h), w, h};
        for (auto& t : level.texels) {
            t = random();
        }
        return level;
    };
    const Level big = makeLevel(64, 32), small = makeLevel(32, 16), odd = makeLevel(30, 7), oddSmall = makeLevel(15, 3);
    struct Pair {
        platform::LevelSampler a, b;
    } pairs[] = {{MakeSampler(big), MakeSampler(small)},
                 {MakeSampler(odd), MakeSampler(oddSmall)},
                 {MakeSampler(odd, D3DTADDRESS_CLAMP), MakeSampler(oddSmall, D3DTADDRESS_CLAMP)},
                 {MakeSampler(big, D3DTADDRESS_MIRROR), MakeSampler(small, D3DTADDRESS_MIRROR)}};
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0), step(-0.05, 0.05);
    std::uniform_int_distribution<int> weight(0, 256), length(1, 128);
    int worst = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const Pair& pair = pairs[trial % 4];
        platform::SamplePlan plan;
        plan.linear = true;
        plan.a = &pair.a;
        if (trial % 8 >= 4) {
            plan.b = &pair.b;
            plan.weightB = static_cast<uint32_t>(weight(random));
        }
        ASSERT_TRUE(platform::CanSampleSpanLinear(plan));
        const double u = coordinate(random), v = coordinate(random), du = step(random);
        const double dv = trial % 16 < 8 ? 0.0 : step(random);  // rows of constant v take their own path
        const int n = length(random);
        uint32_t fast[128];
        platform::SampleSpanLinear(plan, u, v, du, dv, n, fast);
        for (int i = 0; i < n; ++i) {
            const uint32_t reference =
                platform::Sample(plan, static_cast<float>(u + du * i), static_cast<float>(v + dv * i));
            worst = std::max(worst, MaxChannelDifference(fast[i], reference));
        }
    }
    // Float against fixed-point positions and a different blend order.
    EXPECT_LE(worst, 2);
}

}  // namespace
