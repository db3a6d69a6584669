#pragma once
// The inner loops of the split search (dxt_split_search.h), one per form.
//
// With boundaries i <= j <= k along the axis, a four-cluster split has
// 3 a1 = W_i + W_j + W_k, 9 aa = 5 W_i + 3 W_j + W_k and 3 ax = X_i + X_j +
// X_k (W, X: the running weight and centred colour sums), so its merit
// |ax|^2 / det is, up to a constant factor, |X|^2 / det' with
// det' = B (9 T - 6 A + B) - (3 A - B)^2 (A = 3 a1, B = 9 aa, X = 3 ax,
// T the total weight). Each (j, k) pair's part is summed once per window;
// each i then adds its own part to every pair at once. A three-cluster
// split (i <= j) likewise: A = W_i + W_j, B = 3 W_i + W_j, X = X_i + X_j,
// det'' = B (4 T - 4 A + B) - (2 A - B)^2.
//
// Every form computes each merit by the same operations (a division, so
// merits are exact numbers to compare) and picks the first split of the
// largest merit in the order i, then j, then k: the forms pick alike.

#include "codec/dxt_split_search.h"

namespace dxt_search {

// The (j, k) pairs of a four-cluster window in the order j, then k, and
// their parts of A, B and X: windows up to 7 wide on each boundary, with
// room for eight lanes past the last pair.
inline constexpr int MAX_WINDOW = 2 * MAX_SPLIT_RADIUS + 1;
inline constexpr int MAX_PAIRS = MAX_WINDOW * MAX_WINDOW;

struct SplitPairs {
    int count;
    int first[25];  // first[i]: the first pair with j >= i (count if none)
    float a[MAX_PAIRS + 8];     // W_j + W_k
    float b[MAX_PAIRS + 8];     // 3 W_j + W_k
    float x[3][MAX_PAIRS + 8];  // X_j + X_k
};

// The winner of a search: its place in the order (i x 64 + pair, or
// i x 64 + j) and its merit; merit < 0 when no split pins down two
// endpoints.
struct SplitPick {
    float merit;
    int place;
};

inline constexpr int PLACE_STRIDE = 64;

// Splits whose det' (det'') does not exceed this share of the total weight
// are degenerate (all texels, or nearly, on one end).
inline constexpr float FOUR_LIMIT = 81.0f * 1e-3f;
inline constexpr float THREE_LIMIT = 16.0f * 1e-3f;

SplitPick FourSplitPickPlain(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs);
SplitPick ThreeSplitPickPlain(const SortedSums& s, const SplitWindow& w);

#if TOVTEX_SSE2
SplitPick FourSplitPickSse2(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs);
SplitPick ThreeSplitPickSse2(const SortedSums& s, const SplitWindow& w);

// AVX2 forms: compiled for AVX2 function by function, called only where
// the processor has it (CpuHasAvx2).
SplitPick FourSplitPickAvx2(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs);
SplitPick ThreeSplitPickAvx2(const SortedSums& s, const SplitWindow& w);
#endif

}  // namespace dxt_search
