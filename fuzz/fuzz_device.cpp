#include "fuzz_device.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "software_devices.h"

IDirect3DDevice8* FuzzDevice() {
    // Never destroyed: the platform's own process-wide state may already be
    // gone when static destructors run.
    static tovtex_tool::SoftwareDevices* devices = [] {
        auto* made = new (std::nothrow) tovtex_tool::SoftwareDevices;
        if (made != nullptr && FAILED(made->Create("default", 1))) {
            delete made;
            made = nullptr;
        }
        return made;
    }();
    if (devices == nullptr) {
        std::fprintf(stderr, "no software device\n");
        std::abort();
    }
    return devices->At(0);
}
