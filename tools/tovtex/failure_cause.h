#pragma once
// Why no reader took a file, in words a user can act on. The library only
// says that no reader accepts the data; the tool looks at the bytes itself
// for the usual causes (a CMYK JPEG, a DDS compression without a reader).

#include <string>

#include <windows.h>

namespace tovtex_tool {

// The cause for a file no reader accepted: "CMYK JPEG is not supported",
// "BC5 (ATI2) compression is not supported", ... or a general text naming
// the formats that are read.
std::string UnreadableCause(const BYTE* data, UINT size);

}  // namespace tovtex_tool
