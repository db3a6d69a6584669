#include "picture_block_chain.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "base/com_ref.h"
#include "page_prefault.h"
#include "row_ring.h"
#include "staged_block_encoder.h"
#include "texload/dds_layout.h"

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
    UINT Count() const { return static_cast<UINT>(levels_.size()); }
    const Level& operator[](UINT level) const { return levels_[level]; }

private:
    IDirect3DTexture8* texture_;
    std::vector<Level> levels_;
    HRESULT result_ = S_OK;
};

// Word of the picture's rows as they are decoded, for the top level's
// block rows; only whole block rows wake the workers.
void HearRows(void* context, UINT rowsDone) {
    auto* encoder = static_cast<StagedBlockEncoder*>(context);
    if (rowsDone % 4 == 0) {
        encoder->RowsReady(rowsDone);
    }
}

// A tall picture's rows need not all be held: decoded into a window of
// rows (RowRing), each row is done with once its block row is compressed
// and level 1 has been made from it, a step of rows at a time on this
// thread. Level 1 is then the whole picture's: with the box and point mip
// filters each of its rows comes from two rows of the picture only.
constexpr UINT RING_ROWS = 256;
constexpr UINT STEP_ROWS = 32;  // even, and well inside the window

bool MakesLevelOneInSteps(const AnyShape& shape) {
    const DWORD type = shape.mipFilter & 0xFF;
    return shape.levels == 1 || ((type == FILTER_BOX || type == FILTER_POINT) &&
                                 (shape.mipFilter & FILTER_DITHER) == 0 && shape.height % 2 == 0);
}

// Smaller files gain nothing from being filled in place.
constexpr UINT MAPPED_OUTPUT_BYTES = 1u << 20;

struct RingedRows {
    StagedBlockEncoder* encoder;
    IDirect3DSurface8* levelOne;  // null: a single level
    const BYTE* rows;
    UINT rowPitch;
    UINT width;
    UINT height;
    UINT window;
    DWORD mipFilter;
    const PALETTEENTRY* palette;
    UINT heard = 0;     // rows reported so far
    UINT madeFrom = 0;  // rows level 1 has been made from
    UINT freeFrom = 0;  // rows above this are done with
    HRESULT result = S_OK;
};

// Word of a row decoded into the window: its block row and level 1 take it
// in turn, and the rows a window above the next one are done with before
// the reader may write it.
void HearRingedRows(void* context, UINT rowsDone) {
    auto* ring = static_cast<RingedRows*>(context);
    if (rowsDone > ring->heard + 1 && rowsDone > ring->freeFrom + ring->window) {
        ring->result = E_FAIL;  // rows were written over unread; never expected of the readers taken here
    }
    ring->heard = rowsDone;
    if (rowsDone % 4 == 0) {
        ring->encoder->RowsReady(rowsDone);
    }
    if (ring->levelOne != nullptr && SUCCEEDED(ring->result) &&
        (rowsDone == ring->madeFrom + STEP_ROWS || rowsDone == ring->height)) {
        const RECT from{0, static_cast<LONG>(ring->madeFrom), static_cast<LONG>(ring->width),
                        static_cast<LONG>(rowsDone)};
        const RECT to{0, static_cast<LONG>(ring->madeFrom / 2), static_cast<LONG>(std::max(1u, ring->width / 2)),
                      static_cast<LONG>(rowsDone / 2)};
        ring->result = CopyPixelsToSurface(ring->levelOne, nullptr, &to, ring->rows, D3DFMT_A8R8G8B8, ring->rowPitch,
                                           ring->palette, &from, ring->mipFilter, 0);
        ring->madeFrom = rowsDone;
    }
    if (rowsDone < ring->height && rowsDone >= ring->freeFrom + ring->window) {
        // Half the window is freed at once, so this thread seldom waits.
        const UINT free = rowsDone + 1 - ring->window / 2;
        ring->encoder->FinishFirstRows(free);
        ring->freeFrom = free;
    }
}

