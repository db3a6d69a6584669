#pragma once
// Inside the platform layer: UTF-16 (the platform's wide strings) to and from
// UTF-8 (what Linux and SDL take).

#include <string>
#include <string_view>

namespace platform {

// Unpaired surrogates become U+FFFD, or fail the conversion when strict.
bool Utf16ToUtf8(std::u16string_view in, std::string& out, bool strict);

// Malformed sequences become U+FFFD, or fail the conversion when strict.
bool Utf8ToUtf16(std::string_view in, std::u16string& out, bool strict);

}  // namespace platform
