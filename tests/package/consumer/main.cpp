// Decodes a small bitmap from memory and loads it as a texture on the
// software device; prints "ok" when both give the expected pixels.

#include <cstdint>
#include <cstdio>
#include <vector>

#include <tovtex.h>

namespace {

// A 2 x 1 24-bit bitmap file: a red pixel, then a blue one.
std::vector<BYTE> TinyBitmap() {
    std::vector<BYTE> bmp(14 + 40 + 8, 0);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp[at + i] = static_cast<BYTE>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, static_cast<uint32_t>(bmp.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, 2, 4);                                                      // width
    put(22, 1, 4);                                                      // height
    put(26, 1, 2);                                                      // planes
    put(28, 24, 2);                                                     // bits per pixel
    const BYTE pixels[8] = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 0};  // blue, green, red order
    for (int i = 0; i < 8; ++i) bmp[54 + i] = pixels[i];
    return bmp;
}

int Fail(const char* what, HRESULT hr) {
    std::printf("%s failed: 0x%08X\n", what, static_cast<unsigned>(hr));
    return 1;
}

}  // namespace

int main() {
    const std::vector<BYTE> bmp = TinyBitmap();
    Image image;
    ImageInfo info{};
    HRESULT hr = DecodeImageFile(&image, bmp.data(), static_cast<UINT>(bmp.size()), &info);
    if (FAILED(hr)) return Fail("DecodeImageFile", hr);
    if (info.width != 2 || info.height != 1 || info.format != D3DFMT_R8G8B8) return Fail("image description", E_FAIL);

    // A device with no window, in a program that opens none, draws into
    // memory: it needs no display and says nothing on standard error.
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (d3d == nullptr) return Fail("Direct3DCreate8", E_FAIL);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 1;
    params.BackBufferHeight = 1;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    IDirect3DDevice8* device = nullptr;
    hr = d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
    if (FAILED(hr)) return Fail("CreateDevice", hr);
    IDirect3DTexture8* texture = nullptr;
    hr = LoadTextureFromMemory(device, bmp.data(), static_cast<UINT>(bmp.size()), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                               D3DPOOL_MANAGED, FILTER_NONE, FILTER_NONE, 0, nullptr, nullptr, &texture);
    if (FAILED(hr)) return Fail("LoadTextureFromMemory", hr);
    D3DLOCKED_RECT locked{};
    hr = texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr)) return Fail("LockRect", hr);
    const auto* texels = static_cast<const uint32_t*>(locked.pBits);
    const bool right = texels[0] == 0xFFFF0000u && texels[1] == 0xFF0000FFu;
    texture->UnlockRect(0);
    texture->Release();
    device->Release();
    d3d->Release();
    if (!right) return Fail("texel check", E_FAIL);
    std::printf("ok\n");
    return 0;
}
