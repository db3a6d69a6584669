#pragma once
// The best split so far of one split search, shared by every form of the
// search (dxt_split_search.h) so that each offers and keeps splits by the
// same comparisons.

#include "codec/dxt_split_search.h"

namespace dxt_search {

class SplitBest {
public:
    explicit SplitBest(const SortedSums& s) : s_(s), limit_(1e-3f * s.total) {}

    // Splits whose det does not pass this pin down no pair of endpoints.
    float Limit() const { return limit_; }
    bool Found() const { return found_; }
    float Num() const { return num_; }
    float Det() const { return det_; }

    // A split whose det passed the limit, with num = sum of channel weight
    // x ax^2; a1 and aa are the sums of w alpha and w alpha^2.
    void Offer(float num, float det, float a1, float aa, const float* ax) {
        if (!found_ || num * det_ > num_ * det) {
            found_ = true;
            num_ = num;
            det_ = det;
            a1_ = a1;
            aa_ = aa;
            for (int c = 0; c < 3; ++c) {
                ax_[c] = ax[c];
            }
        }
    }

    SplitFit Result() const {
        SplitFit out;
        if (!found_) {
            return out;
        }
        out.found = true;
        out.residual = s_.squares - s_.total * num_ / det_;
        const float ab = a1_ - aa_, bb = s_.total - 2.0f * a1_ + aa_;
        const float inv = 1.0f / det_;
        for (int c = 0; c < 3; ++c) {
            out.e0[c] = s_.mean[c] + ax_[c] * (bb + ab) * inv;
            out.e1[c] = s_.mean[c] - ax_[c] * (aa_ + ab) * inv;
        }
        return out;
    }

private:
    const SortedSums& s_;
    float limit_;
    bool found_ = false;
    float num_ = 0.0f, det_ = 1.0f, a1_ = 0.0f, aa_ = 0.0f;
    float ax_[3] = {};
};

// Per split: the determinant from a1 and aa, and the weighted |ax|^2; every
// form computes them by these very operations.
inline float SplitDet(float total, float a1, float aa) {
    const float ab = a1 - aa, bb = total - 2.0f * a1 + aa;
    return aa * bb - ab * ab;
}

inline float SplitNum(const float* channel, const float* ax) {
    return channel[0] * ax[0] * ax[0] + channel[1] * ax[1] * ax[1] + channel[2] * ax[2] * ax[2];
}

}  // namespace dxt_search
