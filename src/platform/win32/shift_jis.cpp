#include "shift_jis.h"

#include <algorithm>
#include <cstring>

#include "iconv_text.h"
#include "utf16.h"

namespace platform {

namespace {

constexpr const char* CP932 = "CP932";
constexpr char16_t CP932_DEFAULT_WIDE = 0x30FB;

std::string Utf16Bytes(std::u16string_view text) {
    std::string bytes(text.size() * sizeof(char16_t), '\0');
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

}  // namespace

bool Cp932ToUtf16(std::string_view in, std::u16string& out, bool strict) {
    const std::string replacement = Utf16Bytes(std::u16string_view(&CP932_DEFAULT_WIDE, 1));
    std::string bytes;
    const bool ok = IconvConvert(ICONV_UTF16, CP932, in, bytes, [&](std::string_view) {
        return strict ? BadInput{0, {}} : BadInput{1, replacement};
    });
    if (!ok) {
        return false;
    }
    const size_t start = out.size();
    out.resize(start + bytes.size() / sizeof(char16_t));
    std::memcpy(out.data() + start, bytes.data(), bytes.size() / sizeof(char16_t) * sizeof(char16_t));
    return true;
}

bool Utf16ToCp932(std::u16string_view in, std::string& out, char defaultChar, bool* usedDefault, bool strict) {
    return IconvConvert(CP932, ICONV_UTF16, Utf16Bytes(in), out, [&](std::string_view rest) {
        if (strict) {
            return BadInput{0, {}};
        }
        if (usedDefault != nullptr) {
            *usedDefault = true;
        }
        // A surrogate pair is one character: replace it once.
        size_t skip = sizeof(char16_t);
        if (rest.size() >= 2 * sizeof(char16_t)) {
            char16_t first = 0;
            char16_t second = 0;
            std::memcpy(&first, rest.data(), sizeof(char16_t));
            std::memcpy(&second, rest.data() + sizeof(char16_t), sizeof(char16_t));
            if (first >= 0xD800 && first <= 0xDBFF && second >= 0xDC00 && second <= 0xDFFF) {
                skip = 2 * sizeof(char16_t);
            }
        }
        return BadInput{std::min(skip, rest.size()), std::string(1, defaultChar)};
    });
}

std::string Cp932ToUtf8(std::string_view in) {
    std::u16string wide;
    std::string out;
    if (!Cp932ToUtf16(in, wide, false)) {
        // No converter at all: keep the ASCII and mark the rest.
        for (char c : in) {
            out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
        }
        return out;
    }
    Utf16ToUtf8(wide, out, false);
    return out;
}

std::string Utf8ToCp932(std::string_view in) {
    std::u16string wide;
    Utf8ToUtf16(in, wide, false);
    std::string out;
    if (!Utf16ToCp932(wide, out, '?', nullptr, false)) {
        out.clear();
        for (char16_t c : wide) {
            out += c < 0x80 ? static_cast<char>(c) : '?';
        }
    }
    return out;
}

}  // namespace platform
