// The process entry point: builds the command line as the platform hands it
// to a windowed program (the arguments after the program name, joined by
// single spaces) and calls WinMain.

#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            commandLine += ' ';
        }
        commandLine += argv[i];
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    return WinMain(instance, nullptr, commandLine.data(), SW_SHOWNORMAL);
}
