#include "pending_picture.h"

#include <cstring>

namespace tovtex_tool {

bool PendingPicture::Defer(const BYTE* data, UINT size, Image* image) {
    ImageFileDescription description{};
    if (FAILED(DescribeImageFile(data, size, &description)) || description.faces != 1 ||
        description.info.mipLevels != 1 ||
        (description.info.format != D3DFMT_A8R8G8B8 && description.info.format != D3DFMT_X8R8G8B8) ||
        (std::strcmp(description.reader, "PNG") != 0 && std::strcmp(description.reader, "JPEG") != 0)) {
        return false;
    }
    const UINT width = description.info.width, height = description.info.height;
    image->Release();
    image->format = description.info.format;
    image->rect = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    image->rowPitch = 4 * width;
    if (FAILED(tovtex::AttachOwnedPixels(image, uint64_t{4} * width * height))) {
        image->Release();
        return false;  // decoded the ordinary way, which says what is short
    }
    data_ = data;
    size_ = size;
    pixels_ = image->pixels;
    // A PNG file's interlace method is the last byte of its header chunk,
    // which follows the 8-byte signature, at 28. Interlaced rows are only
    // final after the last pass.
    constexpr UINT PNG_INTERLACE_AT = 28;
    rowsInOrder_ =
        std::strcmp(description.reader, "JPEG") == 0 || (size > PNG_INTERLACE_AT && data[PNG_INTERLACE_AT] == 0);
    return true;
}

HRESULT PendingPicture::Decode(const Image& image, D3DFORMAT format, ImageRowsProgress progress, void* context) {
    if (!Pending()) {
        return S_OK;
    }
    const BYTE* data = data_;
    data_ = nullptr;
    // The pages are made ready ahead of the decode, but only where it goes
    // into fresh memory: rows elsewhere may be memory already in use.
    if (image.pixels == pixels_) {
        pages_.emplace(image.pixels, size_t{image.rowPitch} * static_cast<UINT>(image.rect.bottom));
    }
    HRESULT hr = DecodeImageFileIntoRows(data, size_, image.pixels, image.rowPitch, format,
                                         static_cast<UINT>(image.rect.right), static_cast<UINT>(image.rect.bottom),
                                         progress, context);
    if (FAILED(hr)) {
        // The file's own result, as every other route reports it.
        Image whole;
        const HRESULT own = DecodeImageFile(&whole, data, size_, nullptr);
        hr = FAILED(own) ? own : E_FAIL;
        failed_ = true;
    }
    pages_.reset();
    return hr;
}

}  // namespace tovtex_tool
