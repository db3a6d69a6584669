#pragma once
// Copying one image level into the whole of a texture level. A level that
// is already in the texture level's format and size, without a colour key,
// is the level's bytes as they stand: it is copied straight into the
// level's memory (from the file, when the file is read on demand), and the
// level is not cleared before. Every other level goes through
// CopyPixelsToSurface. The results are those of CopyPixelsToSurface in
// every case.

#include <d3d8.h>
#include <windows.h>

#include "texload/image.h"
#include "texload/mapped_file.h"

namespace tovtex {

// CopyPixelsToSurface(surface, destinationPalette, null, source's pixels,
// format, row pitch and rect, sourcePalette, filter, colorKey); file, when
// not null, is the file the source's pixels belong to.
HRESULT CopyImageLevel(IDirect3DSurface8* surface, const PALETTEENTRY* destinationPalette, const Image& source,
                       const PALETTEENTRY* sourcePalette, DWORD filter, D3DCOLOR colorKey, MappedFile* file);

}  // namespace tovtex
