#pragma once
// A memo of one block's colour search in one mode: the stored pairs already
// judged and the index sets already solved for endpoints. Judging and
// solving are pure functions of the block, so a repeat is answered from the
// memo with the very result the work would give; the starts of the normal
// fit often meet after a refinement step.

#include <cstdint>

#include "codec/dxt_color_palette.h"

namespace dxt_search {

class TriedFits {
public:
    // A solve that did not pin down two endpoints.
    static constexpr unsigned UNSOLVED = ~0u;

    // The block for the pair, ordered for the mode, as EvaluatePair gives it.
    ColorChoice Evaluate(const SearchTexels& texels, unsigned a, unsigned b, bool fourColor) {
        const unsigned high = a > b ? a : b, low = a > b ? b : a;
        const unsigned c0 = fourColor ? high : low, c1 = fourColor ? low : high;
        for (int k = 0; k < judged_; ++k) {
            if (choices_[k].c0 == c0 && choices_[k].c1 == c1) {
                return choices_[k];
            }
        }
        const ColorChoice out = EvaluateStored(texels, c0, c1);
        if (judged_ < CAPACITY) {
            choices_[judged_++] = out;
        }
        return out;
    }

    // The quantised endpoints solved before for these indices (q0 is
    // UNSOLVED when the solve failed); false when not met yet.
    bool Solved(std::uint32_t indices, unsigned& q0, unsigned& q1) const {
        for (int k = 0; k < solved_; ++k) {
            if (indices_[k] == indices) {
                q0 = ends_[k][0];
                q1 = ends_[k][1];
                return true;
            }
        }
        return false;
    }

    // Forgets every pair and solve, for the next block.
    void Clear() {
        judged_ = 0;
        solved_ = 0;
    }

    void KeepSolve(std::uint32_t indices, bool solved, unsigned q0, unsigned q1) {
        if (solved_ < CAPACITY) {
            indices_[solved_] = indices;
            ends_[solved_][0] = solved ? q0 : UNSOLVED;
            ends_[solved_][1] = q1;
            ++solved_;
        }
    }

private:
    static constexpr int CAPACITY = 8;
    ColorChoice choices_[CAPACITY];
    std::uint32_t indices_[CAPACITY];
    unsigned ends_[CAPACITY][2];
    int judged_ = 0;
    int solved_ = 0;
};

}  // namespace dxt_search
