#include "texload/mapped_file.h"

#include <cstring>
#include <new>

#include <d3d8.h>

#include "texload/image_headers.h"
#include "texload/on_demand_testing.h"
#include "texload/system_error.h"

namespace {

// Smaller files are read whole: a few reads more would cost more than the
// copy they save.
DWORD onDemandFrom = tovtex::DEFAULT_ON_DEMAND_FROM;
constexpr UINT DDS_HEADER_SIZE = 128;

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

void tovtex::SetOnDemandFrom(DWORD bytes) {
    onDemandFrom = bytes;
}

HRESULT MappedFile::OpenFile(const void* name, bool wide, DWORD* sizeOut) {
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
    *sizeOut = size;
    return S_OK;
}

HRESULT MappedFile::MapWhole(DWORD size) {
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

HRESULT MappedFile::Open(const void* name, bool wide) {
    DWORD size = 0;
    const HRESULT hr = OpenFile(name, wide, &size);
    return FAILED(hr) ? hr : MapWhole(size);
}

HRESULT MappedFile::OpenOnDemand(const void* name, bool wide) {
    DWORD size = 0;
    const HRESULT hr = OpenFile(name, wide, &size);
    if (FAILED(hr)) {
        return hr;
    }
    if (size >= onDemandFrom) {
        // Untouched memory costs nothing until a level is read into it.
        ownView_ = new (std::nothrow) BYTE[size];
        if (ownView_ != nullptr) {
            size_ = size;
            tovtex::ImageHeader header{};
            if (SUCCEEDED(ReadBytes(ownView_, ownView_, DDS_HEADER_SIZE)) &&
                SUCCEEDED(tovtex::ReadDdsHeader(ownView_, size_, &header))) {
                return S_OK;
            }
            // Read whole, as Open reads it, so every reader sees every byte.
            delete[] ownView_;
            ownView_ = nullptr;
            size_ = 0;
        }
    }
    return MapWhole(size);
}

HRESULT MappedFile::ReadBytes(const BYTE* at, BYTE* to, UINT size) {
    const BYTE* view = View();
    if (view == nullptr || at < view || static_cast<UINT>(at - view) > size_ || size > size_ - (at - view)) {
        return D3DERR_INVALIDCALL;
    }
    if (!OnDemand()) {
        if (to != at) {
            std::memcpy(to, at, size);
        }
        return S_OK;
    }
    LONG high = 0;
    if (SetFilePointer(file_, static_cast<LONG>(at - view), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != ERROR_SUCCESS) {
        return tovtex::LastSystemErrorResult();
    }
    DWORD got = 0;
    if (!ReadFile(file_, to, size, &got, nullptr)) {
        return tovtex::LastSystemErrorResult();
    }
    if (got != size) {
        // The file was shortened since it was opened.
        return tovtex::ResultFromSystemError(ERROR_HANDLE_EOF);
    }
    return S_OK;
}

HRESULT MappedFile::Need(const BYTE* at, UINT size) {
    if (!OnDemand()) {
        return S_OK;
    }
    const auto from = static_cast<UINT>(at - ownView_);
    if (from == neededFrom_ && size == neededSize_) {
        return S_OK;
    }
    const HRESULT hr = ReadBytes(at, ownView_ + from, size);
    if (SUCCEEDED(hr)) {
        neededFrom_ = from;
        neededSize_ = size;
    }
    return hr;
}

void MappedFile::Close() {
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
        view_ = nullptr;
    }
    delete[] ownView_;
    ownView_ = nullptr;
    size_ = 0;
    neededFrom_ = 0;
    neededSize_ = 0;
    if (mapping_ != nullptr) {
        CloseHandle(mapping_);
        mapping_ = nullptr;
    }
    if (file_ != nullptr) {
        CloseHandle(file_);
        file_ = nullptr;
    }
}
