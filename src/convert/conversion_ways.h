#pragma once
// The ways of converting one job, in the order ConvertRegion tries them.
// Each returns S_OK when it has written the whole destination, E_FAIL when
// it does not apply, E_OUTOFMEMORY when it applies but a buffer could not
// be had, and the result of the first row operation of a codec that fails
// (a YUV or DXT codec without its row cache), at once.

#include <windows.h>

#include "convert/conversion_job.h"

// Fast paths: equal sizes, or no resampling at all.
HRESULT CopySameFormat(ConversionJob& job);
HRESULT CopyDxtBlocks(ConversionJob& job);
HRESULT ConvertSameSize(ConversionJob& job);
HRESULT CopyUnfiltered(ConversionJob& job);

// Gathering filters.
HRESULT FilterPoint(ConversionJob& job);
HRESULT FilterBoxHalf2D(ConversionJob& job);
HRESULT FilterBoxHalf3D(ConversionJob& job);
HRESULT FilterLinear2D(ConversionJob& job);
HRESULT FilterLinear3D(ConversionJob& job);

// The scattering resampler for everything else of unsigned samples.
HRESULT FilterTriangle2D(ConversionJob& job);
HRESULT FilterTriangle3D(ConversionJob& job);
