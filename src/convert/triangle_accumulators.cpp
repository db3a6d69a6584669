#include "convert/triangle_accumulators.h"

#include <algorithm>
#include <cstring>

bool TriangleAccumulators::Prepare(const TriangleWeights& weights, UINT destinationCount, std::size_t length) {
    const UINT sources = weights.sourceCount;
    if (!first_.Allocate(destinationCount) || !last_.Allocate(destinationCount) || !slots_.Allocate(destinationCount)) {
        return false;
    }
    std::fill(first_.get(), first_.get() + destinationCount, NO_SOURCE);
    for (UINT j = 0; j < sources; ++j) {
        for (const TriangleWeight* p = weights.begin(j); p != weights.end(j); ++p) {
            if (first_[p->index] == NO_SOURCE) {
                first_[p->index] = j;
            }
            last_[p->index] = j;
        }
    }

    // The most destination indices alive at once: +1 where one starts, -1
    // after the source that feeds it last.
    HeapArray<std::int64_t> change;
    if (!change.Allocate(static_cast<std::size_t>(sources) + 1)) {
        return false;
    }
    for (UINT d = 0; d < destinationCount; ++d) {
        if (first_[d] != NO_SOURCE) {
            ++change[first_[d]];
            --change[static_cast<std::size_t>(last_[d]) + 1];
        }
    }
    std::int64_t live = 0;
    std::int64_t most = 0;
    for (UINT j = 0; j < sources; ++j) {
        live += change[j];
        most = std::max(most, live);
    }

    const auto count = static_cast<std::size_t>(most);
    if (length != 0 && count > SIZE_MAX / sizeof(ColorF) / length) {
        return false;
    }
    if (!storage_.Allocate(count * length) || !free_.Allocate(count)) {
        return false;
    }
    length_ = length;
    freeCount_ = count;
    for (std::size_t i = 0; i < count; ++i) {
        free_[i] = storage_.get() + i * length;
    }
    return true;
}

ColorF* TriangleAccumulators::Acquire(UINT d) {
    if (slots_[d] == nullptr && freeCount_ != 0) {
        ColorF* accumulator = free_[--freeCount_];
        std::memset(static_cast<void*>(accumulator), 0, length_ * sizeof(ColorF));
        slots_[d] = accumulator;
    }
    return slots_[d];
}

void TriangleAccumulators::Release(UINT d) {
    if (slots_[d] != nullptr) {
        free_[freeCount_++] = slots_[d];
        slots_[d] = nullptr;
    }
}
