#pragma once
// Test seams of the software Direct3D 8 device: the device profile decides
// what the device reports and accepts, and which calls fail on purpose.
// Only tests include this.

#include <d3d8.h>

#include <functional>
#include <map>
#include <set>
#include <vector>

namespace platform_testing {

struct DeviceProfile {
    DWORD textureCaps = 0;
    DWORD maxTextureWidth = 0;
    DWORD maxTextureHeight = 0;
    DWORD maxVolumeExtent = 0;
    DWORD maxTextureAspectRatio = 0;  // 0: no limit

    // Formats CheckDeviceFormat accepts (and resource creation takes), per
    // resource type. D3DRTYPE_SURFACE lists plain surfaces.
    std::map<D3DRESOURCETYPE, std::set<D3DFORMAT>> formats;
    // Extra requirements of the usage bits.
    std::set<D3DFORMAT> renderTargetFormats;
    std::set<D3DFORMAT> depthStencilFormats;

    // Injected faults. Direct3DCreate8 answers null while failDirect3DCreate
    // is set. A CreateDevice attempt fails when it is among the first
    // failFirstCreateDevices attempts, or when createDeviceFails answers true.
    bool failDirect3DCreate = false;
    int failFirstCreateDevices = 0;
    std::function<bool(D3DDEVTYPE, DWORD)> createDeviceFails;
    // The Nth Present of a device (1-based; 0: never) loses the device:
    // Present and TestCooperativeLevel answer D3DERR_DEVICELOST until a
    // successful Reset. The first failResets Reset calls of a lost device fail.
    unsigned loseDeviceAtPresent = 0;
    unsigned failResets = 0;
};

// A capable card: no power-of-two demand, 4096 limits, mip maps of every
// kind, every format of the pixel format table.
DeviceProfile DefaultDeviceProfile();
void SetDeviceProfile(const DeviceProfile& profile);
// Back to the default profile; also clears the counters below.
void ResetDeviceProfile();

struct CreateDeviceAttempt {
    UINT adapter;
    D3DDEVTYPE deviceType;
    HWND focusWindow;
    DWORD behaviorFlags;
    D3DPRESENT_PARAMETERS presentParameters;
    HRESULT result;
};
// Every CreateDevice call since the last ResetDeviceProfile.
std::vector<CreateDeviceAttempt> CreateDeviceAttempts();
int ResetCallCount();
int PresentCallCount();
// Resources whose last reference went while a level was locked; they stay
// alive (and counted as live objects) until the level is unlocked.
int ReleasedWhileLockedCount();

}  // namespace platform_testing
