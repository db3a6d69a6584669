#include "utf16.h"

namespace platform {

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(char32_t c, std::u16string& out) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (c >> 10));
        out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
}

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes one UTF-8 sequence at in[i]; returns its length, or 0 when it is
// malformed (overlong, surrogate, beyond U+10FFFF, truncated).
size_t DecodeUtf8(std::string_view in, size_t i, char32_t& c) {
    const auto lead = static_cast<unsigned char>(in[i]);
    size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (in.size() - i < length) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(in[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) {
        return 0;
    }
    return length;
}

}  // namespace

bool Utf16ToUtf8(std::u16string_view in, std::string& out, bool strict) {
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        if (IsHighSurrogate(c) && i + 1 < in.size() && IsLowSurrogate(in[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            if (strict) {
                return false;
            }
            c = REPLACEMENT;
        }
        AppendUtf8(c, out);
    }
    return true;
}

bool Utf8ToUtf16(std::string_view in, std::u16string& out, bool strict) {
    size_t i = 0;
    while (i < in.size()) {
        char32_t c = 0;
        const size_t length = DecodeUtf8(in, i, c);
        if (length == 0) {
            if (strict) {
                return false;
            }
            AppendUtf16(REPLACEMENT, out);
            ++i;
            continue;
        }
        AppendUtf16(c, out);
        i += length;
    }
    return true;
}

}  // namespace platform
