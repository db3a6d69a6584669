#pragma once
// The software device the texture fuzz targets load into: made on first
// use, away from any display, and kept for the life of the process (one
// device creation per input would cost more than the input).

#include <d3d8.h>
#include <windows.h>

// Aborts when no device can be had: the targets would test nothing.
IDirect3DDevice8* FuzzDevice();
