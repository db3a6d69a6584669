#pragma once
// What the subcommands share: exit codes, usage errors, and naming the
// output file of each input.

#include <string>
#include <vector>

#include <windows.h>

namespace tovtex_tool {

constexpr int EXIT_DONE = 0;         // every file succeeded
constexpr int EXIT_FILE_FAILED = 1;  // at least one file failed
constexpr int EXIT_USAGE = 2;        // bad command line

// Prints "tovtex COMMAND: message" and the hint to --help; returns EXIT_USAGE.
int UsageError(const char* command, const std::string& message);

// "file: NAME: message" for a result code (the reason, where given, as the
// message).
std::string FileError(const std::string& file, HRESULT result, const std::string& reason = "");

// The inputs and where each one's output goes: either "IN OUT" (no -o) or
// any number of inputs with outputs DIR/<input name without extension><ext>.
// False with a message when the arguments do not fit either form or two
// inputs would write the same output.
bool PairOutputs(const std::vector<std::string>& positional, const std::string& outputDir, const char* extension,
                 std::vector<std::string>* inputs, std::vector<std::string>* outputs, std::string* message);

int RunInfo(int argc, char** argv);
int RunConvert(int argc, char** argv);
int RunDecode(int argc, char** argv);
int RunView(int argc, char** argv);

}  // namespace tovtex_tool
