#pragma once
// Inside the platform layer: code page 932 (Shift-JIS with the platform's
// extensions), the ANSI code page of the system's narrow strings.

#include <string>
#include <string_view>

namespace platform {

// Bytes that are not code page 932 become U+30FB (the platform's default for
// this code page), or fail the conversion when strict.
bool Cp932ToUtf16(std::string_view in, std::u16string& out, bool strict);

// Characters code page 932 lacks (and unpaired surrogates) become
// defaultChar and set *usedDefault, or fail the conversion when strict.
bool Utf16ToCp932(std::u16string_view in, std::string& out, char defaultChar, bool* usedDefault, bool strict);

// For showing text: never fails; what cannot be converted is replaced.
std::string Cp932ToUtf8(std::string_view in);
std::string Utf8ToCp932(std::string_view in);

}  // namespace platform
