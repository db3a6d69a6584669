#include "texture_choices.h"

#include <algorithm>
#include <cstdint>

#include "dds_writer.h"

namespace tovtex_tool {

namespace {

bool HasAlpha(const Image& image) {
    if (image.format == D3DFMT_P8 && image.palette != nullptr) {
        for (int i = 0; i < 256; ++i) {
            if (image.palette[i].peFlags != 0xFF) {
                return true;
            }
        }
        return false;
    }
    return FindPixelFormat(image.format).alphaBits != 0;
}

}  // namespace

D3DFORMAT AutoFormat(const Image& image, D3DCOLOR colorKey, bool dx10) {
    const bool alpha = HasAlpha(image);
    const bool grey = FindPixelFormat(image.format).kind == FORMAT_KIND_LUMINANCE;
    if ((IsDdsWritable(image.format) || grey) && DdsHolds(image.format, dx10) && (colorKey == 0 || alpha)) {
        return image.format;
    }
    return alpha || colorKey != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

bool NeedsDither(D3DFORMAT source, D3DFORMAT destination) {
    const PixelFormatInfo& from = FindPixelFormat(source);
    const PixelFormatInfo& to = FindPixelFormat(destination);
    // Luminance stands for each colour channel it feeds or is fed from.
    auto colour = [](const PixelFormatInfo& f, UINT bits) { return f.luminanceBits != 0 ? f.luminanceBits : bits; };
    const UINT pairs[4][2] = {{colour(from, from.redBits), colour(to, to.redBits)},
                              {colour(from, from.greenBits), colour(to, to.greenBits)},
                              {colour(from, from.blueBits), colour(to, to.blueBits)},
                              {from.alphaBits, to.alphaBits}};
    for (const auto& pair : pairs) {
        if (pair[0] != 0 && pair[1] != 0 && pair[1] < pair[0]) {
            return true;
        }
    }
    return false;
}

void LimitSize(UINT maxSide, UINT* width, UINT* height) {
    const UINT longer = std::max(*width, *height);
    if (maxSide == 0 || longer <= maxSide) {
        return;
    }
    auto scale = [&](UINT side) {
        return std::max<UINT>(1, static_cast<UINT>((uint64_t{side} * maxSide + longer / 2) / longer));
    };
    *width = scale(*width);
    *height = scale(*height);
}

}  // namespace tovtex_tool
