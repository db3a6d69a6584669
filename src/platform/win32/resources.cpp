// FindResourceA/W, SizeofResource, LoadResource and LockResource over a
// per-module table.

#include "resources.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "shift_jis.h"

namespace platform {

namespace {

// A resource type or name: an integer id, or a string compared without
// regard to case, as the platform stores names upper-cased.
struct ResourceKey {
    bool isId = false;
    WORD id = 0;
    std::u16string name;

    bool operator==(const ResourceKey& other) const {
        return isId == other.isId && (isId ? id == other.id : name == other.name);
    }
};

ResourceKey KeyFromWide(std::u16string text) {
    ResourceKey key;
    // "#123" names the integer id 123.
    if (text.size() > 1 && text[0] == u'#') {
        unsigned long value = 0;
        bool digits = true;
        for (size_t i = 1; i < text.size() && digits; ++i) {
            digits = text[i] >= u'0' && text[i] <= u'9';
            value = value * 10 + (text[i] - u'0');
            digits = digits && value <= 0xFFFF;
        }
        if (digits) {
            key.isId = true;
            key.id = static_cast<WORD>(value);
            return key;
        }
    }
    for (auto& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    key.name = std::move(text);
    return key;
}

ResourceKey KeyFrom(LPCSTR text) {
    if (IS_INTRESOURCE(text)) {
        return ResourceKey{true, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(text)), {}};
    }
    std::u16string wide;
    Cp932ToUtf16(text, wide, false);
    return KeyFromWide(std::move(wide));
}

ResourceKey KeyFrom(LPCWSTR text) {
    if (IS_INTRESOURCE(text)) {
        return ResourceKey{true, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(text)), {}};
    }
    return KeyFromWide(text);
}

struct Resource {
    HMODULE module;
    ResourceKey type;
    ResourceKey name;
    std::vector<BYTE> bytes;
};

std::vector<std::unique_ptr<Resource>>& Table() {
    static std::vector<std::unique_ptr<Resource>> table;
    return table;
}

HMODULE Resolve(HMODULE module) {
    return module != nullptr ? module : GetModuleHandleA(nullptr);
}

HRSRC Find(HMODULE module, const ResourceKey& type, const ResourceKey& name) {
    module = Resolve(module);
    bool typeFound = false;
    for (const auto& resource : Table()) {
        if (resource->module != module || !(resource->type == type)) {
            continue;
        }
        typeFound = true;
        if (resource->name == name) {
            return reinterpret_cast<HRSRC>(resource.get());
        }
    }
    SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

// The table entry behind a handle, checked before use.
Resource* Lookup(HRSRC handle) {
    for (const auto& resource : Table()) {
        if (reinterpret_cast<HRSRC>(resource.get()) == handle) {
            return resource.get();
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

}  // namespace

void AddResource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, size_t size) {
    auto resource = std::make_unique<Resource>();
    resource->module = Resolve(module);
    resource->type = KeyFrom(type);
    resource->name = KeyFrom(name);
    resource->bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    for (auto& existing : Table()) {
        if (existing->module == resource->module && existing->type == resource->type &&
            existing->name == resource->name) {
            existing = std::move(resource);
            return;
        }
    }
    Table().push_back(std::move(resource));
}

void ClearResources() {
    Table().clear();
}

}  // namespace platform

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    if (lpName == nullptr || lpType == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform::Find(hModule, platform::KeyFrom(lpType), platform::KeyFrom(lpName));
}

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    if (lpName == nullptr || lpType == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform::Find(hModule, platform::KeyFrom(lpType), platform::KeyFrom(lpName));
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
    const platform::Resource* resource = platform::Lookup(hResInfo);
    return resource != nullptr ? static_cast<DWORD>(resource->bytes.size()) : 0;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
    platform::Resource* resource = platform::Lookup(hResInfo);
    if (resource == nullptr) {
        return nullptr;
    }
    // An empty resource still loads, at an address that holds nothing.
    static BYTE empty;
    return resource->bytes.empty() ? &empty : resource->bytes.data();
}

// Loaded resource data is the data itself; nothing to lock.
LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return hResData;
}
