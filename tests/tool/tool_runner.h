#pragma once
// Runs the tovtex executable and the programs it is compared with, in a
// scratch folder of the test.

#include <cstdint>
#include <string>
#include <vector>

namespace tool_test {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs program with args (no shell); program is looked up on PATH. A
// fileSizeLimit above 0 caps the size of the files it writes (RLIMIT_FSIZE,
// writes past it fail with EFBIG), a way to make its writes fail.
RunResult RunProgram(const std::vector<std::string>& command, uint64_t fileSizeLimit = 0);

// The tool itself with the given arguments.
RunResult Tovtex(const std::vector<std::string>& args, uint64_t fileSizeLimit = 0);

// The tool started in the background, its standard streams on /dev/null;
// its process id, for kill and waitpid.
int StartTovtex(const std::vector<std::string>& args);

// The first of the named programs found on PATH, or "".
std::string FindProgram(const std::vector<std::string>& names);

// A fresh empty folder for one test.
std::string ScratchDir(const std::string& name);

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);

// An image file decoded by the library and converted to A8R8G8B8 values.
struct Picture {
    unsigned width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
bool DecodeToPicture(const std::vector<uint8_t>& file, Picture* picture);

// A PNG file of the picture.
std::vector<uint8_t> PngOf(const Picture& picture);

}  // namespace tool_test
