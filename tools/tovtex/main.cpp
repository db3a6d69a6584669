// tovtex: the texture library from the command line.

#include <cstdio>
#include <cstring>
#include <new>

#include "cli.h"
#include "temp_files.h"

extern const char* const TOVTEX_VERSION;

namespace {

const char MAIN_HELP[] =
    "Usage: tovtex COMMAND [OPTIONS] FILE...\n"
    "Image files into Direct3D 8 textures, from the command line.\n"
    "\n"
    "Commands:\n"
    "  info     the reader, format, size, levels and faces of image files\n"
    "  convert  image files into DDS textures (any format, size and mip chain)\n"
    "  decode   one level of one face of an image file as a PNG picture\n"
    "\n"
    "'tovtex help COMMAND' (or 'tovtex COMMAND --help') describes a command;\n"
    "'tovtex --version' names the version. Exit codes: 0 success, 1 a file\n"
    "failed, 2 bad usage, 128 + N stopped by signal N (130 for Ctrl-C).\n";

}  // namespace

int main(int argc, char** argv) {
    tovtex_tool::StopOnSignals();
    if (argc < 2) {
        std::fputs(MAIN_HELP, stderr);
        return tovtex_tool::EXIT_USAGE;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "--version") == 0 || std::strcmp(command, "-V") == 0) {
        std::printf("tovtex %s\n", TOVTEX_VERSION);
        return tovtex_tool::EXIT_DONE;
    }
    // "help COMMAND" is "COMMAND --help".
    char helpOption[] = "--help";
    char* helpArgs[] = {argv[0], argc > 2 ? argv[2] : nullptr, helpOption, nullptr};
    if (std::strcmp(command, "help") == 0 && argc > 2) {
        if (argc > 3) {
            std::fputs("tovtex help: one command at a time\nTry 'tovtex --help'.\n", stderr);
            return tovtex_tool::EXIT_USAGE;
        }
        command = argv[2];
        argc = 3;
        argv = helpArgs;
    }
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 || std::strcmp(command, "help") == 0) {
        std::fputs(MAIN_HELP, stdout);
        return tovtex_tool::EXIT_DONE;
    }
    try {
        if (std::strcmp(command, "info") == 0) {
            return tovtex_tool::RunInfo(argc - 1, argv + 1);
        }
        if (std::strcmp(command, "convert") == 0) {
            return tovtex_tool::RunConvert(argc - 1, argv + 1);
        }
        if (std::strcmp(command, "decode") == 0) {
            return tovtex_tool::RunDecode(argc - 1, argv + 1);
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tovtex %s: E_OUTOFMEMORY: out of memory\n", command);
        return tovtex_tool::EXIT_FILE_FAILED;
    }
    std::fprintf(stderr, "tovtex: unknown command '%s'\nTry 'tovtex --help'.\n", command);
    return tovtex_tool::EXIT_USAGE;
}
