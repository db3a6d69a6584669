#include "picture_block_chain.h"

#include <algorithm>

#include "base/com_ref.h"
#include "dds_writer.h"
#include "staged_block_encoder.h"

namespace tovtex_tool {

namespace {

// The levels of a texture, locked on this thread for as long as it lives.
class LockedLevels {
public:
    LockedLevels(IDirect3DTexture8* texture, DWORD flags) : texture_(texture) {
        const UINT count = texture->GetLevelCount();
        levels_.reserve(count);
        for (UINT level = 0; level < count; ++level) {
            D3DSURFACE_DESC desc{};
            D3DLOCKED_RECT locked{};
            result_ = texture->GetLevelDesc(level, &desc);
            if (SUCCEEDED(result_)) result_ = texture->LockRect(level, &locked, nullptr, flags);
            if (FAILED(result_)) {
                break;
            }
            levels_.push_back({static_cast<BYTE*>(locked.pBits), locked.Pitch, desc.Width, desc.Height});
        }
    }
    ~LockedLevels() {
        for (UINT level = 0; level < levels_.size(); ++level) {
            texture_->UnlockRect(level);
        }
    }
    LockedLevels(const LockedLevels&) = delete;
    LockedLevels& operator=(const LockedLevels&) = delete;

    struct Level {
        BYTE* bits;
        INT pitch;
        UINT width;
        UINT height;
    };
    HRESULT Result() const { return result_; }
    const Level& operator[](UINT level) const { return levels_[level]; }

private:
    IDirect3DTexture8* texture_;
    std::vector<Level> levels_;
    HRESULT result_ = S_OK;
};

}  // namespace

bool CompressesFromPicture(const Image& image, const AnyShape& shape, const ChainRework& rework,
                           const BlockEncoding& encoding) {
    // The library's encoder goes through its own surface copy, one call at
    // a time; the searching encoders read memory.
    return !encoding.libraryEncoder && !rework.Active() && image.pixels != nullptr &&
           image.format == D3DFMT_A8R8G8B8 && image.FaceCount() == 1 && image.LevelCount() == 1 &&
           image.rect.left == 0 && image.rect.top == 0 && static_cast<UINT>(image.rect.right) == shape.width &&
           static_cast<UINT>(image.rect.bottom) == shape.height && shape.format == D3DFMT_A8R8G8B8 &&
           shape.levels >= 1 && shape.colorKey == 0 && (shape.filter & FILTER_DITHER) == 0;
}

HRESULT CompressPictureToDds(IDirect3DDevice8* device, const Image& image, const AnyShape& shape, D3DFORMAT format,
                             const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds) {
    ComRef<IDirect3DTexture8> compressed;
    HRESULT hr =
        device->CreateTexture(shape.width, shape.height, shape.levels, 0, format, D3DPOOL_SYSTEMMEM, compressed.Out());
    if (FAILED(hr)) {
        return hr;
    }
    {
        const LockedLevels blocks(compressed.Get(), 0);
        if (FAILED(blocks.Result())) {
            return blocks.Result();
        }
        const std::vector<BlockLevelWork> top{{image.pixels, static_cast<INT>(image.rowPitch), blocks[0].bits,
                                               blocks[0].pitch, blocks[0].width, blocks[0].height}};
        StagedBlockEncoder encoder(format, encoding.options, encoding.threads, top);
        if (shape.levels == 1) {
            encoder.Finish({});
        } else {
            // The lower levels as the whole chain would have them: level 1
            // made from the picture as from a top level of the same bytes,
            // the rest from it by the same mip filter.
            AnyShape below = shape;
            below.width = std::max(1u, shape.width / 2);
            below.height = std::max(1u, shape.height / 2);
            below.levels = shape.levels - 1;
            below.filter = shape.mipFilter;
            ComRef<IDirect3DTexture8> chain;
            hr = LoadAnyShape(device, image, below, &chain);
            if (FAILED(hr)) {
                return hr;  // the workers stop at the next row
            }
            const LockedLevels pixels(chain.Get(), D3DLOCK_READONLY);
            if (FAILED(pixels.Result())) {
                return pixels.Result();
            }
            std::vector<BlockLevelWork> lower;
            for (UINT level = 1; level < shape.levels; ++level) {
                const auto& from = pixels[level - 1];
                const auto& to = blocks[level];
                if (from.width != to.width || from.height != to.height) {
                    return E_FAIL;
                }
                lower.push_back({from.bits, from.pitch, to.bits, to.pitch, to.width, to.height});
            }
            encoder.Finish(lower);
        }
    }
    return SaveDds(compressed.Get(), ddsFlags, dds);
}

}  // namespace tovtex_tool
