#pragma once
// The row cache of the codecs that cannot address one pixel alone (YUV,
// DXT): zero-filled colours from the non-throwing allocator.

#include <cstddef>
#include <memory>

#include "codec/color_f.h"

// Null when memory runs out; the codec's row operations then report
// E_OUTOFMEMORY.
std::unique_ptr<ColorF[]> AllocateRowCache(std::size_t count);
