#include "codec/dxt_cluster_fit.h"

#include <cmath>
#include <cstdint>

#include "codec/dxt_channel_refine.h"
#include "codec/dxt_color_fit_normal.h"
#include "codec/dxt_color_moments.h"
#include "codec/dxt_single_color.h"
#include "codec/dxt_split_search.h"

namespace dxt_search {

namespace {

// The start block's entries along the axis, per index: how many, and their
// summed distance from the middle of the order (2e - (count + 1) for entry
// e). Both modes' windows are read from it.
struct StartEntries {
    int entries[4];
    int spread[4];
};

StartEntries CountStartEntries(const SortedSums& s, const ColorChoice& start) {
    // Two running sums, the entries and their places e, each a word with a
    // 16-bit field per index (at most 16 entries, places summing to at most
    // 136). They stay in registers, where counts kept in an array by index
    // would wait on the last store to the same index, as sorted texels
    // mostly share it with their neighbour.
    std::uint64_t entries = 0, places = 0;
    for (int e = 1; e <= s.count; ++e) {
        const unsigned field = 16 * ((start.indices >> (2 * s.texel[e])) & 3u);
        entries += std::uint64_t{1} << field;
        places += static_cast<std::uint64_t>(e) << field;
    }
    StartEntries out;
    for (int index = 0; index < 4; ++index) {
        out.entries[index] = static_cast<int>(entries >> (16 * index) & 0xFFFFu);
        out.spread[index] = 2 * static_cast<int>(places >> (16 * index) & 0xFFFFu) - out.entries[index] * (s.count + 1);
    }
    return out;
}

// The splits within radius of the split a start block implies: its texels
// counted per palette entry in their order along the axis.
SplitWindow WindowAround(const SortedSums& s, const ColorChoice& start, const StartEntries& at, bool fourColor,
                         int radius) {
    const int m = s.count;
    SplitWindow w{{0, 0, 0}, {m, m, m}};
    // Place of each index between c0 (0) and c1 (3, or 2 with three
    // colours) in the start's mode, mapped to the mode searched.
    static constexpr int FOUR_PLACE[4] = {0, 3, 1, 2};
    static constexpr int THREE_PLACE[4] = {0, 2, 1, 2};
    const bool startFour = start.c0 > start.c1;
    const int clusters = fourColor ? 4 : 3;
    int count[4] = {0, 0, 0, 0};
    int place[4];
    long balance = 0;
    for (int index = 0; index < 4; ++index) {
        int p = startFour ? FOUR_PLACE[index] : THREE_PLACE[index];
        if (startFour && !fourColor) {
            p = p == 0 ? 0 : p == 3 ? 2 : 1;
        } else if (!startFour && fourColor) {
            p = p == 0 ? 0 : p == 2 ? 3 : 1;
        }
        place[index] = p;
        balance += static_cast<long>(at.spread[index]) * p;
    }
    // The search puts c0 at the low end of the axis: a start whose c0 lies
    // at the high end counts its entries from the other side.
    for (int index = 0; index < 4; ++index) {
        count[balance < 0 ? clusters - 1 - place[index] : place[index]] += at.entries[index];
    }
    int bound = 0;
    for (int b = 0; b < clusters - 1; ++b) {
        bound += count[b];
        w.lo[b] = bound - radius < 0 ? 0 : bound - radius;
        w.hi[b] = bound + radius > m ? m : bound + radius;
    }
    return w;
}

// How far the split search looks from the split the normal fit implies, in
// entries along the axis, for each boundary. The cluster fit's winner lies
// near it nearly always; the full search costs several times more and its
// gain is a few tenths of a percent of the error. Blocks the normal fit
// already meets well (MODEST below) look less far.
constexpr int SPLIT_RADIUS = 3;
constexpr int MODEST_RADIUS = 2;
static_assert(SPLIT_RADIUS <= MAX_SPLIT_RADIUS && MODEST_RADIUS <= MAX_SPLIT_RADIUS);

// Rounds of the channel-wise refinement: after a split's fit (and the two
// groups' placements), and on the normal fit's own block. A second round
// gains a few hundredths of a percent once the placements are tried.
constexpr int SPLIT_ROUNDS = 1;
constexpr int START_ROUNDS = 1;

// On an opaque DXT1 block the three-colour mode's split is carried on only
// when its least-squares error is within this share of the four-colour
// one's: quantising can turn the order, a wider gap it seldom does.
constexpr float THREE_COLOR_MARGIN = 1.05f;

// A split's quantised block is refitted only when it starts within this
// share of the best block so far (as a fraction, numerator and
// denominator): one that starts further above seldom ends below it.
constexpr std::uint64_t REFIT_TENTHS[2] = {10, 11};

// Mean squared error per texel and channel (weights applied) of the normal
// fit's block: below CLOSE_ENOUGH (3.5, counted in halves) the split search
// is skipped (it could lower the error by little, and such blocks are
// common: flat areas, soft gradients) and only the channel refit runs, at a
// small share of the cost, down to NEAR_ENOUGH, below which the block is
// kept as it is; below MODEST the split search looks less far.
constexpr std::uint64_t CLOSE_ENOUGH_HALVES = 7;
constexpr std::uint64_t NEAR_ENOUGH = 1;
constexpr std::uint64_t MODEST = 8;

// The sum of the texels' weights times the sum of the channel weights.
std::uint64_t TexelChannels(std::uint64_t weight, const std::uint32_t* channel) {
    return weight * (channel[0] + channel[1] + channel[2]);
}

std::uint64_t TexelChannels(const SearchTexels& texels) {
    std::uint64_t total = 0;
    for (int i = 0; i < 16; ++i) {
        total += texels.weight[i];
    }
    return TexelChannels(total, texels.channel);
}

// The block of endpoints a and b in the mode asked for is choice's block.
bool SamePair(unsigned a, unsigned b, bool fourColor, const ColorChoice& choice) {
    const unsigned high = a > b ? a : b, low = a > b ? b : a;
    return fourColor ? (choice.c0 == high && choice.c1 == low) : (choice.c0 == low && choice.c1 == high);
}

// Blocks of two tight groups of colours (an edge against a background, a
// shape over black): any two entries of the palette fit the groups as
// well before quantising, but not after: a group on an entry between the
// endpoints takes a finer lattice of colours (thirds or halves of a
// level). The best split into two groups along the axis is found, and
// where it leaves little spread within the groups, the groups are also
// placed on the inner entries, each placement quantised and judged.
//
// Nor are they placed where their own spread (the error with each group on
// its mean, about the least a placement reaches) is TWO_GROUP_REACH times
// the error of the best block found or more: there the placements won about
// one block in a hundred, by little (the error of the pictures measured
// rose by at most 0.06% without them), at three judgements a block.
constexpr float TWO_GROUP_SPREAD = 0.5f;
constexpr float TWO_GROUP_REACH = 2.0f;

void TryTwoGroups(const SearchTexels& texels, const SortedSums& s, const bool* modes, SplitForm form,
                  ColorChoice& best) {
    float between = 0.0f;
    const int split = BestTwoSplit(s, form, between);
    const float within = s.squares - between;
    if (split == 0 || !(within < TWO_GROUP_SPREAD * s.squares) ||
        !(within < TWO_GROUP_REACH * static_cast<float>(best.error))) {
        return;
    }
    float a[3], b[3];
    const float wa = s.weight[split], wb = s.total - wa;
    for (int c = 0; c < 3; ++c) {
        a[c] = s.mean[c] + s.sum[c][split] / wa;
        b[c] = s.mean[c] - s.sum[c][split] / wb;
    }
    // Endpoints p = a + (a - b) u, q = b + (b - a) v: the groups on (2/3,
    // c1), (c0, 1/3), (2/3, 1/3) with four colours, on (mid, c1) and (c0,
    // mid) with three, where three colours are the only mode (on opaque
    // blocks they won about one block in a hundred, at two judgements a
    // block). The groups on c0 and c1 themselves are left out: the fits
    // before nearly always reach that block or a better one (it won one
    // block in 70 to 650 of those tried), at the cost of a judgement.
    static constexpr float FOUR[3][2] = {{0.5f, 0.0f}, {0.0f, 0.5f}, {1.0f, 1.0f}};
    static constexpr float THREE[2][2] = {{1.0f, 0.0f}, {0.0f, 1.0f}};
    ColorChoice found = best;
    for (int m = 0; m < 2; ++m) {
        if (!modes[m] || (m == 1 && modes[0])) {
            continue;
        }
        const bool fourColor = m == 0;
        for (int n = 0; n < (fourColor ? 3 : 2); ++n) {
            const float u = fourColor ? FOUR[n][0] : THREE[n][0], v = fourColor ? FOUR[n][1] : THREE[n][1];
            float p[3], q[3];
            for (int c = 0; c < 3; ++c) {
                p[c] = a[c] + (a[c] - b[c]) * u;
                q[c] = b[c] + (b[c] - a[c]) * v;
            }
            ClampToBox(p);
            ClampToBox(q);
            KeepBetter(found, EvaluatePair(texels, Quantize565(p), Quantize565(q), fourColor));
        }
    }
    if (found.error < best.error) {
        best = RefineByChannel(texels, found, found.c0 > found.c1 || !modes[1], SPLIT_ROUNDS);
    }
}

ColorChoice FitColorBestWith(const SearchTexels& texels, SplitForm form) {
    NormalFitAxis found;
    ColorChoice best = FitColorNormal(texels, &found);
    const std::uint64_t scale = TexelChannels(texels);
    const bool modes[2] = {!texels.threeColorOnly, !texels.fourColorOnly};
    if (2 * best.error < CLOSE_ENOUGH_HALVES * scale) {
        if (best.error < NEAR_ENOUGH * scale) {
            return best;
        }
        return RefineByChannel(texels, best, modes[0] && (!modes[1] || best.c0 > best.c1), START_ROUNDS);
    }
    const ColorChoice start = best;
    // The normal fit's block, its endpoints refitted channel by channel, in
    // its own mode (DXT2 to DXT5 always four colours).
    best = RefineByChannel(texels, best, modes[0] && (!modes[1] || best.c0 > best.c1), START_ROUNDS);
    const int radius = best.error < MODEST * scale ? MODEST_RADIUS : SPLIT_RADIUS;
    // The normal fit's moments and axis, unless it took a flat block's
    // route without them.
    if (!found.filled) {
        ComputeMoments(texels, found.moments);
        found.haveAxis = PrincipalAxis(texels, found.moments, found.axis);
    }
    const ColorMoments& moments = found.moments;
    const float* axis = found.axis;
    const bool haveAxis = found.haveAxis;
    if (!haveAxis) {
        // No spread to search along: the mean's nearest palette.
        for (int m = 0; m < 2; ++m) {
            if (modes[m]) {
                KeepBetter(best, FitMeanColor(texels, moments.mean, m == 0));
            }
        }
        return best;
    }
    // One ordering, along the principal axis: a second one along the line
    // of the endpoints found seldom pays for its cost.
    SortedSums sums;
    SortAlongAxis(texels, moments, axis, sums);
    const StartEntries at = CountStartEntries(sums, start);
    SplitFit split[2];
    for (int m = 0; m < 2; ++m) {
        if (modes[m]) {
            const bool fourColor = m == 0;
            const SplitWindow w = WindowAround(sums, start, at, fourColor, radius);
            split[m] = fourColor ? BestFourSplit(sums, w, form) : BestThreeSplit(sums, w, form);
        }
    }
    for (int m = 0; m < 2; ++m) {
        if (!split[m].found ||
            (m == 1 && split[0].found && split[1].residual > split[0].residual * THREE_COLOR_MARGIN)) {
            continue;
        }
        const bool fourColor = m == 0;
        float e0[3] = {split[m].e0[0], split[m].e0[1], split[m].e0[2]};
        float e1[3] = {split[m].e1[0], split[m].e1[1], split[m].e1[2]};
        ClampToBox(e0);
        ClampToBox(e1);
        const unsigned q0 = Quantize565(e0), q1 = Quantize565(e1);
        // The pair the normal block started from, or the one it was
        // refitted to: refitting it again would repeat that work.
        if (SamePair(q0, q1, fourColor, start) || SamePair(q0, q1, fourColor, best)) {
            continue;
        }
        const ColorChoice candidate = EvaluatePair(texels, q0, q1, fourColor);
        if (candidate.error * REFIT_TENTHS[0] < best.error * REFIT_TENTHS[1]) {
            KeepBetter(best, RefineByChannel(texels, candidate, fourColor, SPLIT_ROUNDS));
        }
    }
    TryTwoGroups(texels, sums, modes, form, best);
    return best;
}

}  // namespace

ColorChoice FitColorBest(const SearchTexels& texels) {
    return FitColorBestWith(texels, WidestSplitForm());
}

ColorChoice FitColorBestPlain(const SearchTexels& texels) {
    return FitColorBestWith(texels, SplitForm::PLAIN);
}

bool BestKeepsFlatBlock(const FlatBlock& block, const ColorChoice& choice) {
    return block.used == 0 || choice.error < NEAR_ENOUGH * TexelChannels(block.weight, block.channel);
}

}  // namespace dxt_search
