#pragma once
// The linear filter's integer form. When every tap weighs its two source
// pixels 0.5 and 0.5 (each level of a power-of-two chain, and an axis whose
// size does not change), the filter's float arithmetic on 8-bit channels
// followed by the encoder's rounding gives exactly (a + b + c + d + 2) >> 2
// of the four source samples, for every possible input. Between the 32-bit
// colour formats, without dithering or colour key, that sum is made
// straight from memory to memory.

#include "base/heap_array.h"
#include "convert/conversion_job.h"
#include "convert/linear_taps.h"

// Writes the whole destination and returns true when the job and the taps
// qualify; otherwise false, nothing written.
bool AverageLinearPairs(ConversionJob& job, const HeapArray<LinearTap>& tapsX, const HeapArray<LinearTap>& tapsY);
