#include <cstring>

#include "codec/tovtex_defs.h"
#include "texload/image_readers.h"

HRESULT DecodeImageFile(Image* image, const BYTE* data, UINT size, ImageInfo* info) {
    bool accepted = false;
    for (ImageReader reader : READER_ORDER) {
        if (SUCCEEDED(reader(image, data, size))) {
            accepted = true;
            break;
        }
        image->Release();
    }
    if (!accepted) {
        return ERR_INVALIDDATA;
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
