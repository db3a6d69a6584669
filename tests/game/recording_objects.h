#pragma once
// Stand-ins that wrap (or replace) the platform objects ShellState owns, so
// tests can see the order of releases and the device's recovery calls.

#include <d3d8.h>
#include <dinput.h>
#include <windows.h>

#include <string>
#include <vector>

// Names of the objects released, in order.
using ReleaseLog = std::vector<std::string>;

// Each stand-in forwards to `inner` (which may be null), records its final
// Release in the log, then releases `inner` and deletes itself.
IDirect3DTexture8* RecordingTexture(IDirect3DTexture8* inner, std::string name, ReleaseLog* log);
IDirect3D8* RecordingDirect3D(IDirect3D8* inner, std::string name, ReleaseLog* log);
IDirectInput8A* RecordingDirectInput(IDirectInput8A* inner, std::string name, ReleaseLog* log);
IDirectInputDevice8A* RecordingController(IDirectInputDevice8A* inner, std::string name, ReleaseLog* log);

// The device stand-in also logs "Present" and "Reset" calls, and can make
// Present fail as on a lost device.
struct DeviceRecord {
    ReleaseLog* log = nullptr;
    HRESULT presentResult = S_OK;
    const D3DPRESENT_PARAMETERS* lastResetParams = nullptr;
};
IDirect3DDevice8* RecordingDevice(IDirect3DDevice8* inner, std::string name, DeviceRecord* record);
