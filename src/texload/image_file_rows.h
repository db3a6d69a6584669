#pragma once
// Decoding a JPEG or PNG file into rows the caller holds, row by row, with
// word of each row as it is finished: a caller can start on the top of the
// picture while the rest is still being decoded.

#include "texload/image.h"

// Called with the number of rows finished so far (the rows 0 to rowsDone - 1
// hold their final bytes and are not written again). The counts grow; the
// last call on success gives the picture's height. Called on the decoding
// thread, between rows; it must return (no exceptions, no jumps out).
typedef void (*ImageRowsProgress)(void* context, UINT rowsDone);

// Decodes the file into width x height pixels of `format` (D3DFMT_A8R8G8B8
// or D3DFMT_X8R8G8B8) at `pixels`, rowPitch bytes apart, giving the bytes of
// the top level of a texture of that format and size loaded from the file
// (for a picture of the same format, DecodeImageFile's bytes). width and
// height must be the picture's, as GetImageFileInfo reports them.
// progress may be null. Baseline and progressive JPEG and non-interlaced
// PNG report every row as it is done; interlaced PNG reports all rows at
// the end.
// S_OK. D3DERR_INVALIDCALL for null data or pixels, a size of 0, another
// format, a size other than the picture's or a pitch under 4 x width.
// ERR_INVALIDDATA or ERR_IMAGETOOLARGE as DecodeImageFile returns them.
// E_NOTIMPL for a file this cannot decode so (another reader, grey or
// palette pictures, cube maps, alpha into X8R8G8B8): decode it with
// DecodeImageFile instead. E_FAIL for broken pixel data (the rows are then
// partly written; DecodeImageFile gives the file's own result).
// E_OUTOFMEMORY.
HRESULT DecodeImageFileIntoRows(const void* data, UINT size, void* pixels, UINT rowPitch, D3DFORMAT format,
                                UINT width, UINT height, ImageRowsProgress progress, void* context);
