#pragma once
// What the subcommands share: exit codes, usage errors, and naming the
// output file of each input.

#include <string>
#include <vector>

#include <windows.h>

#include "file_bytes.h"

namespace tovtex_tool {

constexpr int EXIT_DONE = 0;         // every file succeeded
constexpr int EXIT_FILE_FAILED = 1;  // at least one file failed
constexpr int EXIT_USAGE = 2;        // bad command line

// Prints "tovtex COMMAND: message" and the hint to --help; returns EXIT_USAGE.
int UsageError(const char* command, const std::string& message);

// "file: cause [CODE]" for a result code (the reason, where given, as the
// cause).
std::string FileError(const std::string& file, HRESULT result, const std::string& reason = "");

// "file: cannot read: cause [CODE]" and "file: cannot write: cause [CODE]".
std::string ReadError(const std::string& file, HRESULT result, const std::string& reason = "");
std::string WriteError(const std::string& file, HRESULT result, const std::string& reason = "");

// How much the tool says on standard error: -q only errors, -v a line per
// file as well. Set once while the options are read.
enum class Verbosity { QUIET, NORMAL, VERBOSE };
void SetVerbosity(Verbosity verbosity);
Verbosity CurrentVerbosity();

// S_OK when path may take an output: its folder exists, it is not taken
// (unless force) and is not something other than a file. Otherwise the
// write error to report, in *error. Checked before any work is done.
bool CheckOutput(const std::string& path, bool force, std::string* error);

// Whether a file name ends in one of the extensions (".dds"; any letter case).
bool HasExtension(const std::string& path, const char* const* extensions);

// "-" stands for standard input or standard output.
bool IsStandardStream(const std::string& path);
HRESULT ReadInput(const std::string& path, FileBytes* bytes, std::string* reason);
HRESULT WriteOutput(const std::string& path, const std::vector<BYTE>& bytes, std::string* reason);

// The inputs and where each one's output goes: either "IN OUT" (no -o) or
// any number of inputs with outputs DIR/<input name without extension><ext>.
// False with a message when the arguments do not fit either form or two
// inputs would write the same output.
bool PairOutputs(const std::vector<std::string>& positional, const std::string& outputDir, const char* extension,
                 std::vector<std::string>* inputs, std::vector<std::string>* outputs, std::string* message);

int RunInfo(int argc, char** argv);
int RunConvert(int argc, char** argv);
int RunDecode(int argc, char** argv);

}  // namespace tovtex_tool
