#include "texload/resource_data.h"

#include "texload/system_error.h"

HRESULT ResourceData::Locate(HMODULE module, const void* name, bool wide) {
    HRSRC found = wide ? FindResourceW(module, static_cast<LPCWSTR>(name), RT_BITMAPW)
                       : FindResourceA(module, static_cast<LPCSTR>(name), RT_BITMAP);
    if (found == nullptr) {
        return tovtex::LastSystemErrorResult();
    }
    DWORD size = SizeofResource(module, found);
    if (size == 0) {
        return tovtex::LastSystemErrorResult();
    }
    resource_ = LoadResource(module, found);
    if (resource_ == nullptr) {
        return tovtex::LastSystemErrorResult();
    }
    data_ = static_cast<const BYTE*>(LockResource(resource_));
    if (data_ == nullptr) {
        return tovtex::LastSystemErrorResult();
    }
    size_ = size;
    return S_OK;
}
