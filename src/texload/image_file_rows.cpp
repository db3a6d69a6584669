#include "texload/image_file_rows.h"

#include <cstring>

#include "base/tovtex_defs.h"
#include "texload/decode_into_rows.h"
#include "texload/image_file_info.h"
#include "texload/image_headers.h"

HRESULT DecodeImageFileIntoRows(const void* data, UINT size, void* pixels, UINT rowPitch, D3DFORMAT format,
                                UINT width, UINT height, ImageRowsProgress progress, void* context) {
    if (data == nullptr || size == 0 || pixels == nullptr ||
        (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)) {
        return D3DERR_INVALIDCALL;
    }
    ImageFileDescription description{};
    if (HRESULT hr = DescribeImageFile(data, size, &description); FAILED(hr)) {
        return hr;
    }
    const ImageInfo& info = description.info;
    if (info.width != width || info.height != height || rowPitch < uint64_t{4} * width) {
        return D3DERR_INVALIDCALL;
    }
    if (description.faces != 1 || info.mipLevels != 1 ||
        !tovtex::DecodesIntoLevelExactly(description.reader, info.format, format)) {
        return E_NOTIMPL;
    }
    const tovtex::ImageHeader header{info.format, width, height, 1, 1};
    const tovtex::RowDestination destination{static_cast<BYTE*>(pixels), rowPitch, format, progress, context};
    const auto* bytes = static_cast<const BYTE*>(data);
    return std::strcmp(description.reader, "PNG") == 0 ? tovtex::ReadPngIntoRows(bytes, size, header, destination)
                                                         : tovtex::ReadJpegIntoRows(bytes, size, header, destination);
}
