#include "result_text.h"

#include <cerrno>
#include <cstdio>

#include <d3d8.h>

#include "tovtex.h"

namespace tovtex_tool {

namespace {

constexpr HRESULT SystemError(DWORD error) {
    return static_cast<HRESULT>(0x80070000u | error);
}

}  // namespace

std::string ResultCode(HRESULT result) {
    if (const char* name = ResultName(result)) {
        return name;
    }
    char number[16];
    std::snprintf(number, sizeof(number), "0x%08X", static_cast<unsigned>(result));
    return number;
}

std::string DescribeResult(HRESULT result, const std::string& reason) {
    return (reason.empty() ? std::string(ResultText(result)) : reason) + " [" + ResultCode(result) + "]";
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
