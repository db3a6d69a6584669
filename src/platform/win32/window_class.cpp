#include "window_class.h"

#include <string>
#include <vector>

#include "winbase.h"
#include "winerror.h"

namespace platform {

namespace {

struct WindowClass {
    std::string name;  // upper-cased: class names ignore case
    ATOM atom;
    WNDPROC proc;
};

// Atoms of registered classes start where the platform's string atoms do.
constexpr ATOM FIRST_CLASS_ATOM = 0xC000;

std::vector<WindowClass>& Classes() {
    static std::vector<WindowClass> classes;
    return classes;
}

ATOM nextAtom = FIRST_CLASS_ATOM;

std::string UpperCase(LPCSTR text) {
    std::string name(text);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return name;
}

const WindowClass* Find(LPCSTR classNameOrAtom) {
    for (const auto& windowClass : Classes()) {
        const bool match = IS_INTRESOURCE(classNameOrAtom)
                               ? windowClass.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(classNameOrAtom))
                               : windowClass.name == UpperCase(classNameOrAtom);
        if (match) {
            return &windowClass;
        }
    }
    return nullptr;
}

}  // namespace

WNDPROC FindWindowClassProc(LPCSTR classNameOrAtom) {
    if (classNameOrAtom == nullptr) {
        return nullptr;
    }
    const WindowClass* found = Find(classNameOrAtom);
    return found != nullptr ? found->proc : nullptr;
}

void ClearWindowClasses() {
    Classes().clear();
    nextAtom = FIRST_CLASS_ATOM;
}

}  // namespace platform

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
        lpWndClass->lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (platform::Find(lpWndClass->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    const ATOM atom = platform::nextAtom++;
    platform::Classes().push_back({platform::UpperCase(lpWndClass->lpszClassName), atom, lpWndClass->lpfnWndProc});
    return atom;
}
