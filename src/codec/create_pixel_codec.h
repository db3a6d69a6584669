#pragma once
// The codec factory: picks the codec class by the region's format.

#include "codec/pixel_codec.h"
#include "codec/pixel_region.h"

// A new codec bound to the region, owned by the caller; null when the
// format has no codec or memory runs out. The region is read only here.
PixelCodec* CreatePixelCodec(const PixelRegion& region);
