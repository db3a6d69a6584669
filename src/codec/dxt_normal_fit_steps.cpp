#include "codec/dxt_normal_fit_steps.h"

#include <cstdint>

#include "codec/dxt_color_fit_normal.h"
#include "codec/dxt_color_moments.h"
#include "codec/dxt_single_color.h"

namespace dxt_search {

namespace {

constexpr std::uint64_t CLOSE = 12;

std::uint64_t TotalWeight(const SearchTexels& texels) {
    std::uint32_t total = 0;
    for (std::uint32_t w : texels.weight) {
        total += w;
    }
    return total;
}

}  // namespace

void NormalColorFit::Start(const SearchTexels& texels) {
    texels_ = &texels;
    best_ = ColorChoice{0, 0, 0, NO_ERROR_YET};
    tried_.Clear();
    basisReady_ = false;
    phase_ = Phase::STARTS;
}

bool NormalColorFit::Step() {
    switch (phase_) {
    case Phase::STARTS: FindStarts(); break;
    case Phase::JUDGE_STARTS: JudgeStarts(); break;
    case Phase::SOLVE: Solve(); break;
    case Phase::JUDGE: Judge(); break;
    case Phase::DONE: break;
    }
    return phase_ != Phase::DONE;
}

void NormalColorFit::FindStarts() {
    const SearchTexels& texels = *texels_;
    const bool modes[2] = {!texels.threeColorOnly, !texels.fourColorOnly};  // four, three colours
    phase_ = Phase::DONE;
    if (texels.flat) {
        // One colour: the single-colour tables hold the answer.
        const int first = __builtin_ctz(texels.used);
        const int rgb[3] = {static_cast<int>(texels.ch[0][first]), static_cast<int>(texels.ch[1][first]),
                            static_cast<int>(texels.ch[2][first])};
        for (int m = 0; m < 2; ++m) {
            if (modes[m] && best_.error != 0) {
                KeepBetter(best_, FitFlatColor(texels, rgb, m == 0));
            }
        }
        return;
    }
    float axis[3], inverseSquare = 1.0f;
    if (!QuickAxis(texels, mean_, axis, inverseSquare)) {
        for (int m = 0; m < 2; ++m) {
            if (modes[m]) {
                KeepBetter(best_, FitMeanColor(texels, mean_, m == 0));
            }
        }
        return;
    }
    // Two starts, the extremes rounded to 5:6:5 and truncated (a shade
    // inside the extremes, which sometimes lands nearer); the line's length
    // is divided out beside the extent along it. The three-colour mode only
    // where it is the only one: on opaque blocks it seldom wins and would
    // double the work; the best fit tries it.
    StartsAlongAxis(texels, mean_, axis, inverseSquare, q0_, q1_, t0_, t1_);
    fourColor_ = modes[0];
    phase_ = Phase::JUDGE_STARTS;
}

void NormalColorFit::JudgeStarts() {
    // Where the rounded start already meets the block closely (a mean
    // squared error of at most CLOSE per unit of weight), the truncated
    // start seldom does better and is not judged.
    start_ = tried_.Evaluate(*texels_, q0_, q1_, fourColor_);
    twoStarts_ = start_.error > CLOSE * TotalWeight(*texels_) && (t0_ != q0_ || t1_ != q1_);
    other_ = twoStarts_ ? tried_.Evaluate(*texels_, t0_, t1_, fourColor_) : start_;
    // The rounded start is refined first (up to twice).
    candidate_ = start_;
    BeginRefining(Refining::ROUNDED, 2);
}

void NormalColorFit::BeginRefining(Refining which, int rounds) {
    refining_ = which;
    roundsLeft_ = rounds;
    const ColorChoice& target = which == Refining::ROUNDED ? candidate_ : other_;
    // An exact block cannot improve: stop before solving.
    if (roundsLeft_ > 0 && target.error != 0) {
        phase_ = Phase::SOLVE;
    } else {
        EndRefining();
    }
}

void NormalColorFit::Solve() {
    const ColorChoice& target = refining_ == Refining::ROUNDED ? candidate_ : other_;
    if (!basisReady_) {
        PrepareSolveBasis(*texels_, basis_);
        basisReady_ = true;
    }
    if (NextRefinedPair(basis_, fourColor_, tried_, target, next0_, next1_)) {
        phase_ = Phase::JUDGE;
    } else {
        EndRefining();
    }
}

void NormalColorFit::Judge() {
    ColorChoice& target = refining_ == Refining::ROUNDED ? candidate_ : other_;
    const ColorChoice next = tried_.Evaluate(*texels_, next0_, next1_, fourColor_);
    if (!(next.error < target.error)) {
        EndRefining();
        return;
    }
    target = next;
    --roundsLeft_;
    if (roundsLeft_ > 0 && target.error != 0) {
        phase_ = Phase::SOLVE;
    } else {
        EndRefining();
    }
}

void NormalColorFit::EndRefining() {
    if (refining_ == Refining::TRUNCATED) {
        KeepBetter(best_, other_);
        Finish();
        return;
    }
    KeepBetter(best_, candidate_);
    if (!twoStarts_ || candidate_.error == 0) {
        Finish();
        return;
    }
    // The truncated start is refined where it begins better than the
    // rounded one: once where least squares could not move the rounded
    // start (the block sits in a minimum the truncated start seldom
    // leaves), else twice. Where it begins worse, it is refined once, and
    // only when it lags the rounded start by less than least squares moved
    // that one: a start further behind seldom catches up. The starts often
    // meet: a pair or a set of indices met before comes from the memo.
    const bool settled = candidate_.c0 == start_.c0 && candidate_.c1 == start_.c1;
    int rounds = 0;
    if (other_.error < start_.error) {
        rounds = settled ? 1 : 2;
    } else if (!settled && other_.error - start_.error < start_.error - candidate_.error) {
        rounds = 1;
    }
    BeginRefining(Refining::TRUNCATED, rounds);
}

void NormalColorFit::Finish() {
    phase_ = Phase::DONE;
    if (q0_ == q1_ && best_.error != 0) {
        KeepBetter(best_, FitMeanColor(*texels_, mean_, fourColor_));
    }
}

}  // namespace dxt_search
