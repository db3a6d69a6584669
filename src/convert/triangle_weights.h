#pragma once
// For every source index along one axis, the destination indices its
// triangle-shaped footprint feeds and with what weight.

#include <windows.h>

#include "base/heap_array.h"

struct TriangleWeight {
    UINT index;  // destination index
    float weight;
};

struct TriangleWeights {
    UINT sourceCount = 0;
    HeapArray<UINT> start;            // sourceCount + 1 offsets into pairs
    HeapArray<TriangleWeight> pairs;  // each source's pairs, in axis order

    const TriangleWeight* begin(UINT source) const { return pairs.get() + start[source]; }
    const TriangleWeight* end(UINT source) const { return pairs.get() + start[source + 1]; }
};

// The pixels of both blocks cover [j, j + 1), so the outer edges coincide.
// Off an edge a footprint wraps to the opposite edge when wrap is true, and
// is folded back onto the edge pixel otherwise. Weights of 0.00001 or less
// are dropped. False when either count is 0 or memory runs out.
bool BuildTriangleWeights(UINT sourceCount, UINT destinationCount, bool wrap, TriangleWeights& weights);
