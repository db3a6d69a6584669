// The arrow cursor and stock objects: handles only, never drawn with.

#include <windows.h>

namespace {

constexpr int STOCK_OBJECT_COUNT = 20;

HICON__ systemCursor;
HBRUSH__ stockObjects[STOCK_OBJECT_COUNT];

}  // namespace

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    // Only the system's own cursors, named by id, exist here.
    if (hInstance != nullptr || lpCursorName == nullptr || !IS_INTRESOURCE(lpCursorName)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return &systemCursor;
}

HGDIOBJ WINAPI GetStockObject(int i) {
    if (i < 0 || i >= STOCK_OBJECT_COUNT) {
        return nullptr;
    }
    return &stockObjects[i];
}
