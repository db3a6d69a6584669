#include "file_bytes.h"

#include <cerrno>
#include <cstdio>

#include "result_text.h"

namespace tovtex_tool {

HRESULT WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return ResultFromErrno(errno);
    }
    int error = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fclose(file) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error != 0) {
        std::remove(path.c_str());
        return ResultFromErrno(error);
    }
    return S_OK;
}

}  // namespace tovtex_tool
