#pragma once
// Shared bits of the public-suite tests.

#include <string>
#include <vector>

#include "rgba_view.h"
#include "support/image_builders.h"
#include "support/test_paths.h"
#include "texload/image_readers.h"

namespace texload_test {

inline std::string Suite(const std::string& relative) {
    return test_support::TestDataDir() + "/" + relative;
}

// Sorted regular files of a folder with the given extension.
std::vector<std::string> FilesIn(const std::string& folder, const std::string& extension);

// Decodes a file with one reader.
struct Decoded {
    HRESULT hr = E_FAIL;
    test_support::Bytes file;  // kept alive: pixels may be borrowed
    Image image;
};
void DecodeWith(ImageReader reader, const std::string& path, Decoded* out);

Rgba8 ReferencePng(const std::string& path);

// RGB only (alpha ignored) difference.
int MaxColourDifference(const Rgba8& a, const Rgba8& b);

}  // namespace texload_test
