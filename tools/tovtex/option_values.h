#pragma once
// The values of the tool's options, parsed strictly: anything malformed is
// refused (false) rather than read as far as it goes.

#include <string>

#include <d3d8.h>
#include <windows.h>

namespace tovtex_tool {

// A decimal count of at most max.
bool ParseCount(const std::string& text, UINT max, UINT* value);

// A decimal pixel count for the library's pixel limit (0: no limit).
bool ParsePixelLimit(const std::string& text, ULONGLONG* pixels);

// "WxH" (either may be 0: from the image); a single number N means NxN.
bool ParseSize(const std::string& text, UINT* width, UINT* height);

// "all" (a full chain: 0), "none" (1 level) or a count from 1 up.
bool ParseMips(const std::string& text, UINT* levels);

// "point", "box", "linear", "triangle", "none": the FILTER_* value.
bool ParseFilter(const std::string& text, DWORD* filter);

// A comma list of "u", "v", "w": the FILTER_MIRROR_* flags.
bool ParseMirror(const std::string& text, DWORD* flags);

// How hard block formats are searched: "fast" (the library's own encoder),
// "normal" or "best".
enum class BlockQuality { FAST, NORMAL, BEST };
bool ParseQuality(const std::string& text, BlockQuality* quality);

// Colour error weights of the searching encoders: "plain" (false) or
// "perceptual" (true).
bool ParseWeights(const std::string& text, bool* perceptual);

// The number of cores (at least 1).
unsigned CoreCount();

// A thread count of at most max; 0 means one per core.
bool ParseThreads(const std::string& text, unsigned max, unsigned* threads);

// Eight hex digits AARRGGBB, with an optional "0x" or "#".
bool ParseColorKey(const std::string& text, D3DCOLOR* key);

}  // namespace tovtex_tool
