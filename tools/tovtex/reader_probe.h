#pragma once
// Decoding as DecodeImageFile does, while noting which reader accepted the
// data.

#include <windows.h>

#include "texload/image.h"

namespace tovtex_tool {

// Offers the bytes to the readers in the library's reader order. On success
// *readerName is "BMP", "PPM", "DDS", "JPEG", "PNG", "TGA" or "DIB";
// otherwise (image left empty) the result DecodeImageFile would give.
HRESULT DecodeNamingReader(Image* image, const BYTE* data, UINT size, const char** readerName);

// 1 plus the length of the nextLevel chain; the number of faces.
UINT CountLevels(const Image& image);
UINT CountFaces(const Image& image);

}  // namespace tovtex_tool
