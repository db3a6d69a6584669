#include "tool_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "png_writer.h"
#include "tovtex.h"

namespace tool_test {

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// In the child: standard streams to the given files, then the program.
[[noreturn]] void Exec(const std::vector<std::string>& command, const char* outPath, const char* errPath,
                       uint64_t fileSizeLimit) {
    const int out = open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    dup2(out, 1);
    dup2(err, 2);
    dup2(in, 0);
    if (fileSizeLimit > 0) {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the program
    }
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& command, uint64_t fileSizeLimit) {
    const std::string base = std::filesystem::temp_directory_path() / ("tovtex_run_" + std::to_string(getpid()));
    const std::string outPath = base + ".out", errPath = base + ".err";
    RunResult result;
    const pid_t child = fork();
    if (child == 0) {
        Exec(command, outPath.c_str(), errPath.c_str(), fileSizeLimit);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

RunResult Tovtex(const std::vector<std::string>& args, uint64_t fileSizeLimit) {
    std::vector<std::string> command{TOVTEX_EXE};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram(command, fileSizeLimit);
}

int StartTovtex(const std::vector<std::string>& args) {
    std::vector<std::string> command{TOVTEX_EXE};
    command.insert(command.end(), args.begin(), args.end());
    const pid_t child = fork();
    if (child == 0) {
        Exec(command, "/dev/null", "/dev/null", 0);
    }
    return child;
}

std::string FindProgram(const std::vector<std::string>& names) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    for (const std::string& name : names) {
        std::string dirs = path;
        for (size_t start = 0; start <= dirs.size();) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            const std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
            start = end + 1;
        }
    }
    return "";
}

std::string ScratchDir(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("tovtex_test_" + std::to_string(getpid())) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool DecodeToPicture(const std::vector<uint8_t>& file, Picture* picture) {
    Image image;
    if (file.empty() || FAILED(DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), nullptr))) {
        return false;
    }
    picture->width = static_cast<unsigned>(image.rect.right);
    picture->height = static_cast<unsigned>(image.rect.bottom);
    picture->pixels.assign(size_t{picture->width} * picture->height, 0);
    PixelRegion source{};
    source.pixels = image.pixels;
    source.format = image.format;
    source.rowPitch = static_cast<INT>(image.rowPitch);
    source.box = {0, 0, image.rect.right, image.rect.bottom, 0, 1};
    source.palette = image.palette;
    PixelRegion destination{};
    destination.pixels = reinterpret_cast<BYTE*>(picture->pixels.data());
    destination.format = D3DFMT_A8R8G8B8;
    destination.rowPitch = static_cast<INT>(picture->width * 4);
    destination.surfaceBox = {0, 0, picture->width, picture->height, 0, 1};
    destination.box = source.box;
    return SUCCEEDED(ConvertRegion(&destination, &source, FILTER_NONE));
}

std::vector<uint8_t> PngOf(const Picture& picture) {
    std::vector<BYTE> png;
    tovtex_tool::EncodePng(picture.pixels.data(), picture.width, picture.height, &png);
    return png;
}

}  // namespace tool_test
