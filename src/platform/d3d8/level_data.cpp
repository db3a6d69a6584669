#include "level_data.h"

#include <new>

#include "texel_decode.h"

namespace platform {

bool LevelData::Describe(D3DFORMAT format, uint32_t width, uint32_t height, uint32_t depth) {
    layout_ = FindFormatLayout(format);
    if (layout_ == nullptr || width == 0 || height == 0 || depth == 0) {
        return false;
    }
    const uint64_t rowPitch = platform::RowPitch(*layout_, width);
    const uint64_t slicePitch = rowPitch * RowCount(*layout_, height);  // both below 2^34
    if (slicePitch > MAX_LEVEL_BYTES) {
        return false;
    }
    const uint64_t size = slicePitch * depth;
    if (size > MAX_LEVEL_BYTES) {
        return false;
    }
    width_ = width;
    height_ = height;
    depth_ = depth;
    rowPitch_ = static_cast<uint32_t>(rowPitch);
    slicePitch_ = static_cast<uint32_t>(slicePitch);
    size_ = size;
    return true;
}

bool LevelData::Allocate(LevelBlockCache* cache) {
    argbValid_ = false;
    return bits_.Allocate(size_, cache);
}

HRESULT LevelData::CheckAndLock(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, DWORD flags) {
    if (locked_) {
        return D3DERR_INVALIDCALL;
    }
    if (left >= right || top >= bottom || right > width_ || bottom > height_) {
        return D3DERR_INVALIDCALL;
    }
    if (layout_->blockBytes != 0) {
        // Blocks are locked whole; an edge may end inside the last block.
        if (left % 4 != 0 || top % 4 != 0 || (right % 4 != 0 && right != width_) ||
            (bottom % 4 != 0 && bottom != height_)) {
            return D3DERR_INVALIDCALL;
        }
    } else if (layout_->yuv) {
        if (left % 2 != 0 || (right % 2 != 0 && right != width_)) {
            return D3DERR_INVALIDCALL;
        }
    }
    locked_ = true;
    if ((flags & D3DLOCK_READONLY) == 0) {
        argbValid_ = false;
    }
    return D3D_OK;
}

static uint64_t ByteOffset(const FormatLayout& layout, uint32_t rowPitch, uint32_t left, uint32_t top) {
    if (layout.blockBytes != 0) {
        return uint64_t{top / 4} * rowPitch + uint64_t{left / 4} * layout.blockBytes;
    }
    if (layout.yuv) {
        return uint64_t{top} * rowPitch + uint64_t{left / 2} * 4;
    }
    return uint64_t{top} * rowPitch + uint64_t{left} * layout.bytesPerPixel;
}

HRESULT LevelData::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (locked == nullptr || bits_ == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    uint32_t left = 0, top = 0, right = width_, bottom = height_;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->right < 0 || rect->bottom < 0) {
            return D3DERR_INVALIDCALL;
        }
        left = static_cast<uint32_t>(rect->left);
        top = static_cast<uint32_t>(rect->top);
        right = static_cast<uint32_t>(rect->right);
        bottom = static_cast<uint32_t>(rect->bottom);
    }
    const HRESULT hr = CheckAndLock(left, top, right, bottom, flags);
    if (FAILED(hr)) {
        return hr;
    }
    bits_.Settle();
    locked->Pitch = static_cast<INT>(rowPitch_);
    locked->pBits = bits_.get() + ByteOffset(*layout_, rowPitch_, left, top);
    return D3D_OK;
}

HRESULT LevelData::LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) {
    if (locked == nullptr || bits_ == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DBOX whole{0, 0, width_, height_, 0, depth_};
    const D3DBOX& b = box != nullptr ? *box : whole;
    if (b.Front >= b.Back || b.Back > depth_) {
        return D3DERR_INVALIDCALL;
    }
    const HRESULT hr = CheckAndLock(b.Left, b.Top, b.Right, b.Bottom, flags);
    if (FAILED(hr)) {
        return hr;
    }
    bits_.Settle();
    locked->RowPitch = static_cast<INT>(rowPitch_);
    locked->SlicePitch = static_cast<INT>(slicePitch_);
    locked->pBits = bits_.get() + uint64_t{b.Front} * slicePitch_ + ByteOffset(*layout_, rowPitch_, b.Left, b.Top);
    return D3D_OK;
}

HRESULT LevelData::LockToOverwrite(D3DLOCKED_RECT* locked) {
    if (locked == nullptr || bits_ == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const HRESULT hr = CheckAndLock(0, 0, width_, height_, 0);
    if (FAILED(hr)) {
        return hr;
    }
    bits_.Overwritten();
    locked->Pitch = static_cast<INT>(rowPitch_);
    locked->pBits = bits_.get();
    return D3D_OK;
}

HRESULT LevelData::Unlock() {
    if (!locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    return D3D_OK;
}

const uint32_t* LevelData::Argb(const PALETTEENTRY* palette, uint64_t paletteStamp) {
    if (bits_ == nullptr) {
        return nullptr;
    }
    bits_.Settle();
    if (layout_->format == D3DFMT_A8R8G8B8) {
        return reinterpret_cast<const uint32_t*>(bits_.get());  // already the sampler's layout
    }
    const bool paletted = IsPaletteFormat(layout_->format);
    if (argbValid_ && (!paletted || paletteStamp == argbPaletteStamp_)) {
        return argb_.get();
    }
    const uint64_t sliceTexels = uint64_t{width_} * height_;
    if (argb_ == nullptr) {
        argb_.reset(new (std::nothrow) uint32_t[sliceTexels * depth_]);
        if (argb_ == nullptr) {
            return nullptr;
        }
    }
    for (uint32_t z = 0; z < depth_; ++z) {
        DecodeToArgb(*layout_, bits_.get() + uint64_t{z} * slicePitch_, rowPitch_, width_, height_, palette,
                     argb_.get() + z * sliceTexels);
    }
    argbValid_ = true;
    argbPaletteStamp_ = paletteStamp;
    return argb_.get();
}

}  // namespace platform
