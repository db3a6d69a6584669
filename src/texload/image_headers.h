#pragma once
// What each reader learns from a file's header alone: the picture it would
// decode, without decoding it. Each test makes the same checks its reader
// makes before it touches pixel data, on the same parse, so a file it
// refuses the reader refuses too; a file whose header is sound but whose
// pixel data is broken may pass.

#include "texload/image.h"

namespace tovtex {

struct ImageHeader {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = 0;
    UINT height = 0;
    UINT mipLevels = 1;  // levels of each face
    UINT faces = 1;      // 6 for a cube map
};

// Same results as the readers of the same name before any pixel is read:
// S_OK with *header filled, E_FAIL, E_NOTIMPL or ERR_IMAGETOOLARGE.
HRESULT ReadBmpHeader(const BYTE* data, UINT size, ImageHeader* header);
HRESULT ReadPpmHeader(const BYTE* data, UINT size, ImageHeader* header);
HRESULT ReadDdsHeader(const BYTE* data, UINT size, ImageHeader* header);
HRESULT ReadJpegHeader(const BYTE* data, UINT size, ImageHeader* header);
HRESULT ReadPngHeader(const BYTE* data, UINT size, ImageHeader* header);
HRESULT ReadTgaHeader(const BYTE* data, UINT size, ImageHeader* header);
HRESULT ReadDibHeader(const BYTE* data, UINT size, ImageHeader* header);

}  // namespace tovtex
