#pragma once
// A read-only view of a whole file. Images that borrow pixels from the view
// stay usable until Close (or destruction). The platform's view holds the
// file as it was at Open: a file rewritten or shortened meanwhile cannot
// change it. Files of 4 GiB or more are refused (0x800700DF, too large).

#include <windows.h>

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // name is a narrow (LPCSTR) or, with wide set, a wide (LPCWSTR) file name.
    // S_OK with the view filled, or a result code; close in either case.
    HRESULT Open(const void* name, bool wide);
    void Close();

    const BYTE* View() const { return static_cast<const BYTE*>(view_); }
    UINT Size() const { return size_; }

private:
    HANDLE file_ = nullptr;
    HANDLE mapping_ = nullptr;
    LPVOID view_ = nullptr;
    UINT size_ = 0;
};
