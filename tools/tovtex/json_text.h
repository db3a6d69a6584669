#pragma once
// JSON string literals.

#include <string>

namespace tovtex_tool {

// text as a quoted JSON string: quotes, backslashes and control characters
// escaped; bytes that are not valid UTF-8 (file names may hold any bytes)
// become U+FFFD so the output stays valid JSON.
std::string JsonString(const std::string& text);

}  // namespace tovtex_tool