// Fills levels[i].blocks (levels[0] from the picture) while the lower
// levels are built; every worker has stopped when this returns. A pending
// picture is decoded here first, its top level compressed as its rows come.
HRESULT EncodeChain(IDirect3DDevice8* device, const Image& picture, PendingPicture* pending, const AnyShape& shape,
                    D3DFORMAT format, const BlockEncoding& encoding, std::vector<BlockLevelWork>* levels) {
    // The picture's rows are the top level's bytes: an opaque picture is
    // decoded with full alpha, as into an A8R8G8B8 level, and is from then
    // on read as one.
    Image image;
    image.format = D3DFMT_A8R8G8B8;
    image.pixels = picture.pixels;  // borrowed
    image.rowPitch = picture.rowPitch;
    image.rect = picture.rect;
    const bool streamed = pending != nullptr && pending->Pending();
    std::optional<RowRing> ring;
    if (streamed && pending->RowsInOrder() && MakesLevelOneInSteps(shape)) {
        ring.emplace(image.rowPitch, shape.height, RING_ROWS);
        if (ring->Rows() == nullptr) {
            ring.reset();
        } else {
            image.pixels = ring->Rows();  // the decode's rows, where the workers read them
        }
    }
    (*levels)[0].pixels = image.pixels;
    (*levels)[0].pixelPitch = static_cast<INT>(image.rowPitch);
    StagedBlockEncoder encoder(format, encoding, {(*levels)[0]}, streamed);
    // The lower levels as the whole chain would have them: level 1 made
    // from the picture as from a top level of the same bytes, the rest from
    // it by the same mip filter.
    AnyShape below = shape;
    below.width = std::max(1u, shape.width / 2);
    below.height = std::max(1u, shape.height / 2);
    below.levels = shape.levels - 1;
    below.filter = shape.mipFilter;
    ComRef<IDirect3DTexture8> chain;
    ComRef<IDirect3DSurface8> levelOne;
    std::optional<PagePrefault> chainPages;
    if (streamed && shape.levels > 1) {
        // Made before the decode, so its largest level's pages are ready
        // when it is filled. The pages stay where they are, locked or not;
        // were they gone, populating would merely fail.
        if (HRESULT hr = CreateAnyShape(device, below, &chain); FAILED(hr)) {
            return hr;
        }
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(chain->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
            chain->UnlockRect(0);
            chainPages.emplace(locked.pBits, static_cast<size_t>(locked.Pitch) * below.height);
        }
        if (ring) {
            if (HRESULT hr = chain->GetSurfaceLevel(0, levelOne.Out()); FAILED(hr)) {
                return hr;
            }
        }
    }
    const WorkingPalette palette(picture);
    if (ring) {
        RingedRows rows{&encoder,  levelOne.Get(), image.pixels,     image.rowPitch, shape.width,
                        shape.height, ring->Window(), shape.mipFilter, palette.entries};
        HRESULT hr = pending->Decode(image, D3DFMT_A8R8G8B8, HearRingedRows, &rows);
        if (SUCCEEDED(hr)) hr = rows.result;
        if (FAILED(hr)) {
            return hr;  // the workers stop at the next row
        }
        encoder.RowsReady(shape.height);
        if (shape.levels == 1) {
            return encoder.Finish({});
        }
        levelOne.Reset();
        if (below.levels > 1) {
            hr = BuildTextureMips(chain.Get(), palette.entries, 0, shape.mipFilter);
            if (FAILED(hr)) {
                return hr;
            }
        }
    } else {
        if (streamed) {
            const HRESULT hr = pending->Decode(image, D3DFMT_A8R8G8B8, HearRows, &encoder);
            if (FAILED(hr)) {
                return hr;  // the workers stop at the next row
            }
            encoder.RowsReady(shape.height);
        }
        if (shape.levels == 1) {
            return encoder.Finish({});
        }
        if (HRESULT hr = LoadAnyShape(device, image, below, &chain); FAILED(hr)) {
            return hr;  // the workers stop at the next row
        }
    }
    const LockedLevels pixels(chain.Get(), D3DLOCK_READONLY);
    if (FAILED(pixels.Result())) {
        return pixels.Result();
    }
    if (pixels.Count() != below.levels) {
        return E_FAIL;
    }
    std::vector<BlockLevelWork> lower(levels->begin() + 1, levels->end());
    for (UINT level = 1; level < shape.levels; ++level) {
        const auto& from = pixels[level - 1];
        BlockLevelWork& to = lower[level - 1];
        if (from.width != to.width || from.height != to.height) {
            return E_FAIL;
        }
        to.pixels = from.bits;
        to.pixelPitch = from.pitch;
    }
    return encoder.Finish(lower);
}

}  // namespace

