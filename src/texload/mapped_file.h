#pragma once
// A read-only view of a whole file. Images that borrow pixels from the view
// stay usable until Close (or destruction). The platform's view holds the
// file as it was at Open: a file rewritten or shortened meanwhile cannot
// change it. Files of 4 GiB or more are refused (0x800700DF, too large).
//
// OpenOnDemand holds a large DDS file that the DDS reader takes by its
// header alone: the view then holds the header, and the bytes of each
// level are read when they are wanted, either straight into their
// destination (ReadBytes) or into the view (Need). A file shortened before
// then fails those reads with 0x80070026 (end of file). Any other file is
// held as Open holds it.

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
    // Open, with the results of Open, reading a large DDS file on demand.
    HRESULT OpenOnDemand(const void* name, bool wide);
    void Close();

    const BYTE* View() const { return view_ != nullptr ? static_cast<const BYTE*>(view_) : ownView_; }
    UINT Size() const { return size_; }

    // True when some of the view's bytes are read only when wanted.
    bool OnDemand() const { return ownView_ != nullptr; }
    // Reads the file's bytes for size bytes of the view from at into to.
    HRESULT ReadBytes(const BYTE* at, BYTE* to, UINT size);
    // Makes size bytes of the view from at hold the file's bytes.
    HRESULT Need(const BYTE* at, UINT size);

private:
    HRESULT OpenFile(const void* name, bool wide, DWORD* size);
    HRESULT MapWhole(DWORD size);

    HANDLE file_ = nullptr;
    HANDLE mapping_ = nullptr;
    LPVOID view_ = nullptr;
    BYTE* ownView_ = nullptr;  // the on-demand view, read piece by piece
    UINT size_ = 0;
    UINT neededFrom_ = 0, neededSize_ = 0;  // the part Need read last
};
