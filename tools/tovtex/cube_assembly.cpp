#include "cube_assembly.h"

#include <algorithm>
#include <cstring>

#include "base/com_ref.h"
#include "cli.h"
#include "dds_front_end.h"
#include "dds_writer.h"
#include "failure_cause.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

constexpr UINT FACES = 6;
constexpr D3DCUBEMAP_FACES NEGATIVE_Z = D3DCUBEMAP_FACE_NEGATIVE_Z;

// Where each face (+X, -X, +Y, -Y, +Z, -Z) sits in the cross, in face
// edges: column, row.
constexpr UINT ACROSS[FACES][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {1, 1}, {3, 1}};
constexpr UINT UPRIGHT[FACES][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {1, 1}, {1, 3}};

HRESULT CreateCube(IDirect3DDevice8* device, UINT edge, ComRef<IDirect3DCubeTexture8>* cube) {
    return device->CreateCubeTexture(edge, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, cube->Out());
}

// The part of the picture under rect into one face, converted as it is.
HRESULT CopyFace(IDirect3DCubeTexture8* cube, UINT face, const Image& picture, const RECT& rect) {
    ComRef<IDirect3DSurface8> surface;
    HRESULT hr = cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, surface.Out());
    if (SUCCEEDED(hr)) {
        hr = CopyPixelsToSurface(surface.Get(), nullptr, nullptr, picture.pixels, picture.format, picture.rowPitch,
                                 picture.palette, &rect, FILTER_NONE, 0);
    }
    return hr;
}

HRESULT TurnHalfRound(IDirect3DCubeTexture8* cube, D3DCUBEMAP_FACES face, UINT edge) {
    D3DLOCKED_RECT locked{};
    HRESULT hr = cube->LockRect(face, 0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    auto row = [&](UINT y) { return reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch); };
    for (UINT y = 0; y < (edge + 1) / 2; ++y) {
        DWORD* top = row(y);
        DWORD* bottom = row(edge - 1 - y);
        if (top == bottom) {
            std::reverse(top, top + edge);
            break;
        }
        std::reverse(top, top + edge);
        std::reverse(bottom, bottom + edge);
        std::swap_ranges(top, top + edge, bottom);
    }
    return cube->UnlockRect(face, 0);
}

HRESULT ToFileBytes(IDirect3DCubeTexture8* cube, FileBytes* out) {
    std::vector<BYTE> dds;
    const HRESULT hr = SaveDds(cube, 0, &dds);
    if (FAILED(hr)) {
        return hr;
    }
    out->data.reset(new (std::nothrow) BYTE[dds.size()]);
    if (out->data == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(out->data.get(), dds.data(), dds.size());
    out->size = static_cast<UINT>(dds.size());
    return S_OK;
}

std::string SizeText(UINT width, UINT height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

HRESULT AssembleCubeFaces(IDirect3DDevice8* device, const std::vector<std::string>& paths, FileBytes* cube,
                          std::string* error) {
    if (paths.size() != FACES) {
        *error = "--cube-faces: six pictures are needed, +X -X +Y -Y +Z -Z";
        return D3DERR_INVALIDCALL;
    }
    ComRef<IDirect3DCubeTexture8> texture;
    UINT edge = 0;
    for (UINT face = 0; face < FACES; ++face) {
        const std::string& path = paths[face];
        std::string reason;
        FileBytes file;
        HRESULT hr = ReadInput(path, &file, &reason);
        if (FAILED(hr)) {
            *error = ReadError(path, hr, reason);
            return hr;
        }
        DdsFrontEnd frontEnd;
        hr = ReadDdsFrontEnd(file.data.get(), file.size, &frontEnd, &reason);
        if (SUCCEEDED(hr) && frontEnd.volume) {
            reason = "--cube-faces: the file holds a volume texture, not one picture";
            hr = E_FAIL;
        }
        if (FAILED(hr)) {
            *error = FileError(path, hr, reason);
            return hr;
        }
        const FileBytes& bytes = frontEnd.applied ? frontEnd.file : file;
        Image picture;
        hr = DecodeImageFile(&picture, bytes.data.get(), bytes.size, nullptr);
        if (FAILED(hr)) {
            *error = FileError(path, hr, hr == ERR_INVALIDDATA ? UnreadableCause(bytes.data.get(), bytes.size) : "");
            return hr;
        }
        const UINT width = static_cast<UINT>(picture.rect.right), height = static_cast<UINT>(picture.rect.bottom);
        if (width != height) {
            *error = FileError(
                path, E_FAIL,
                "--cube-faces: the picture is " + SizeText(width, height) + "; a cube map's faces are square");
            return E_FAIL;
        }
        if (face == 0) {
            edge = width;
            hr = CreateCube(device, edge, &texture);
        } else if (width != edge) {
            *error = FileError(path, E_FAIL,
                               "--cube-faces: the picture is " + SizeText(width, height) + ", the first face " +
                                   SizeText(edge, edge) + "; every face must be the same size");
            return E_FAIL;
        }
        if (SUCCEEDED(hr)) hr = CopyFace(texture.Get(), face, picture, picture.rect);
        if (FAILED(hr)) {
            *error = FileError(path, hr);
            return hr;
        }
    }
    const HRESULT hr = ToFileBytes(texture.Get(), cube);
    if (FAILED(hr)) {
        *error = FileError(paths[0], hr);
    }
    return hr;
}

UINT CrossFaceEdge(UINT width, UINT height) {
    if (width % 4 == 0 && width / 4 > 0 && uint64_t{width} * 3 == uint64_t{height} * 4) {
        return width / 4;
    }
    if (width % 3 == 0 && width / 3 > 0 && uint64_t{width} * 4 == uint64_t{height} * 3) {
        return width / 3;
    }
    return 0;
}

HRESULT CutCrossLayout(IDirect3DDevice8* device, const BYTE* data, UINT size, FileBytes* cube) {
    Image picture;
    if (FAILED(DecodeImageFile(&picture, data, size, nullptr)) || picture.FaceCount() != 1) {
        return S_OK;
    }
    const UINT width = static_cast<UINT>(picture.rect.right), height = static_cast<UINT>(picture.rect.bottom);
    const UINT edge = CrossFaceEdge(width, height);
    if (edge == 0) {
        return S_OK;
    }
    const bool across = width > height;
    const auto& places = across ? ACROSS : UPRIGHT;
    ComRef<IDirect3DCubeTexture8> texture;
    HRESULT hr = CreateCube(device, edge, &texture);
    for (UINT face = 0; face < FACES && SUCCEEDED(hr); ++face) {
        const LONG left = static_cast<LONG>(places[face][0] * edge), top = static_cast<LONG>(places[face][1] * edge);
        const RECT rect{left, top, left + static_cast<LONG>(edge), top + static_cast<LONG>(edge)};
        hr = CopyFace(texture.Get(), face, picture, rect);
    }
    if (SUCCEEDED(hr) && !across) {
        hr = TurnHalfRound(texture.Get(), NEGATIVE_Z, edge);
    }
    if (SUCCEEDED(hr)) {
        hr = ToFileBytes(texture.Get(), cube);
    }
    return hr;
}

}  // namespace tovtex_tool
