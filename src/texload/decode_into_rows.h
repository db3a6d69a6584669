#pragma once
// Decoding a JPEG or PNG file straight into memory the caller holds (a
// locked texture level), when its header says the picture already has the
// level's size and the level's bytes would be an exact copy of the decoded
// picture. Saves the picture's own memory and the copy into the level.

#include "texload/image.h"
#include "texload/image_file_rows.h"
#include "texload/image_headers.h"

namespace tovtex {

// Where the rows go: `pixels` is the top row, `rowPitch` bytes apart, in
// `format` (D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8). progress, when set, hears
// of the rows finished as they are.
struct RowDestination {
    BYTE* pixels;
    UINT rowPitch;
    D3DFORMAT format;
    ImageRowsProgress progress = nullptr;
    void* context = nullptr;
};

// True when a picture of the header's format, decoded and copied into a
// level of `levelFormat` of the same size without colour key, gives the
// bytes the reader would write straight into that level.
bool DecodesIntoLevelExactly(const char* readerName, D3DFORMAT pictureFormat, D3DFORMAT levelFormat);

// The readers' decode into a destination of header.width x header.height
// pixels; header is what the reader's header test reported for the same
// bytes. Results as the readers' own (E_FAIL for a broken file).
HRESULT ReadJpegIntoRows(const BYTE* data, UINT size, const ImageHeader& header, const RowDestination& destination);
HRESULT ReadPngIntoRows(const BYTE* data, UINT size, const ImageHeader& header, const RowDestination& destination);

}  // namespace tovtex
