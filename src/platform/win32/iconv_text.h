#pragma once
// Inside the platform layer: text conversion between character sets through
// iconv, with a say over what happens to input the target cannot take.

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// The native-order UTF-16 that char16_t strings hold, as iconv names it.
extern const char* const ICONV_UTF16;

// What to do with input iconv cannot convert: skip that many input bytes and
// append the replacement bytes; skip 0 stops the conversion as a failure.
struct BadInput {
    size_t skip;
    std::string replacement;
};
using BadInputHandler = std::function<BadInput(std::string_view rest)>;

// Converts in from one character set to another, appending to out. False when
// the character sets are unknown or the handler gave up.
bool IconvConvert(const char* toCode, const char* fromCode, std::string_view in, std::string& out,
                  const BadInputHandler& onBadInput);

}  // namespace platform
