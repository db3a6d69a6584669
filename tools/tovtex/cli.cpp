#include "cli.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "file_bytes.h"

#include "result_text.h"

namespace tovtex_tool {

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "tovtex %s: %s\nTry 'tovtex %s --help'.\n", command, message.c_str(), command);
    return EXIT_USAGE;
}

std::string FileError(const std::string& file, HRESULT result, const std::string& reason) {
    return file + ": " + DescribeResult(result, reason);
}

std::string ReadError(const std::string& file, HRESULT result, const std::string& reason) {
    return file + ": cannot read: " + DescribeResult(result, reason);
}

std::string WriteError(const std::string& file, HRESULT result, const std::string& reason) {
    return file + ": cannot write: " + DescribeResult(result, reason);
}

namespace {
std::atomic<Verbosity> verbosity{Verbosity::NORMAL};
}  // namespace

void SetVerbosity(Verbosity value) {
    verbosity = value;
}

Verbosity CurrentVerbosity() {
    return verbosity;
}

bool CheckOutput(const std::string& path, bool force, std::string* error) {
    if (IsStandardStream(path)) {
        return true;
    }
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
    struct stat info {};
    if (!folder.empty() && stat(folder.c_str(), &info) != 0) {
        *error = WriteError(path, static_cast<HRESULT>(0x80070000u | ERROR_PATH_NOT_FOUND),
                            "the folder " + folder + " does not exist");
        return false;
    }
    if (!force && lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        *error = WriteError(path, static_cast<HRESULT>(0x80070000u | ERROR_FILE_EXISTS),
                            "the file exists (-f overwrites it)");
        return false;
    }
    std::string reason;
    const HRESULT hr = CheckOutputFile(path, &reason);
    if (FAILED(hr)) {
        *error = WriteError(path, hr, reason);
        return false;
    }
    return true;
}

bool HasExtension(const std::string& path, const char* const* extensions) {
    // Something other than a file (a device, a FIFO) is refused as such
    // when the output is checked; its name says nothing of what is written.
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return true;
    }
    std::string lower = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* const* extension = extensions; *extension != nullptr; ++extension) {
        const std::string wanted = *extension;
        if (lower.size() > wanted.size() && lower.compare(lower.size() - wanted.size(), wanted.size(), wanted) == 0) {
            return true;
        }
    }
    return false;
}

bool IsStandardStream(const std::string& path) {
    return path == "-";
}

HRESULT ReadInput(const std::string& path, FileBytes* bytes, std::string* reason) {
    if (!IsStandardStream(path)) {
        return ReadWholeFile(path, bytes, reason);
    }
    reason->clear();
    std::vector<BYTE> all;
    BYTE chunk[65536];
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return ResultFromErrno(errno);
        }
        if (got == 0) {
            break;
        }
        if (all.size() + static_cast<size_t>(got) > 0xFFFFFFFFu) {
            *reason = "too large (4 GiB or more)";
            return static_cast<HRESULT>(0x80070000u | ERROR_FILE_TOO_LARGE);
        }
        all.insert(all.end(), chunk, chunk + got);
    }
    if (all.empty()) {
        *reason = "standard input is empty";
        return static_cast<HRESULT>(0x80070000u | ERROR_FILE_INVALID);
    }
    bytes->data.reset(new (std::nothrow) BYTE[all.size()]);
    if (bytes->data == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::copy(all.begin(), all.end(), bytes->data.get());
    bytes->size = static_cast<UINT>(all.size());
    return S_OK;
}

HRESULT WriteOutput(const std::string& path, const std::vector<BYTE>& bytes, std::string* reason) {
    if (!IsStandardStream(path)) {
        return WriteWholeFile(path, bytes, reason);
    }
    reason->clear();
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t put = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return ResultFromErrno(put < 0 ? errno : EIO);
        }
        done += static_cast<size_t>(put);
    }
    return S_OK;
}

bool PairOutputs(const std::vector<std::string>& positional, const std::string& outputDir, const char* extension,
                 std::vector<std::string>* inputs, std::vector<std::string>* outputs, std::string* message) {
    inputs->clear();
    outputs->clear();
    if (outputDir.empty()) {
        if (positional.size() != 2) {
            *message = positional.size() < 2 ? "expected an input and an output file" : "several inputs need -o DIR";
            return false;
        }
        inputs->push_back(positional[0]);
        outputs->push_back(positional[1]);
        return true;
    }
    if (positional.empty()) {
        *message = "no input files";
        return false;
    }
    // -o OUT.dds is a slip for naming one output file: no folder is made
    // under a name that reads as a file (a folder that exists is used).
    const char* const own[] = {extension, nullptr};
    std::error_code error;
    if (HasExtension(outputDir, own) && !std::filesystem::exists(outputDir, error)) {
        *message = "-o takes a folder; to write one file, name it after the input (IN " + outputDir + ")";
        return false;
    }
    std::set<std::string> taken;
    for (const std::string& input : positional) {
        if (IsStandardStream(input)) {
            *message =
                "standard input has no name to write under -o; name the output (- OUT" + std::string(extension) + ")";
            return false;
        }
        const size_t slash = input.find_last_of('/');
        std::string stem = slash == std::string::npos ? input : input.substr(slash + 1);
        const size_t dot = stem.find_last_of('.');
        if (dot != std::string::npos && dot > 0) {
            stem.erase(dot);
        }
        if (stem.empty()) {
            *message = "'" + input + "' names no file to write under -o";
            return false;
        }
        const std::string output = outputDir + "/" + stem + extension;
        if (!taken.insert(output).second) {
            *message = "two inputs would both write " + output;
            return false;
        }
        inputs->push_back(input);
        outputs->push_back(output);
    }
    // The output folder is made when missing, as a user of -o expects.
    std::filesystem::create_directories(outputDir, error);
    if (error || !std::filesystem::is_directory(outputDir, error)) {
        *message = "cannot make the output folder " + outputDir;
        return false;
    }
    return true;
}

}  // namespace tovtex_tool
