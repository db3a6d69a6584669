#include "result_text.h"

#include <cerrno>
#include <cstdio>

#include <d3d8.h>

#include "base/tovtex_defs.h"

namespace tovtex_tool {

namespace {

struct KnownResult {
    HRESULT code;
    const char* name;  // null: shown by number
    const char* message;
};

constexpr HRESULT SystemError(DWORD error) {
    return static_cast<HRESULT>(0x80070000u | error);
}

const KnownResult KNOWN_RESULTS[] = {
    {S_OK, "S_OK", "success"},
    {E_FAIL, "E_FAIL", "the data or the request is not supported"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
    {E_NOTIMPL, "E_NOTIMPL", "not implemented"},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL", "invalid call"},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", "no pixel format fits the device"},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY", "out of video memory"},
    {ERR_INVALIDDATA, "ERR_INVALIDDATA", "no reader accepts the data"},
    {ERR_IMAGETOOLARGE, "ERR_IMAGETOOLARGE", "the picture is larger than the pixel limit (--max-pixels)"},
    {SystemError(ERROR_FILE_NOT_FOUND), nullptr, "file not found"},
    {SystemError(ERROR_PATH_NOT_FOUND), nullptr, "path not found"},
    {SystemError(ERROR_TOO_MANY_OPEN_FILES), nullptr, "too many open files"},
    {SystemError(ERROR_ACCESS_DENIED), nullptr, "access denied"},
    {SystemError(ERROR_NOT_ENOUGH_MEMORY), nullptr, "not enough memory"},
    {SystemError(ERROR_WRITE_PROTECT), nullptr, "read-only file system"},
    {SystemError(ERROR_READ_FAULT), nullptr, "input/output error"},
    {SystemError(ERROR_SHARING_VIOLATION), nullptr, "file in use"},
    {SystemError(ERROR_FILE_EXISTS), nullptr, "file exists"},
    {SystemError(ERROR_INVALID_PARAMETER), nullptr, "invalid parameter"},
    {SystemError(ERROR_DISK_FULL), nullptr, "disk full"},
    {SystemError(ERROR_FILENAME_EXCED_RANGE), nullptr, "file name too long"},
    {SystemError(ERROR_FILE_INVALID), nullptr, "the file is empty or cannot be mapped"},
    {SystemError(ERROR_FILE_TOO_LARGE), nullptr, "file too large"},
    {SystemError(ERROR_HANDLE_EOF), nullptr, "the file ended early (it was shortened while being read)"},
    {SystemError(ERROR_NOT_SUPPORTED), nullptr, "not supported"},
    {SystemError(ERROR_CANT_RESOLVE_FILENAME), nullptr, "too many symbolic links"},
};

}  // namespace

std::string DescribeResult(HRESULT result, const std::string& reason) {
    char number[16];
    std::snprintf(number, sizeof(number), "0x%08X", static_cast<unsigned>(result));
    for (const KnownResult& known : KNOWN_RESULTS) {
        if (known.code == result) {
            return std::string(known.name != nullptr ? known.name : number) + ": " +
                   (reason.empty() ? known.message : reason);
        }
    }
    return std::string(number) + ": " + (reason.empty() ? "unknown error" : reason);
}

HRESULT ResultFromErrno(int error) {
    switch (error) {
    case ENOENT: return SystemError(ERROR_FILE_NOT_FOUND);
    case ENOTDIR: return SystemError(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EISDIR: return SystemError(ERROR_ACCESS_DENIED);
    case ENOMEM: return E_OUTOFMEMORY;
    case EROFS: return SystemError(ERROR_WRITE_PROTECT);
    case ENOSPC: return SystemError(ERROR_DISK_FULL);
    case EFBIG: return SystemError(ERROR_FILE_TOO_LARGE);
    case ELOOP: return SystemError(ERROR_CANT_RESOLVE_FILENAME);
    case ENAMETOOLONG: return SystemError(ERROR_FILENAME_EXCED_RANGE);
    case EMFILE:
    case ENFILE: return SystemError(ERROR_TOO_MANY_OPEN_FILES);
    default: return SystemError(ERROR_READ_FAULT);
    }
}

}  // namespace tovtex_tool
