#pragma once
// A system error (GetLastError) as a result code.

#include <windows.h>

namespace tovtex {

inline HRESULT ResultFromSystemError(DWORD error) {
    const auto value = static_cast<HRESULT>(error);
    return value <= 0 ? value : static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u);
}

inline HRESULT LastSystemErrorResult() {
    return ResultFromSystemError(GetLastError());
}

}  // namespace tovtex
