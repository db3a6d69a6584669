#pragma once
// Saving textures as DDS files: a texture, cube texture or volume texture,
// every level of every face (or every slice), packed without padding.
//
//     UINT size = 0;
//     HRESULT hr = SaveTextureToDdsInMemory(texture, 0, nullptr, 0, &size);  // size query
//     ... allocate size bytes ...
//     hr = SaveTextureToDdsInMemory(texture, 0, buffer, size, &size);
//
//     hr = SaveTextureToDdsFileA("out.dds", texture, DDS_SAVE_DX10 | DDS_SAVE_SRGB);
//
// The levels are read by locking them (D3DLOCK_READONLY), so the texture
// must be in the managed or system-memory pool.
//
// Formats: the classic header describes A8R8G8B8, X8R8G8B8, R8G8B8, R5G6B5,
// X1R5G5B5, A1R5G5B5, A4R4G4B4, R3G3B2, A8, A8R3G3B2, X4R4G4B4, L8, A8L8,
// A4L4, V8U8, L6V5U5, X8L8V8U8, Q8W8V8U8, V16U16 (by the standard masks and
// pixel-format flags), UYVY, YUY2 and DXT1 to DXT5 (by FourCC). The DX10
// header takes the formats with a DXGI counterpart: A8R8G8B8, X8R8G8B8,
// R5G6B5, A1R5G5B5, A4R4G4B4, A8, V8U8, Q8W8V8U8, V16U16, YUY2 and DXT1 to
// DXT5; DDS_SAVE_SRGB further needs an sRGB flavour (A8R8G8B8, X8R8G8B8,
// DXT1 to DXT5).
//
// Results: S_OK; D3DERR_INVALIDCALL for a missing texture or size, unknown
// flags, or DDS_SAVE_SRGB without DDS_SAVE_DX10; D3DERR_NOTAVAILABLE when the
// chosen header cannot describe the texture's format; D3DERR_MOREDATA when
// the caller's buffer is smaller than the file (the size needed is stored);
// ERR_IMAGETOOLARGE for a file of 4 GiB or more; E_OUTOFMEMORY; a file that
// cannot be written gives its system error as 0x8007xxxx; failures to lock a
// level are passed through. Nothing is written to a file until the whole
// file has been gathered.

#include <d3d8.h>
#include <windows.h>

// A DX10 header (DXGI format, array size 1, the cube flag) after the
// classic one, instead of the classic pixel-format description.
constexpr DWORD DDS_SAVE_DX10 = 0x1;
// With DDS_SAVE_DX10: the sRGB flavour of the DXGI format.
constexpr DWORD DDS_SAVE_SRGB = 0x2;
// With DDS_SAVE_DX10: the colours are premultiplied by alpha (the DX10
// alpha mode; DXT2 and DXT4 always say so).
constexpr DWORD DDS_SAVE_PREMULTIPLIED = 0x4;

// buffer null: only the file's size is stored in *dataSize. Otherwise the
// file is written to buffer (bufferSize bytes) and *dataSize receives its
// size.
HRESULT SaveTextureToDdsInMemory(IDirect3DBaseTexture8* texture, DWORD flags, LPVOID buffer, UINT bufferSize,
                                 UINT* dataSize);

// Creates or replaces the file.
HRESULT SaveTextureToDdsFileA(LPCSTR fileName, IDirect3DBaseTexture8* texture, DWORD flags);
HRESULT SaveTextureToDdsFileW(LPCWSTR fileName, IDirect3DBaseTexture8* texture, DWORD flags);
