#include "codec/dxt_level_pairs.h"

#include "codec/cpu_features.h"

namespace dxt_search {

void BestLevelPairPlain(const LevelPairs& in, int& p, int& q) {
    std::int64_t best = LevelPairCost(in, in.current[0], in.current[1]);
    p = in.current[0];
    q = in.current[1];
    for (int i = 0; i < in.count[0]; ++i) {
        for (int j = 0; j < in.count[1]; ++j) {
            const std::int64_t cost = LevelPairCost(in, i, j);
            if (cost < best) {
                best = cost;
                p = i;
                q = j;
            }
        }
    }
}

#if TOVTEX_SSE2
void BestLevelPairAvx2(const LevelPairs& in, int& p, int& q) {
    const std::int64_t least = LeastLevelPairKeyAvx2(in);
    p = in.current[0];
    q = in.current[1];
    if (least == INT64_MAX) {
        return;
    }
    // The place is the key's low 12 bits whatever the cost's sign.
    const int place = static_cast<int>(least & 4095);
    if ((least - place) / 4096 < LevelPairCost(in, p, q)) {
        p = place / 64;
        q = place % 64;
    }
}
#endif

void BestLevelPair(const LevelPairs& in, int& p, int& q) {
#if TOVTEX_SSE2
    if (CpuHasAvx2()) {
        BestLevelPairAvx2(in, p, q);
        return;
    }
#endif
    BestLevelPairPlain(in, p, q);
}

}  // namespace dxt_search
