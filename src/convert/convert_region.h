#pragma once
// The one operation every copy of pixels in the library ends in.

#include <windows.h>

#include "base/tovtex_defs.h"
#include "codec/pixel_region.h"

// Converts the source block into the destination block, resampling with
// the filter (FILTER_NONE to FILTER_BOX, optionally with the mirror and
// dither flags) when the sizes differ. Sets destination->dither from
// FILTER_DITHER; the source is only read.
// S_OK; D3DERR_INVALIDCALL for a malformed filter or a missing region;
// E_FAIL when a codec cannot be made, signed and unsigned samples are mixed,
// or no way of converting accepts the job.
HRESULT ConvertRegion(PixelRegion* destination, const PixelRegion* source, DWORD filter);

// True for a filter argument ConvertRegion accepts.
bool IsValidFilter(DWORD filter);
