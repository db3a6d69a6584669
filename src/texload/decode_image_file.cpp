#include <cstring>

#include "base/tovtex_defs.h"
#include "texload/image_readers.h"

HRESULT DecodeImageFile(Image* image, const BYTE* data, UINT size, ImageInfo* info) {
    bool accepted = false;
    bool tooLarge = false;
    for (ImageReader reader : READER_ORDER) {
        const HRESULT hr = reader(image, data, size);
        if (SUCCEEDED(hr)) {
            accepted = true;
            break;
        }
        tooLarge = tooLarge || hr == ERR_IMAGETOOLARGE;
        image->Release();
    }
    if (!accepted) {
        // A reader that recognised its format but refused the size says more
        // than "no reader accepts the data".
        return tooLarge ? ERR_IMAGETOOLARGE : ERR_INVALIDDATA;
    }
    if (info != nullptr) {
        std::memset(info, 0, sizeof(*info));
        info->width = static_cast<UINT>(image->rect.right);
        info->height = static_cast<UINT>(image->rect.bottom);
        info->depth = 1;
        UINT levels = 1;
        for (const Image* level = image->nextLevel; level != nullptr; level = level->nextLevel) {
            ++levels;
        }
        info->mipLevels = levels;
        info->format = image->format;
    }
    return S_OK;
}
