#pragma once
// The normal colour fit of one block, taken a step at a time. Each step is
// a chain of dependent arithmetic (the axis waits on the sums, a solve on
// its sums, a quantisation on the solve, a judgement on both), and within
// one chain the processor waits more than it works. Stepping two blocks in
// turn hands it a second, independent chain to fill the waits.
// FitColorNormal takes the same steps one after another, so a block comes
// out the same either way.

#include "codec/dxt_color_moments.h"
#include "codec/dxt_color_palette.h"
#include "codec/dxt_tried_fits.h"

namespace dxt_search {

class NormalColorFit {
public:
    // Begins the fit of texels, which must stay in place until it is done;
    // texels.used must not be empty.
    void Start(const SearchTexels& texels);

    // One step; false once the fit is done and Result holds its block.
    bool Step();

    const ColorChoice& Result() const { return best_; }

private:
    enum class Phase { STARTS, JUDGE_STARTS, SOLVE, JUDGE, DONE };
    enum class Refining { ROUNDED, TRUNCATED };

    void FindStarts();
    void JudgeStarts();
    void Solve();
    void Judge();
    void BeginRefining(Refining which, int rounds);
    void EndRefining();
    void Finish();

    const SearchTexels* texels_ = nullptr;
    Phase phase_ = Phase::DONE;
    bool fourColor_ = true;
    bool twoStarts_ = false;
    float mean_[3] = {};
    unsigned q0_ = 0, q1_ = 0;  // the rounded start
    unsigned t0_ = 0, t1_ = 0;  // the truncated start
    ColorChoice start_{}, candidate_{}, other_{}, best_{};
    Refining refining_ = Refining::ROUNDED;
    int roundsLeft_ = 0;
    unsigned next0_ = 0, next1_ = 0;  // the pair the round's solve found
    TriedFits tried_;
    SolveBasis basis_;
    bool basisReady_ = false;
};

}  // namespace dxt_search
