#include "support/test_paths.h"

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

namespace {

std::string EnvOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

std::string SourceDir() { return EnvOr("TOVLEN_SOURCE_DIR", "."); }

std::string TestDataDir() { return EnvOr("TOVLEN_TESTDATA", "../shared/testdata"); }

std::string MakeTempDir() {
    std::string pattern = EnvOr("TMPDIR", "/tmp") + std::string("/tovlen-test-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

}  // namespace testsupport
