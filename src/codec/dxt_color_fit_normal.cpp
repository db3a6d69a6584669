#include "codec/dxt_color_fit_normal.h"

#include <utility>

#include "codec/dxt_axis_extent.h"
#include "codec/dxt_color_moments.h"
#include "codec/dxt_normal_fit_steps.h"
#include "codec/dxt_quantize_pair.h"
#include "codec/dxt_single_color.h"

namespace dxt_search {

void StartsAlongAxis(const SearchTexels& texels, const float* mean, const float* axis, float scale, unsigned& q0,
                     unsigned& q1, unsigned& t0, unsigned& t1) {
    float low = 0.0f, high = 0.0f;
    AxisExtent(texels, mean, axis, low, high);
    low *= scale;
    high *= scale;
    float e0[3], e1[3];
    for (int c = 0; c < 3; ++c) {
        e0[c] = mean[c] + low * axis[c];
        e1[c] = mean[c] + high * axis[c];
    }
    ClampToBox(e0);
    ClampToBox(e1);
    QuantizePair565(e0, e1, q0, q1);
    TruncatePair565(e0, e1, t0, t1);
}

bool NextRefinedPair(const SolveBasis& basis, bool fourColor, TriedFits& tried, const ColorChoice& from, unsigned& q0,
                     unsigned& q1) {
    if (!tried.Solved(from.indices, q0, q1)) {
        const bool solved = SolveQuantized(basis, from.indices, fourColor, q0, q1);
        tried.KeepSolve(from.indices, solved, q0, q1);
        if (!solved) {
            return false;
        }
    } else if (q0 == TriedFits::UNSOLVED) {
        return false;
    }
    const unsigned high = q0 > q1 ? q0 : q1, low = q0 > q1 ? q1 : q0;
    // The same stored block again: same error, no gain.
    return fourColor ? !(from.c0 == high && from.c1 == low) : !(from.c0 == low && from.c1 == high);
}

void RefineLeastSquares(const SolveBasis& basis, bool fourColor, int rounds, TriedFits& tried, ColorChoice& best) {
    // An exact block cannot improve: stop before solving.
    for (int round = 0; round < rounds && best.error != 0; ++round) {
        unsigned q0 = 0, q1 = 0;
        if (!NextRefinedPair(basis, fourColor, tried, best, q0, q1)) {
            return;
        }
        const ColorChoice next = tried.Evaluate(*basis.texels, q0, q1, fourColor);
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
    NormalColorFit fit;
    fit.Start(texels);
    while (fit.Step()) {
    }
    return fit.Result();
}

ColorChoice FitColorNormal(const SearchTexels& texels, NormalFitAxis* found) {
    if (!found) {
        return FitColorNormal(texels);
    }
    const bool modes[2] = {!texels.threeColorOnly, !texels.fourColorOnly};  // four, three colours
    if (texels.flat) {
        return FitColorNormal(texels);
    }
    // A search that goes on from this block takes the block's full moments
    // and the normalised axis.
    ColorMoments moments;
    ComputeMoments(texels, moments);
    float axis[3];
    const bool haveAxis = PrincipalAxis(texels, moments, axis);
    *found = NormalFitAxis{true, haveAxis, moments, {axis[0], axis[1], axis[2]}};
    ColorChoice best{0, 0, 0, NO_ERROR_YET};
    if (!haveAxis) {
        for (int m = 0; m < 2; ++m) {
            if (modes[m]) {
                KeepBetter(best, FitMeanColor(texels, moments.mean, m == 0));
            }
        }
        return best;
    }
    unsigned q0, q1, t0, t1;
    StartsAlongAxis(texels, moments.mean, axis, 1.0f, q0, q1, t0, t1);
    // As the normal fit: the three-colour mode only where it is the only
    // one (the best fit tries it itself), two starts, the extremes rounded
    // and truncated. The search wants every start's minimum: the better
    // start is refined twice, the other once.
    const bool fourColor = modes[0];
    TriedFits tried;
    SolveBasis basis;
    PrepareSolveBasis(texels, basis);
    ColorChoice candidate = tried.Evaluate(texels, q0, q1, fourColor);
    const bool twoStarts = candidate.error != 0 && (t0 != q0 || t1 != q1);
    if (twoStarts) {
        ColorChoice other = tried.Evaluate(texels, t0, t1, fourColor);
        if (other.error < candidate.error) {
            std::swap(other, candidate);
        }
        RefineLeastSquares(basis, fourColor, 1, tried, other);
        KeepBetter(best, other);
    }
    RefineLeastSquares(basis, fourColor, 2, tried, candidate);
    KeepBetter(best, candidate);
    if (q0 == q1 && best.error != 0) {
        KeepBetter(best, FitMeanColor(texels, moments.mean, fourColor));
    }
    return best;
}

}  // namespace dxt_search
