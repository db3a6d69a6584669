#pragma once
// The bytes of a bitmap resource of a module (a headerless bitmap, or any
// image file stored under that type). The bytes belong to the module.

#include <windows.h>

class ResourceData {
public:
    // name is a narrow (LPCSTR) or, with wide set, a wide (LPCWSTR) resource
    // name or MAKEINTRESOURCE value. S_OK with data and size filled.
    HRESULT Locate(HMODULE module, const void* name, bool wide);

    const BYTE* Data() const { return data_; }
    UINT Size() const { return size_; }

private:
    HGLOBAL resource_ = nullptr;
    const BYTE* data_ = nullptr;
    UINT size_ = 0;
};
