#pragma once
// An input file mapped instead of read, for work that looks at a few of its
// bytes (a header) and must not pay for reading the rest. If the file is
// shortened while mapped, touching a page past its new end would stop the
// program; ReadMapped turns that into a failed attempt instead.

#include <functional>
#include <string>

#include <windows.h>

namespace tovtex_tool {

// Maps a regular, non-empty file of less than 4 GiB and runs look(data,
// size) over its bytes. False when the file cannot be mapped or shrank
// while look ran (look's work is then abandoned): the caller reads the file
// the usual way instead, which also gives the proper error.
bool ReadMapped(const std::string& path, const std::function<void(const BYTE* data, UINT size)>& look);

}  // namespace tovtex_tool
