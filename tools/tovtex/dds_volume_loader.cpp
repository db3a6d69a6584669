#include "dds_volume_loader.h"

#include "dds_writer.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

UINT OrFile(UINT asked, UINT file) {
    return asked == 0 || asked == DEFAULT_ARG ? file : asked;
}

}  // namespace

HRESULT LoadVolumeTexture(IDirect3DDevice8* device, const DdsFrontEnd& frontEnd, const VolumeLoadRequest& request,
                          IDirect3DVolumeTexture8** volume) {
    *volume = nullptr;
    IDirect3DVolumeTexture8* created = nullptr;
    HRESULT hr = CreateFittedVolumeTexture(device, OrFile(request.width, frontEnd.width),
                                           OrFile(request.height, frontEnd.height), frontEnd.depth, request.mipLevels,
                                           0, request.format == D3DFMT_UNKNOWN ? frontEnd.format : request.format,
                                           D3DPOOL_MANAGED, &created);
    if (FAILED(hr)) {
        return hr;
    }
    const UINT levels = created->GetLevelCount();
    const UINT fromFile = levels < frontEnd.levels ? levels : frontEnd.levels;
    for (UINT level = 0; level < fromFile && SUCCEEDED(hr); ++level) {
        UINT w = 0, h = 0, d = 0;
        const BYTE* pixels = VolumeLevel(frontEnd, level, &w, &h, &d);
        const uint64_t rowPitch = DdsRowBytes(frontEnd.format, w);
        const D3DBOX box{0, 0, w, h, 0, d};
        IDirect3DVolume8* target = nullptr;
        hr = created->GetVolumeLevel(level, &target);
        if (SUCCEEDED(hr)) {
            hr = CopyPixelsToVolume(target, nullptr, nullptr, pixels, frontEnd.format, static_cast<UINT>(rowPitch),
                                    static_cast<UINT>(rowPitch * DdsRowCount(frontEnd.format, h)), nullptr, &box,
                                    request.filter, request.colorKey);
            target->Release();
        }
    }
    if (SUCCEEDED(hr) && levels > fromFile) {
        hr = BuildVolumeTextureMips(created, nullptr, fromFile - 1, request.mipFilter);
    }
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *volume = created;
    return S_OK;
}

}  // namespace tovtex_tool
