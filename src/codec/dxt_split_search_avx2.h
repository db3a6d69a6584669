#pragma once
// The split search's AVX2 form: eight splits at once. Compiled for AVX2
// function by function and called only where the processor has it; not
// built with the vector code off.

#include "codec/dxt_split_search.h"

namespace dxt_search {

#if TOVTEX_SSE2
bool SplitSearchAvx2Runs();
SplitFit BestFourSplitAvx2(const SortedSums& s, const SplitWindow& w);
SplitFit BestThreeSplitAvx2(const SortedSums& s, const SplitWindow& w);
#endif

}  // namespace dxt_search
