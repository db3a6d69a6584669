#pragma once
// Filter arguments for the fuzz targets: mostly valid ones, now and then
// any 32-bit value at all.

#include <cstdint>

#include "base/tovtex_defs.h"

// Whether the conversion engine takes the filter argument.
inline bool FilterIsValid(DWORD filter) {
    const DWORD type = filter & 0xFFFF;
    return type >= FILTER_NONE && type <= FILTER_BOX && (filter & 0xFFF00000) == 0;
}

// One mode in eight passes raw through; the others take a filter type from
// the mode and the mirror and dither flags from raw.
inline DWORD ChooseFilter(uint8_t mode, uint32_t raw) {
    if (mode % 8 == 0) {
        return raw;  // anything at all
    }
    const DWORD type = FILTER_NONE + (mode >> 3) % 5;
    const DWORD flags = (raw & 0xF) << 16;  // mirror U, V, W and dither
    return type | flags;
}
