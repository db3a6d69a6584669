#include <cstring>

#include "base/tovtex_defs.h"
#include "texload/image_readers.h"

HRESULT DecodeImageFile(Image* image, const BYTE* data, UINT size, ImageInfo* info) {
    return DecodeImageFileNamingReader(image, data, size, info, nullptr);
}

HRESULT DecodeImageFileNamingReader(Image* image, const BYTE* data, UINT size, ImageInfo* info,
                                    const char** readerName) {
    const NamedImageReader* accepted = nullptr;
    bool tooLarge = false;
    for (const NamedImageReader& reader : READER_ORDER) {
        const HRESULT hr = reader.read(image, data, size);
        if (SUCCEEDED(hr)) {
            accepted = &reader;
            break;
        }
        tooLarge = tooLarge || hr == ERR_IMAGETOOLARGE;
        image->Release();
    }
    if (accepted == nullptr) {
        // A reader that recognised its format but refused the size says more
        // than "no reader accepts the data".
        return tooLarge ? ERR_IMAGETOOLARGE : ERR_INVALIDDATA;
    }
    if (info != nullptr) {
        std::memset(info, 0, sizeof(*info));
        info->width = static_cast<UINT>(image->rect.right);
        info->height = static_cast<UINT>(image->rect.bottom);
        info->depth = 1;
        info->mipLevels = image->LevelCount();
        info->format = image->format;
    }
    if (readerName != nullptr) {
        *readerName = accepted->name;
    }
    return S_OK;
}
