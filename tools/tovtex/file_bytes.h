#pragma once
// Whole files in and out. Inputs are read into memory, so a file changed
// or shortened meanwhile cannot harm the reading; outputs are written to a
// temporary file beside them and renamed into place once complete, so a
// failed or interrupted write leaves the old file as it was.

#include <memory>
#include <string>
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

}  // namespace tovtex_tool
