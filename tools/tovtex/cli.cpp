#include "cli.h"

#include <cstdio>
#include <filesystem>
#include <set>

#include "result_text.h"

namespace tovtex_tool {

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "tovtex %s: %s\nTry 'tovtex %s --help'.\n", command, message.c_str(), command);
    return EXIT_USAGE;
}

std::string FileError(const std::string& file, HRESULT result, const std::string& reason) {
    return file + ": " + DescribeResult(result, reason);
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
    std::set<std::string> taken;
    for (const std::string& input : positional) {
        const size_t slash = input.find_last_of('/');
        std::string stem = slash == std::string::npos ? input : input.substr(slash + 1);
        const size_t dot = stem.find_last_of('.');
        if (dot != std::string::npos && dot > 0) {
            stem.erase(dot);
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
    std::error_code error;
    std::filesystem::create_directories(outputDir, error);
    if (error || !std::filesystem::is_directory(outputDir, error)) {
        *message = "cannot make the output folder " + outputDir;
        return false;
    }
    return true;
}

}  // namespace tovtex_tool
