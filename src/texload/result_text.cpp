#include "texload/result_text.h"

#include <cstdio>

#include <d3d8.h>

#include "base/tovtex_defs.h"

namespace {

struct KnownResult {
    HRESULT code;
    const char* name;  // null: known by number only
    const char* text;
};

constexpr HRESULT SystemError(DWORD error) {
    return static_cast<HRESULT>(0x80070000u | error);
}

// Every code the library's operations return, the system errors its file and
// resource operations pass on included.
constexpr KnownResult KNOWN_RESULTS[] = {
    {S_OK, "S_OK", "success"},
    {E_FAIL, "E_FAIL", "the data or the request is not supported"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
    {E_NOTIMPL, "E_NOTIMPL", "not implemented"},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL", "invalid call (a bad argument)"},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", "no pixel format fits the device"},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY", "out of video memory"},
    {ERR_INVALIDDATA, "ERR_INVALIDDATA", "no reader accepts the data"},
    {ERR_IMAGETOOLARGE, "ERR_IMAGETOOLARGE", "the picture is larger than the pixel limit"},
    {SystemError(ERROR_FILE_NOT_FOUND), nullptr, "file not found"},
    {SystemError(ERROR_PATH_NOT_FOUND), nullptr, "path not found"},
    {SystemError(ERROR_TOO_MANY_OPEN_FILES), nullptr, "too many open files"},
    {SystemError(ERROR_ACCESS_DENIED), nullptr, "access denied"},
    {SystemError(ERROR_INVALID_HANDLE), nullptr, "invalid handle"},
    {SystemError(ERROR_NOT_ENOUGH_MEMORY), nullptr, "not enough memory"},
    {SystemError(ERROR_OUTOFMEMORY), nullptr, "not enough memory"},
    {SystemError(ERROR_WRITE_PROTECT), nullptr, "read-only file system"},
    {SystemError(ERROR_READ_FAULT), nullptr, "input/output error"},
    {SystemError(ERROR_GEN_FAILURE), nullptr, "the device does not work"},
    {SystemError(ERROR_SHARING_VIOLATION), nullptr, "file in use"},
    {SystemError(ERROR_HANDLE_EOF), nullptr, "the file ended early (it was shortened while being read)"},
    {SystemError(ERROR_NOT_SUPPORTED), nullptr, "not supported"},
    {SystemError(ERROR_FILE_EXISTS), nullptr, "file exists"},
    {SystemError(ERROR_ALREADY_EXISTS), nullptr, "file exists"},
    {SystemError(ERROR_INVALID_PARAMETER), nullptr, "invalid parameter"},
    {SystemError(ERROR_DISK_FULL), nullptr, "disk full"},
    {SystemError(ERROR_INVALID_NAME), nullptr, "invalid file name"},
    {SystemError(ERROR_BAD_PATHNAME), nullptr, "invalid path"},
    {SystemError(ERROR_FILENAME_EXCED_RANGE), nullptr, "file name too long"},
    {SystemError(ERROR_FILE_TOO_LARGE), nullptr, "file too large"},
    {SystemError(ERROR_FILE_INVALID), nullptr, "the file is empty or cannot be mapped"},
    {SystemError(ERROR_NO_UNICODE_TRANSLATION), nullptr, "the file name cannot be converted"},
    {SystemError(ERROR_RESOURCE_DATA_NOT_FOUND), nullptr, "resource not found"},
    {SystemError(ERROR_RESOURCE_TYPE_NOT_FOUND), nullptr, "resource type not found"},
    {SystemError(ERROR_RESOURCE_NAME_NOT_FOUND), nullptr, "resource name not found"},
    {SystemError(ERROR_CANT_RESOLVE_FILENAME), nullptr, "too many symbolic links"},
};

const KnownResult* FindKnown(HRESULT result) {
    for (const KnownResult& known : KNOWN_RESULTS) {
        if (known.code == result) {
            return &known;
        }
    }
    return nullptr;
}

}  // namespace

const char* ResultText(HRESULT result) {
    if (const KnownResult* known = FindKnown(result)) {
        return known->text;
    }
    thread_local char unknown[40];
    std::snprintf(unknown, sizeof(unknown), "unknown result code 0x%08X", static_cast<unsigned>(result));
    return unknown;
}

const char* ResultName(HRESULT result) {
    const KnownResult* known = FindKnown(result);
    return known != nullptr ? known->name : nullptr;
}
