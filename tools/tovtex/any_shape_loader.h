#pragma once
// Loading a decoded picture into a texture of exactly the shape asked, as a
// current card takes it: any size, a full mip chain on any size, no rounding
// to powers of two or to whole blocks. The library's loaders fit every
// request to Direct3D 8 rules (a full chain only on powers of two); this
// way creates the texture itself and fills its levels with the library's
// surface loader and mip builder, just as the loaders do.

#include <d3d8.h>
#include <windows.h>

#include "base/com_ref.h"
#include "tovtex.h"

namespace tovtex_tool {

struct AnyShape {
    UINT width;  // of the top level; cubes use width only
    UINT height;
    UINT levels;  // at least 1, at most the full chain
    D3DFORMAT format;
    DWORD filter;  // concrete filters (no FILTER_DEFAULT)
    DWORD mipFilter;
    D3DCOLOR colorKey;
};

// The source palette the loaders hand on: the image's, else opaque white.
struct WorkingPalette {
    explicit WorkingPalette(const Image& image);
    PALETTEENTRY entries[256];
};

// The texture LoadAnyShape makes for shape, unfilled.
HRESULT CreateAnyShape(IDirect3DDevice8* device, const AnyShape& shape, ComRef<IDirect3DTexture8>* texture);

// Levels of a full chain from width x height down to 1 x 1.
UINT FullChain(UINT width, UINT height);

// The image's levels fill the texture's first levels (each resampled to the
// level's size with the filter); the levels below come from the deepest
// level the image provides, through the mip builder for the point and box
// mip filters, else resampled directly, as the library's loaders do. Cube
// maps take the image's six faces in order, every filter with the mirror
// flags. The texture is in the managed pool. A texture already in *texture
// (made by CreateAnyShape for the same shape) is filled instead of a new one.
HRESULT LoadAnyShape(IDirect3DDevice8* device, const Image& image, const AnyShape& shape,
                     ComRef<IDirect3DTexture8>* texture);
HRESULT LoadAnyShape(IDirect3DDevice8* device, const Image& image, const AnyShape& shape,
                     ComRef<IDirect3DCubeTexture8>* cube);

}  // namespace tovtex_tool
