#pragma once
// The channel refit's inner search: of the candidate levels of the two
// endpoints in one channel, the pair whose palette fits the texels' sums
// best. Every cost is an exact integer, so the plain form and the AVX2 form
// (four pairs a register) agree bit for bit: the least cost, the first pair
// in order (c0's level, then c1's) on ties, the current pair unless another
// costs strictly less.

#include <cstdint>

namespace dxt_search {

inline constexpr int LEVEL_SLOTS = 64;

struct LevelPairs {
    int count[2];                       // candidate levels of c0, of c1
    int current[2];                     // the current pair's places in the lists
    std::int32_t value[2][LEVEL_SLOTS];  // the levels expanded to 0 to 255
    std::int64_t cost[2][LEVEL_SLOTS];   // the endpoint's own entry's cost
    std::int64_t weight[2];             // the inner entries' (2 and 3) weight
    std::int64_t sum[2];                // and weighted channel sum
    bool four;                          // four colours, else three
};

// One entry's part of a channel's error, less the part that does not depend
// on the levels: W v^2 - 2 v S.
inline std::int64_t LevelCost(std::int64_t weight, std::int64_t sum, std::int64_t v) {
    return v * (weight * v - 2 * sum);
}

// The cost of the pair at places p and q: both endpoints' entries and the
// entries between them.
inline std::int64_t LevelPairCost(const LevelPairs& in, int p, int q) {
    const std::int64_t x = in.value[0][p], y = in.value[1][q];
    const std::int64_t cost = in.cost[0][p] + in.cost[1][q];
    if (in.four) {
        return cost + LevelCost(in.weight[0], in.sum[0], (2 * x + y + 1) / 3) +
               LevelCost(in.weight[1], in.sum[1], (x + 2 * y + 1) / 3);
    }
    return cost + LevelCost(in.weight[0], in.sum[0], (x + y) >> 1);
}

// The places of the best pair. The lists' slots up to the next multiple of
// four past count hold zeros (the vector form reads them).
void BestLevelPair(const LevelPairs& in, int& p, int& q);
void BestLevelPairPlain(const LevelPairs& in, int& p, int& q);
#if TOVTEX_SSE2
// Call only where CpuHasAvx2().
void BestLevelPairAvx2(const LevelPairs& in, int& p, int& q);

// The AVX2 kernel under it: the least of the pairs' keys, each the pair's
// cost times 4096 plus its place in order (64 p + q), so the least key is
// the least cost, the first on ties (costs stay within 2^36, keys within
// 2^48); INT64_MAX for no pair.
std::int64_t LeastLevelPairKeyAvx2(const LevelPairs& in);
#endif

}  // namespace dxt_search
