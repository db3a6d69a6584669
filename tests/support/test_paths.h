#pragma once

#include <string>

namespace test_support {

// Folder of the public image suites (shared/testdata beside the checkout).
std::string TestDataDir();

// Root of the source tree, for files the tests keep beside themselves.
std::string SourceDir();

// A fresh empty folder under the system's temporary folder, removed by the
// caller when done.
std::string MakeTempDir();

}  // namespace test_support
