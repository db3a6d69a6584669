#pragma once
// Whole files in and out. Inputs are read into memory, so a file changed
// or shortened meanwhile cannot harm the reading; outputs are written to a
// temporary file beside them and renamed into place once complete, so a
// failed or interrupted write leaves the old file as it was.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

namespace tovtex_tool {

struct FileBytes {
    std::unique_ptr<BYTE[]> data;
    UINT size = 0;
};

// The failures below come with a plainer *reason than their result's own
// text ("not a regular file (a FIFO)"); elsewhere *reason stays empty.

// Reads a regular file of less than 4 GiB. Folders, FIFOs, sockets and
// devices are refused without being opened; an empty file gives the
// library's 0x800703EE; a file that ends before its size, 0x80070026.
HRESULT ReadWholeFile(const std::string& path, FileBytes* bytes, std::string* reason);

// S_OK when path can take an output: it does not exist, or it is (through
// any symbolic links) a regular file. Checked before any work is done.
HRESULT CheckOutputFile(const std::string& path, std::string* reason);

// Writes the bytes in place of path. A symbolic link stays and the file it
// names gets the new bytes, as with a shell's redirection; an existing file
// keeps its permissions, a new one gets 0666 less the umask. Only the
// temporary file is ever removed. S_OK or the system error as 0x8007xxxx.
HRESULT WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes, std::string* reason);

// An output of known size filled where it is to be written: a new file of
// zeros beside path, mapped, that Commit puts in place of path just as
// WriteWholeFile puts its bytes. Large outputs so never pass through a
// buffer of their own. Removed unless committed.
class MappedOutputFile {
public:
    explicit MappedOutputFile(std::string path) : path_(std::move(path)) {}
    ~MappedOutputFile();

    MappedOutputFile(const MappedOutputFile&) = delete;
    MappedOutputFile& operator=(const MappedOutputFile&) = delete;

    // Makes and maps the file, its room on disk taken at once (a full disk
    // fails here, not at a write into the mapping), on file systems that
    // keep room so taken (ext2/3/4, XFS, tmpfs) only. Any failure leaves
    // nothing behind: the output is then written the ordinary way, which
    // reports what is wrong.
    bool Open(uint64_t size);
    BYTE* Bytes() const { return bytes_; }
    uint64_t Size() const { return size_; }

    // Puts the file in place (once). S_OK or the system error as 0x8007xxxx.
    HRESULT Commit(std::string* reason);
    // Removes the file, if open.
    void Discard();

private:
    std::string path_;
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    BYTE* bytes_ = nullptr;
    uint64_t size_ = 0;
};

}  // namespace tovtex_tool