bool CompressesFromPicture(const Image& image, const AnyShape& shape, const ChainRework& rework,
                           const PendingPicture* pending) {
    // An opaque picture only while its rows are still to be decoded (with
    // full alpha): decoded already, its unused byte need not be 0xFF.
    const bool topLevelBytes = image.format == D3DFMT_A8R8G8B8 ||
                               (image.format == D3DFMT_X8R8G8B8 && pending != nullptr && pending->Pending());
    return !rework.Active() && image.pixels != nullptr && topLevelBytes && image.FaceCount() == 1 &&
           image.LevelCount() == 1 &&
           image.rect.left == 0 && image.rect.top == 0 && static_cast<UINT>(image.rect.right) == shape.width &&
           static_cast<UINT>(image.rect.bottom) == shape.height && shape.format == D3DFMT_A8R8G8B8 &&
           shape.levels >= 1 && shape.colorKey == 0 && (shape.filter & FILTER_DITHER) == 0;
}

HRESULT CompressPictureToDds(IDirect3DDevice8* device, const Image& image, const AnyShape& shape, D3DFORMAT format,
                             const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds,
                             PendingPicture* pending, MappedOutputFile* output) {
    // The block texture is made only to ask the library's DDS writer what
    // it would write (its memory is never touched); the blocks go straight
    // into the file's bytes, packed as that writer packs them.
    ComRef<IDirect3DTexture8> compressed;
    HRESULT hr =
        device->CreateTexture(shape.width, shape.height, shape.levels, 0, format, D3DPOOL_SYSTEMMEM, compressed.Out());
    UINT fileBytes = 0;
    if (SUCCEEDED(hr)) hr = SaveTextureToDdsInMemory(compressed.Get(), ddsFlags, nullptr, 0, &fileBytes);
    if (FAILED(hr)) {
        return hr;
    }
    BYTE header[tovtex::DDS_DX10_HEADER_BYTES];
    const tovtex::DdsHeaderDesc desc{format,
                                     tovtex::DdsShape::TEXTURE,
                                     shape.width,
                                     shape.height,
                                     1,
                                     shape.levels,
                                     (ddsFlags & DDS_SAVE_DX10) != 0,
                                     (ddsFlags & DDS_SAVE_SRGB) != 0,
                                     (ddsFlags & DDS_SAVE_PREMULTIPLIED) != 0};
    const UINT headerBytes = tovtex::WriteDdsHeader(desc, header);
    struct Place {
        uint64_t offset;
        INT pitch;
        UINT width, height;
    };
    std::vector<Place> places;
    uint64_t end = headerBytes;
    for (UINT level = 0; level < shape.levels; ++level) {
        D3DSURFACE_DESC size{};
        hr = compressed->GetLevelDesc(level, &size);
        if (FAILED(hr)) {
            return hr;
        }
        const uint64_t rowBytes = tovtex::DdsRowBytes(format, size.Width);
        places.push_back({end, static_cast<INT>(rowBytes), size.Width, size.Height});
        end += rowBytes * tovtex::DdsRowCount(format, size.Height);
    }
    if (headerBytes == 0 || end != fileBytes) {
        return E_FAIL;  // not the layout the writer measured
    }
    // The block texture is kept (its pages untouched) until the chain is
    // done: released, its memory would be handed to the lower levels' texture
    // as a used block, which is cleared on this thread before it is filled.
    // A large file is filled where it is written: its bytes then need no
    // fresh buffer of their own, nor a copy into the file.
    dds->clear();
    BYTE* bytes = nullptr;
    std::optional<PagePrefault> outputPages;
    if (output != nullptr && fileBytes >= MAPPED_OUTPUT_BYTES && output->Open(fileBytes)) {
        bytes = output->Bytes();
        outputPages.emplace(bytes, fileBytes);
    } else {
        dds->assign(fileBytes, 0);
        bytes = dds->data();
    }
    std::memcpy(bytes, header, headerBytes);
    std::vector<BlockLevelWork> levels;
    for (const Place& place : places) {
        levels.push_back({nullptr, 0, bytes + place.offset, place.pitch, place.width, place.height});
    }
    hr = EncodeChain(device, image, pending, shape, format, encoding, &levels);
    outputPages.reset();
    if (FAILED(hr)) {
        dds->clear();
        if (output != nullptr) {
            output->Discard();
        }
    }
    return hr;
}

}  // namespace tovtex_tool
