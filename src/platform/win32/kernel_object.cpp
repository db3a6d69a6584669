#include "kernel_object.h"

#include <unistd.h>

#include <mutex>
#include <unordered_set>

#include "live_objects.h"
#include "winbase.h"
#include "winerror.h"

namespace platform {

namespace {

// The handle table is shared by every thread, as on the platform.
std::mutex handlesLock;

std::unordered_set<KernelObject*>& LiveHandles() {
    static std::unordered_set<KernelObject*> handles;
    return handles;
}

bool IsLiveHandle(KernelObject* object) {
    std::lock_guard<std::mutex> hold(handlesLock);
    return LiveHandles().count(object) != 0;
}

}  // namespace

KernelObject::KernelObject(Kind kind) : kind_(kind) {
    {
        std::lock_guard<std::mutex> hold(handlesLock);
        LiveHandles().insert(this);
    }
    ObjectCreated();
}

KernelObject::~KernelObject() {
    {
        std::lock_guard<std::mutex> hold(handlesLock);
        LiveHandles().erase(this);
    }
    ObjectDestroyed();
}

KernelObject* LookupAnyHandle(HANDLE handle) {
    // A handle is only dereferenced once it is found among the live objects.
    auto* object = static_cast<KernelObject*>(handle);
    if (!IsLiveHandle(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object;
}

KernelObject* LookupHandle(HANDLE handle, KernelObject::Kind kind) {
    KernelObject* object = LookupAnyHandle(handle);
    if (object == nullptr || object->kind() != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object;
}

FileObject::~FileObject() {
    close(fd_);
}

MappingObject::~MappingObject() {
    close(fd_);
}

}  // namespace platform

BOOL WINAPI CloseHandle(HANDLE hObject) {
    platform::KernelObject* object = platform::LookupAnyHandle(hObject);
    if (object == nullptr) {
        return FALSE;
    }
    delete object;
    return TRUE;
}
