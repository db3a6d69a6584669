#pragma once
// Values shared across the texture library's interface.

#include <windows.h>

// In a size, level count, usage or filter argument: let the library choose.
constexpr UINT DEFAULT_ARG = 0xFFFFFFFF;

// Filter argument: one filter in the low bits, flags above.
constexpr DWORD FILTER_DEFAULT = DEFAULT_ARG;
constexpr DWORD FILTER_NONE = 1;
constexpr DWORD FILTER_POINT = 2;
constexpr DWORD FILTER_LINEAR = 3;
constexpr DWORD FILTER_TRIANGLE = 4;
constexpr DWORD FILTER_BOX = 5;
constexpr DWORD FILTER_MIRROR_U = 0x10000;
constexpr DWORD FILTER_MIRROR_V = 0x20000;
constexpr DWORD FILTER_MIRROR_W = 0x40000;
constexpr DWORD FILTER_DITHER = 0x80000;

// No reader accepts the data.
constexpr HRESULT ERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59);

// The picture's decoded size exceeds the library's pixel limit
// (SetImagePixelLimit); the file was refused before anything was allocated
// for it.
constexpr HRESULT ERR_IMAGETOOLARGE = static_cast<HRESULT>(0x88760BB8);
