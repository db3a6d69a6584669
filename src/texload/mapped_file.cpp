#include "texload/mapped_file.h"

#include <new>

#include <d3d8.h>

#include "texload/system_error.h"

namespace {

bool IsNtFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

HANDLE OpenForReading(const void* name, bool wide) {
    if (wide) {
        return CreateFileW(static_cast<LPCWSTR>(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_RANDOM_ACCESS, nullptr);
    }
    return CreateFileA(static_cast<LPCSTR>(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_RANDOM_ACCESS, nullptr);
}

// Systems outside the NT family have no wide file calls: open through a
// copy of the name in the ANSI code page.
HANDLE OpenWideAsNarrow(LPCWSTR name) {
    int length = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return INVALID_HANDLE_VALUE;
    }
    char* narrow = new (std::nothrow) char[length];
    if (narrow == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    if (WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, length, nullptr, nullptr) > 0) {
        file = OpenForReading(narrow, false);
    }
    delete[] narrow;
    return file;
}

}  // namespace

HRESULT MappedFile::Open(const void* name, bool wide) {
    if (name == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    HANDLE file = wide && !IsNtFamily() ? OpenWideAsNarrow(static_cast<LPCWSTR>(name)) : OpenForReading(name, wide);
    if (file == INVALID_HANDLE_VALUE) {
        return tovtex::LastSystemErrorResult();
    }
    file_ = file;
    // The size is taken first: a file of 4 GiB or more has no 32-bit size
    // and is refused before any of it is read. 0xFFFFFFFF bytes cannot be
    // told from the failure value, so that size counts as too large too.
    DWORD high = 0;
    const DWORD size = GetFileSize(file_, &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        return tovtex::LastSystemErrorResult();
    }
    if (high != 0 || size == INVALID_FILE_SIZE) {
        return tovtex::ResultFromSystemError(ERROR_FILE_TOO_LARGE);
    }
    // A mapping of exactly that size: the view then holds every byte the
    // size promises, even if the file has grown or shrunk in between.
    mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, size, nullptr);
    if (mapping_ == nullptr) {
        return tovtex::LastSystemErrorResult();
    }
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    if (view_ == nullptr) {
        return tovtex::LastSystemErrorResult();
    }
    size_ = size;
    return S_OK;
}

void MappedFile::Close() {
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
        view_ = nullptr;
    }
    size_ = 0;
    if (mapping_ != nullptr) {
        CloseHandle(mapping_);
        mapping_ = nullptr;
    }
    if (file_ != nullptr) {
        CloseHandle(file_);
        file_ = nullptr;
    }
}
