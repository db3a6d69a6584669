#include "suite_test_util.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

namespace texload_test {

std::vector<std::string> FilesIn(const std::string& folder, const std::string& extension) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == extension) {
            out.push_back(entry.path().string());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

void DecodeWith(ImageReader reader, const std::string& path, Decoded* out) {
    out->file = test_support::ReadFileBytes(path);
    out->hr = reader(&out->image, out->file.data(), static_cast<UINT>(out->file.size()));
}

Rgba8 ReferencePng(const std::string& path) {
    return DecodePngReference(test_support::ReadFileBytes(path), false);
}

int MaxColourDifference(const Rgba8& a, const Rgba8& b) {
    if (a.width != b.width || a.height != b.height) {
        ADD_FAILURE() << "sizes differ";
        return 256;
    }
    int worst = 0;
    for (size_t i = 0; i < a.bytes.size(); ++i) {
        if (i % 4 != 3) {
            worst = std::max(worst, std::abs(int(a.bytes[i]) - int(b.bytes[i])));
        }
    }
    return worst;
}

}  // namespace texload_test
