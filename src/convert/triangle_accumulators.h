#pragma once
// Destination rows (or slices) of the triangle resampler while they receive
// their weight: one slot per destination index, and a free list of released
// accumulators for reuse within the job.

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "base/heap_array.h"
#include "codec/color_f.h"
#include "convert/triangle_weights.h"

class TriangleAccumulators {
public:
    static constexpr UINT NO_SOURCE = 0xFFFFFFFF;

    // Works out, from the weight table of the streamed axis, which source
    // index feeds each destination index first and last, and sets aside as
    // many accumulators of `length` colours as are ever in use at once, so
    // that streaming never runs out of memory half-way. False when memory
    // runs out.
    bool Prepare(const TriangleWeights& weights, UINT destinationCount, std::size_t length);

    // The accumulator of destination index d, taken from the free list and
    // cleared when d has none yet.
    ColorF* Acquire(UINT d);
    ColorF* Held(UINT d) const { return slots_[d]; }
    void Release(UINT d);

    UINT FirstSource(UINT d) const { return first_[d]; }
    UINT LastSource(UINT d) const { return last_[d]; }

private:
    std::size_t length_ = 0;
    HeapArray<UINT> first_;
    HeapArray<UINT> last_;
    HeapArray<ColorF*> slots_;
    HeapArray<ColorF> storage_;
    HeapArray<ColorF*> free_;
    std::size_t freeCount_ = 0;
};
