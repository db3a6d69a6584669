#include "support/test_paths.h"

#include <cstdlib>
#include <stdexcept>

namespace test_support {

namespace {

std::string EnvOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

// The environment may point elsewhere; the build knows where they were.
std::string SourceDir() {
    return EnvOr("TOVLEN_SOURCE_DIR", TOVLEN_SOURCE_DIR_DEFAULT);
}

std::string TestDataDir() {
    return EnvOr("TOVLEN_TESTDATA", TOVLEN_TESTDATA_DEFAULT);
}

std::string MakeTempDir() {
    std::string pattern = EnvOr("TMPDIR", "/tmp") + std::string("/tovlen-test-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

}  // namespace test_support
