#include <windows.h>

#include <cstring>

namespace {

// The optional tail of OSVERSIONINFOEXA that follows OSVERSIONINFOA.
struct VersionInfoTail {
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
constexpr DWORD VERSION_INFO_EX_SIZE = sizeof(OSVERSIONINFOA) + sizeof(VersionInfoTail);
constexpr BYTE PRODUCT_WORKSTATION = 1;

}  // namespace

// Reports the NT family, version 5.1: wide file names go straight to
// CreateFileW.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (lpVersionInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != VERSION_INFO_EX_SIZE) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lpVersionInformation->dwMajorVersion = 5;
    lpVersionInformation->dwMinorVersion = 1;
    lpVersionInformation->dwBuildNumber = 2600;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof(lpVersionInformation->szCSDVersion));
    if (size == VERSION_INFO_EX_SIZE) {
        VersionInfoTail tail{};
        tail.wProductType = PRODUCT_WORKSTATION;
        std::memcpy(reinterpret_cast<BYTE*>(lpVersionInformation) + sizeof(OSVERSIONINFOA), &tail, sizeof(tail));
    }
    return TRUE;
}
