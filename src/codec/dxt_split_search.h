#pragma once
// The cluster fit's search over ordered splits. The texels are sorted along
// an axis; a split gives the first texels to c0, the next to the entries in
// between and the rest to c1, and its least-squares endpoints lower the
// error by total x |ax|^2 / det, where ax sums each texel's share of c0
// times its colour less the block's mean and det is the determinant of the
// 2 x 2 system (the share of c1 drops out once the colours are centred).
// Splits are compared by that ratio without a division, and only the
// winner's endpoints are solved.
//
// Three forms choose the same split bit for bit: the plain reference, SSE2
// (four splits at once, TOVTEX_SSE2) and AVX2 (eight at once, where the
// processor has it, chosen at run time). Each computes every split by the
// same operations in the same order and offers the splits in the same
// sequence.

#include "codec/dxt_color_moments.h"
#include "codec/dxt_search_texels.h"

namespace dxt_search {

// Entry k covers the first k entries along the axis, texels of one colour
// side by side making one entry; entries past count are zero so that eight
// can be read from any k up to count.
struct SortedSums {
    int count;
    float total;      // the texels' summed weight
    float mean[3];    // red, green, blue
    float squares;    // sum of w x channel weight x (colour - mean)^2
    float channel[3];
    float weight[24];
    float sum[3][24];  // sums of w x (colour - mean)
    int texel[24];     // entry k (1 to count): one of its texels
};

// Sorts the texels of weight along axis (ties in texel order); moments are
// the texels' own.
void SortAlongAxis(const SearchTexels& texels, const ColorMoments& moments, const float* axis, SortedSums& out);

// The splits searched: i from lo[0] to hi[0], j from the larger of i and
// lo[1] to hi[1], k likewise (four clusters only), all within 0 to count;
// each range at most 2 MAX_SPLIT_RADIUS + 1 wide.
inline constexpr int MAX_SPLIT_RADIUS = 3;

struct SplitWindow {
    int lo[3];
    int hi[3];
};

struct SplitFit {
    bool found = false;
    float residual = 0.0f;  // the least-squares error before quantising
    float e0[3] = {};       // red, green, blue, not clamped
    float e1[3] = {};
};

enum class SplitForm { PLAIN, SSE2, AVX2 };

// Whether this build and processor run the form.
bool SplitFormRuns(SplitForm form);

// The widest form that runs here (decided once).
SplitForm WidestSplitForm();

// Four clusters: [0, i) on c0, [i, j) on 2/3 c0, [j, k) on 1/3 c0, the
// rest on c1. The form must run here.
SplitFit BestFourSplit(const SortedSums& s, const SplitWindow& w, SplitForm form);

// Three clusters: [0, i) on c0, [i, j) on the midpoint, the rest on c1.
SplitFit BestThreeSplit(const SortedSums& s, const SplitWindow& w, SplitForm form);

// Two groups, [0, i) and [i, count): the i whose groups lie furthest apart,
// the spread between them |X_i|^2 T / (W_i (T - W_i)) (colours centred,
// channel weights applied) the largest, the first on ties; 0 when no split
// parts them. between: that spread. The SSE2 form (either vector form)
// takes four splits at once with the plain form's operations.
int BestTwoSplit(const SortedSums& s, SplitForm form, float& between);

}  // namespace dxt_search
