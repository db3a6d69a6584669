#include "dds_writer.h"

#include "codec/format_facts.h"
#include "texload/dds_layout.h"
#include "tovtex.h"

namespace tovtex_tool {

bool IsDdsWritable(D3DFORMAT format) {
    const FormatFacts* facts = FindFormatFacts(format);
    return facts != nullptr && facts->dds;
}

bool DdsHolds(D3DFORMAT format, bool dx10) {
    const tovtex::DdsPixelFormat* layout = tovtex::FindDdsPixelFormat(format);
    return layout != nullptr && (!dx10 || layout->dxgi != 0);
}

uint64_t DdsRowBytes(D3DFORMAT format, UINT width) {
    return tovtex::DdsRowBytes(format, width);
}

uint64_t DdsRowCount(D3DFORMAT format, UINT height) {
    return tovtex::DdsRowCount(format, height);
}

std::vector<BYTE> DdsHeader(const DdsLayout& layout) {
    std::vector<BYTE> header(tovtex::DDS_HEADER_BYTES, 0);
    const tovtex::DdsHeaderDesc desc{layout.format,
                                     layout.depth > 1 ? tovtex::DdsShape::VOLUME
                                     : layout.cube    ? tovtex::DdsShape::CUBE
                                                      : tovtex::DdsShape::TEXTURE,
                                     layout.width,
                                     layout.height,
                                     layout.depth,
                                     layout.levels,
                                     false,
                                     false,
                                     false};
    // Zeros when the format has no DDS description.
    tovtex::WriteDdsHeader(desc, header.data());
    return header;
}

void AppendDdsLevel(std::vector<BYTE>* out, D3DFORMAT format, UINT width, UINT height, const BYTE* pixels,
                    UINT rowPitch) {
    const uint64_t rowBytes = DdsRowBytes(format, width);
    const uint64_t rows = DdsRowCount(format, height);
    for (uint64_t y = 0; y < rows; ++y) {
        const BYTE* row = pixels + y * rowPitch;
        out->insert(out->end(), row, row + rowBytes);
    }
}

HRESULT SaveDds(IDirect3DBaseTexture8* texture, DWORD flags, std::vector<BYTE>* out) {
    UINT size = 0;
    HRESULT hr = SaveTextureToDdsInMemory(texture, flags, nullptr, 0, &size);
    if (FAILED(hr)) {
        return hr;
    }
    out->assign(size, 0);
    hr = SaveTextureToDdsInMemory(texture, flags, out->data(), size, &size);
    if (FAILED(hr)) {
        out->clear();
    }
    return hr;
}

HRESULT TextureToDds(IDirect3DTexture8* texture, std::vector<BYTE>* out) {
    D3DSURFACE_DESC top{};
    const HRESULT hr = texture->GetLevelDesc(0, &top);
    if (FAILED(hr)) {
        return hr;
    }
    return IsDdsWritable(top.Format) ? SaveDds(texture, 0, out) : D3DERR_NOTAVAILABLE;
}

HRESULT CubeTextureToDds(IDirect3DCubeTexture8* cube, std::vector<BYTE>* out) {
    D3DSURFACE_DESC top{};
    const HRESULT hr = cube->GetLevelDesc(0, &top);
    if (FAILED(hr)) {
        return hr;
    }
    return IsDdsWritable(top.Format) ? SaveDds(cube, 0, out) : D3DERR_NOTAVAILABLE;
}

}  // namespace tovtex_tool
