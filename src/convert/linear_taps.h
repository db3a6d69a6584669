#pragma once
// The two source samples and their weights for each destination index
// along one axis of the linear filter.

#include <windows.h>

#include "base/heap_array.h"

struct LinearTap {
    INT index0;
    float weight0;
    INT index1;
    float weight1;
};

// Destination pixel i samples the source at i x (S / D) - 0.5, with every
// step after the scale rounded toward zero. Off an edge the sample is taken
// from the opposite edge when wrap is true, else from the edge itself.
// An empty array when memory runs out.
HeapArray<LinearTap> BuildLinearTaps(UINT sourceCount, UINT destinationCount, bool wrap);
