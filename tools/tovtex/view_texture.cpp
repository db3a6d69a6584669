#include "view_texture.h"

#include <algorithm>

#include "dds_front_end.h"
#include "dds_volume_loader.h"
#include "file_bytes.h"
#include "result_text.h"
#include "tovtex.h"

namespace tovtex_tool {

void ViewTexture::Load(IDirect3DDevice8* device, const std::string& path) {
    Release();
    path_ = path;
    std::string reason;
    FileBytes file;
    result_ = ReadWholeFile(path, &file, &reason);
    // DDS layouts the library's reader refuses are shown as the tool's
    // other commands read them: converted in memory first.
    DdsFrontEnd frontEnd;
    if (SUCCEEDED(result_)) {
        result_ = ReadDdsFrontEnd(file.data.get(), file.size, &frontEnd, &reason);
    }
    if (SUCCEEDED(result_) && frontEnd.volume) {
        reader_ = "DDS";
        const VolumeLoadRequest request{
            DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG, D3DFMT_UNKNOWN, FILTER_DEFAULT, FILTER_DEFAULT, 0};
        result_ = LoadVolumeTexture(device, frontEnd, request, volume_.Out());
    } else if (SUCCEEDED(result_)) {
        const FileBytes& bytes = frontEnd.applied ? frontEnd.file : file;
        // Decoded once more here only to name the reader and count the faces.
        Image image;
        result_ = DecodeImageFileNamingReader(&image, bytes.data.get(), bytes.size, nullptr, &reader_);
        if (SUCCEEDED(result_)) {
            result_ = image.FaceCount() == 6
                          ? LoadCubeTextureFromMemoryDefault(device, bytes.data.get(), bytes.size, cube_.Out())
                          : LoadTextureFromMemoryDefault(device, bytes.data.get(), bytes.size, plain_.Out());
        }
    }
    if (FAILED(result_)) {
        error_ = DescribeResult(result_, reason);
    }
}

void ViewTexture::Release() {
    plain_.Reset();
    cube_.Reset();
    volume_.Reset();
    reader_ = "";
    error_.clear();
    result_ = E_FAIL;
}

IDirect3DBaseTexture8* ViewTexture::Texture() const {
    if (IsVolume()) {
        return volume_.Get();
    }
    return IsCube() ? static_cast<IDirect3DBaseTexture8*>(cube_.Get()) : plain_.Get();
}

UINT ViewTexture::Levels() const {
    IDirect3DBaseTexture8* texture = Texture();
    return texture != nullptr ? texture->GetLevelCount() : 0;
}

bool ViewTexture::LevelDesc(UINT level, D3DSURFACE_DESC* desc) const {
    if (level >= Levels()) {
        return false;
    }
    if (IsVolume()) {
        D3DVOLUME_DESC volume{};
        if (FAILED(volume_->GetLevelDesc(level, &volume))) {
            return false;
        }
        *desc = D3DSURFACE_DESC{};
        desc->Format = volume.Format;
        desc->Width = volume.Width;
        desc->Height = volume.Height;
        return true;
    }
    return SUCCEEDED(IsCube() ? cube_->GetLevelDesc(level, desc) : plain_->GetLevelDesc(level, desc));
}

UINT ViewTexture::Depth(UINT level) const {
    D3DVOLUME_DESC desc{};
    return IsVolume() && level < Levels() && SUCCEEDED(volume_->GetLevelDesc(level, &desc)) ? desc.Depth : 1;
}

HRESULT ViewTexture::ReadTexel(UINT layer, UINT level, UINT u, UINT v, D3DCOLOR* colour) const {
    D3DSURFACE_DESC desc{};
    if (!LevelDesc(level, &desc) || layer >= (IsVolume() ? Depth(level) : Faces()) || u >= desc.Width ||
        v >= desc.Height) {
        return D3DERR_INVALIDCALL;
    }
    if (IsVolume()) {
        return ReadVolumeTexel(layer, level, u, v, colour);
    }
    const UINT face = layer;
    ComRef<IDirect3DSurface8> surface;
    HRESULT hr = IsCube() ? cube_->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, surface.Out())
                          : plain_->GetSurfaceLevel(level, surface.Out());
    if (FAILED(hr)) {
        return hr;
    }
    D3DLOCKED_RECT locked{};
    hr = surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr)) {
        return hr;
    }
    // The 4 x 4 block around the texel: whole blocks for the block formats.
    const UINT left = u & ~3u, top = v & ~3u;
    const UINT right = std::min(left + 4, desc.Width), bottom = std::min(top + 4, desc.Height);
    D3DCOLOR block[16] = {};
    PixelRegion source{};
    source.pixels = static_cast<BYTE*>(locked.pBits);
    source.format = desc.Format;
    source.rowPitch = locked.Pitch;
    source.surfaceBox = {0, 0, desc.Width, desc.Height, 0, 1};
    source.box = {
        static_cast<INT>(left), static_cast<INT>(top), static_cast<INT>(right), static_cast<INT>(bottom), 0, 1};
    PixelRegion destination{};
    destination.pixels = reinterpret_cast<BYTE*>(block);
    destination.format = D3DFMT_A8R8G8B8;
    destination.rowPitch = 16;
    destination.surfaceBox = {0, 0, 4, 4, 0, 1};
    destination.box = {0, 0, static_cast<INT>(right - left), static_cast<INT>(bottom - top), 0, 1};
    hr = ConvertRegion(&destination, &source, FILTER_NONE);
    surface->UnlockRect();
    if (SUCCEEDED(hr)) {
        *colour = block[(v - top) * 4 + (u - left)];
    }
    return hr;
}

HRESULT ViewTexture::ReadVolumeTexel(UINT slice, UINT level, UINT u, UINT v, D3DCOLOR* colour) const {
    ComRef<IDirect3DVolume8> volume;
    HRESULT hr = volume_->GetVolumeLevel(level, volume.Out());
    if (FAILED(hr)) {
        return hr;
    }
    D3DVOLUME_DESC desc{};
    volume->GetDesc(&desc);
    // Volumes hold no block formats: the one texel is read on its own.
    const D3DBOX box{u, v, u + 1, v + 1, slice, slice + 1};
    D3DLOCKED_BOX locked{};
    hr = volume->LockBox(&locked, &box, D3DLOCK_READONLY);
    if (FAILED(hr)) {
        return hr;
    }
    PixelRegion source{};
    source.pixels = static_cast<BYTE*>(locked.pBits);
    source.format = desc.Format;
    source.rowPitch = locked.RowPitch;
    source.surfaceBox = {0, 0, 1, 1, 0, 1};
    source.box = {0, 0, 1, 1, 0, 1};
    PixelRegion destination{};
    destination.pixels = reinterpret_cast<BYTE*>(colour);
    destination.format = D3DFMT_A8R8G8B8;
    destination.rowPitch = 4;
    destination.surfaceBox = {0, 0, 1, 1, 0, 1};
    destination.box = {0, 0, 1, 1, 0, 1};
    hr = ConvertRegion(&destination, &source, FILTER_NONE);
    volume->UnlockBox();
    return hr;
}

}  // namespace tovtex_tool
