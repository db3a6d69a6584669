#pragma once
// The shell's process-wide record: the window and every platform object the
// program owns. Each pointer is released exactly once and then set to null.

#include <d3d8.h>
#include <dinput.h>
#include <windows.h>

#include <cstdint>

// Slots of ShellState::textures.
typedef int8_t TextureSlot;
constexpr TextureSlot TEXTURE_ATLAS = 0;       // 4 x 4 sheet: digits, body, puff, arrow, label
constexpr TextureSlot TEXTURE_TITLE = 1;       // the full-screen title picture
constexpr TextureSlot TEXTURE_BACKGROUND = 2;  // the backdrop behind the flight
constexpr int TEXTURE_SLOT_COUNT = 3;

// File of each slot, relative to the working directory.
extern const char* const TEXTURE_FILES[TEXTURE_SLOT_COUNT];

struct ShellState {
    bool fullScreen;     // -f on the command line
    bool quitRequested;  // set on WM_CLOSE; ends the message loop
    uint32_t adapter;    // D3DADAPTER_DEFAULT
    HWND window;
    IDirect3D8* direct3d;
    IDirect3DDevice8* device;
    D3DPRESENT_PARAMETERS presentParams;  // as given to CreateDevice; reused by Reset
    IDirect3DTexture8* textures[TEXTURE_SLOT_COUNT];
    IDirectInput8A* directInput;
    IDirectInputDevice8A* controller;
    bool controllerReady;
};

// Zero at load.
extern ShellState shellState;
