// WideCharToMultiByte and MultiByteToWideChar: UTF-16 to and from the ANSI
// code page (932) and UTF-8.

#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

#include "shift_jis.h"
#include "utf16.h"

namespace {

enum class Encoding { Invalid, Cp932, Utf8 };

Encoding ResolveCodePage(UINT codePage) {
    switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case 932: return Encoding::Cp932;
    case CP_UTF8: return Encoding::Utf8;
    default: return Encoding::Invalid;
    }
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// Copies the converted units out with the platform's contract: a buffer size
// of 0 asks for the size needed; a buffer too small fails.
template <typename Unit>
int Deliver(const std::basic_string<Unit>& converted, Unit* buffer, int bufferUnits) {
    if (converted.size() > static_cast<size_t>(INT_MAX)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const int needed = static_cast<int>(converted.size());
    if (bufferUnits == 0) {
        return needed;
    }
    if (needed > bufferUnits) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, converted.data(), converted.size() * sizeof(Unit));
    return needed;
}

}  // namespace

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
    const Encoding page = ResolveCodePage(CodePage);
    if (page == Encoding::Invalid || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 ||
        cbMultiByte < 0 || (cbMultiByte > 0 && lpMultiByteStr == nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const bool strict = (dwFlags & WC_ERR_INVALID_CHARS) != 0;
    if (page == Encoding::Utf8 && ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0 ||
                                   lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // -1: the text is zero-terminated and the terminator is converted too.
    const size_t length =
        cchWideChar == -1 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    const std::u16string_view in(lpWideCharStr, length);
    std::string out;
    bool usedDefault = false;
    const bool ok =
        page == Encoding::Utf8
            ? platform::Utf16ToUtf8(in, out, strict)
            : platform::Utf16ToCp932(in, out, lpDefaultChar != nullptr ? *lpDefaultChar : '?', &usedDefault, strict);
    if (!ok) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    if (lpUsedDefaultChar != nullptr) {
        *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return Deliver(out, lpMultiByteStr, cbMultiByte);
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    const Encoding page = ResolveCodePage(CodePage);
    if (page == Encoding::Invalid || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 ||
        cchWideChar < 0 || (cchWideChar > 0 && lpWideCharStr == nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
    const size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    const std::string_view in(lpMultiByteStr, length);
    std::u16string out;
    const bool ok =
        page == Encoding::Utf8 ? platform::Utf8ToUtf16(in, out, strict) : platform::Cp932ToUtf16(in, out, strict);
    if (!ok) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    return Deliver(out, lpWideCharStr, cchWideChar);
}
