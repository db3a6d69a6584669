#include "kernel_object.h"

#include <unistd.h>

#include <unordered_set>

#include "live_objects.h"
#include "winbase.h"
#include "winerror.h"

namespace platform {

namespace {

std::unordered_set<KernelObject*>& LiveHandles() {
    static std::unordered_set<KernelObject*> handles;
    return handles;
}

}  // namespace

KernelObject::KernelObject(Kind kind) : kind_(kind) {
    LiveHandles().insert(this);
    ObjectCreated();
}

KernelObject::~KernelObject() {
    LiveHandles().erase(this);
    ObjectDestroyed();
}

KernelObject* LookupAnyHandle(HANDLE handle) {
    // A handle is only dereferenced once it is found among the live objects.
    auto* object = static_cast<KernelObject*>(handle);
    if (LiveHandles().count(object) == 0) {
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

FileObject::~FileObject() { close(fd_); }

MappingObject::~MappingObject() { close(fd_); }

}  // namespace platform

BOOL WINAPI CloseHandle(HANDLE hObject) {
    platform::KernelObject* object = platform::LookupAnyHandle(hObject);
    if (object == nullptr) {
        return FALSE;
    }
    delete object;
    return TRUE;
}
