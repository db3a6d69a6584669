#pragma once
// Software Direct3D 8 devices for the tool's worker threads: one device per
// thread, all created (and released) on the calling thread, because device
// creation goes through process-wide platform state (the SDL video start and
// the record of creation attempts).

#include <vector>

#include <d3d8.h>
#include <windows.h>

namespace tovtex_tool {

class SoftwareDevices {
public:
    SoftwareDevices() = default;
    ~SoftwareDevices();
    SoftwareDevices(const SoftwareDevices&) = delete;
    SoftwareDevices& operator=(const SoftwareDevices&) = delete;

    // Selects the named device profile and creates count devices.
    HRESULT Create(const char* profile, unsigned count);
    IDirect3DDevice8* At(unsigned index) const { return devices_[index]; }

private:
    IDirect3D8* direct3d_ = nullptr;
    std::vector<IDirect3DDevice8*> devices_;
};

}  // namespace tovtex_tool
