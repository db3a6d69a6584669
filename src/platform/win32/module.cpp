#include <windows.h>

namespace {

// Stands for the program's own module; only its address matters.
HINSTANCE__ programModule;

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName == nullptr) {
        return &programModule;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
