#include "codec/dxt_color_fit_normal.h"

#include <cmath>
#include <utility>

#include "codec/dxt_axis_extent.h"
#include "codec/dxt_color_moments.h"
#include "codec/dxt_quantize_pair.h"
#include "codec/dxt_single_color.h"

namespace dxt_search {

namespace {

void RoundColor(const float* rgb, int* out) {
    for (int c = 0; c < 3; ++c) {
        const int v = static_cast<int>(std::lround(rgb[c]));
        out[c] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
}

}  // namespace

void RefineLeastSquares(const SearchTexels& texels, bool fourColor, int rounds, ColorChoice& best) {
    TriedFits tried;
    RefineLeastSquares(texels, fourColor, rounds, tried, best);
}

void RefineLeastSquares(const SearchTexels& texels, bool fourColor, int rounds, TriedFits& tried, ColorChoice& best) {
    // An exact block cannot improve: stop before solving.
    for (int round = 0; round < rounds && best.error != 0; ++round) {
        unsigned q0 = 0, q1 = 0;
        if (!tried.Solved(best.indices, q0, q1)) {
            float e0[3], e1[3];
            const bool solved = SolveEndpoints(texels, best.indices, fourColor, e0, e1);
            if (solved) {
                QuantizePair565(e0, e1, q0, q1);
            }
            tried.KeepSolve(best.indices, solved, q0, q1);
            if (!solved) {
                return;
            }
        } else if (q0 == TriedFits::UNSOLVED) {
            return;
        }
        const unsigned high = q0 > q1 ? q0 : q1, low = q0 > q1 ? q1 : q0;
        // The same stored block again: same error, no gain.
        if (fourColor ? (best.c0 == high && best.c1 == low) : (best.c0 == low && best.c1 == high)) {
            return;
        }
        const ColorChoice next = tried.Evaluate(texels, q0, q1, fourColor);
        if (!(next.error < best.error)) {
            return;
        }
        best = next;
    }
}

ColorChoice FitFlatBlock(const FlatBlock& block) {
    const bool modes[2] = {!block.threeColorOnly, !block.fourColorOnly};  // four, three colours
    ColorChoice best{0, 0, 0, NO_ERROR_YET};
    for (int m = 0; m < 2; ++m) {
        if (modes[m] && best.error != 0) {
            KeepBetter(best, FitFlatColorOf(block.rgb, block.channel, block.weight, block.transparent, m == 0));
        }
    }
    return best;
}

ColorChoice FitColorNormal(const SearchTexels& texels) {
    return FitColorNormal(texels, nullptr);
}

ColorChoice FitColorNormal(const SearchTexels& texels, NormalFitAxis* found) {
    const bool modes[2] = {!texels.threeColorOnly, !texels.fourColorOnly};  // four, three colours
    if (texels.flat) {
        // One colour: the single-colour tables hold the answer.
        const int first = __builtin_ctz(texels.used);
        const int rgb[3] = {static_cast<int>(texels.ch[0][first]), static_cast<int>(texels.ch[1][first]),
                            static_cast<int>(texels.ch[2][first])};
        ColorChoice best{0, 0, 0, NO_ERROR_YET};
        for (int m = 0; m < 2; ++m) {
            if (modes[m] && best.error != 0) {
                KeepBetter(best, FitFlatColor(texels, rgb, m == 0));
            }
        }
        return best;
    }
    ColorMoments moments;
    ColorChoice best{0, 0, 0, NO_ERROR_YET};
    int mean[3];
    float axis[3];
    // A search that goes on from this block takes the block's full moments
    // and the normalised axis; the fit alone takes the shorter route to the
    // same line (its length divided out beside the extent).
    float inverseSquare = 1.0f;
    bool haveAxis;
    if (found) {
        ComputeMoments(texels, moments);
        haveAxis = PrincipalAxis(texels, moments, axis);
        *found = NormalFitAxis{true, haveAxis, moments, {axis[0], axis[1], axis[2]}};
    } else {
        haveAxis = QuickAxis(texels, moments.mean, axis, inverseSquare);
    }
    if (!haveAxis) {
        RoundColor(moments.mean, mean);
        for (int m = 0; m < 2; ++m) {
            if (modes[m]) {
                KeepBetter(best, FitSingleColor(texels, mean, m == 0));
            }
        }
        return best;
    }
    float low = 0.0f, high = 0.0f;
    AxisExtent(texels, moments.mean, axis, low, high);
    if (!found) {
        low *= inverseSquare;
        high *= inverseSquare;
    }
    float e0[3], e1[3];
    for (int c = 0; c < 3; ++c) {
        e0[c] = moments.mean[c] + low * axis[c];
        e1[c] = moments.mean[c] + high * axis[c];
    }
    ClampToBox(e0);
    ClampToBox(e1);
    unsigned q0, q1;
    QuantizePair565(e0, e1, q0, q1);
    // The three-colour mode only where it is the only one: on opaque blocks
    // it seldom wins and would double the work; the best fit tries it.
    for (int m = 0; m < 2; ++m) {
        if (!modes[m] || best.error == 0 || (m == 1 && modes[0])) {
            continue;
        }
        const bool fourColor = m == 0;
        // Two starts, the extremes rounded and truncated. The rounded one is
        // refined first (up to twice). Where least squares cannot improve
        // it, the block sits in a minimum the truncated start seldom leaves:
        // that start is refined once, and only when it begins better.
        // Otherwise the truncated start is refined twice when it begins
        // better than the rounded one, else once (the refinement is most of
        // the cost). The starts often meet: a pair or a set of indices met
        // before is taken from the memo, not judged or solved again.
        // Both starts are judged first, side by side: the two judgements do
        // not depend on each other, so the processor overlaps them.
        TriedFits tried;
        const ColorChoice start = tried.Evaluate(texels, q0, q1, fourColor);
        // The second start: 5:6:5 by truncation, the endpoints a shade
        // inside the extremes, which sometimes land nearer than the rounded
        // ones.
        unsigned t0, t1;
        TruncatePair565(e0, e1, t0, t1);
        const bool twoStarts = start.error != 0 && (t0 != q0 || t1 != q1);
        ColorChoice other = twoStarts ? tried.Evaluate(texels, t0, t1, fourColor) : start;
        if (found && twoStarts) {
            // A search that goes on from this block (the best fit) wants
            // every start's minimum: the better start is refined twice, the
            // other once.
            ColorChoice candidate = start;
            if (other.error < candidate.error) {
                std::swap(other, candidate);
            }
            RefineLeastSquares(texels, fourColor, 1, tried, other);
            KeepBetter(best, other);
            RefineLeastSquares(texels, fourColor, 2, tried, candidate);
            KeepBetter(best, candidate);
            if (q0 == q1 && best.error != 0) {
                RoundColor(moments.mean, mean);
                KeepBetter(best, FitSingleColor(texels, mean, fourColor));
            }
            continue;
        }
        ColorChoice candidate = start;
        RefineLeastSquares(texels, fourColor, 2, tried, candidate);
        KeepBetter(best, candidate);
        if (twoStarts && candidate.error != 0) {
            const bool settled = candidate.c0 == start.c0 && candidate.c1 == start.c1;
            const int rounds = settled ? (other.error < start.error ? 1 : 0) : (other.error < start.error ? 2 : 1);
            RefineLeastSquares(texels, fourColor, rounds, tried, other);
            KeepBetter(best, other);
        }
        if (q0 == q1 && best.error != 0) {
            RoundColor(moments.mean, mean);
            KeepBetter(best, FitSingleColor(texels, mean, fourColor));
        }
    }
    return best;
}

}  // namespace dxt_search
