#include "failure_cause.h"

#include <cstdint>
#include <cstring>

namespace tovtex_tool {

namespace {

uint32_t Load32(const BYTE* p) {
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The first frame header's component count and precision; false when the
// markers end or run out of the data before one.
bool JpegFrame(const BYTE* data, UINT size, int* components, int* precision) {
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) {
            return false;
        }
        const BYTE marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        const size_t length = size_t{data[at + 2]} << 8 | data[at + 3];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 10 > size) {
                return false;
            }
            *precision = data[at + 4];
            *components = data[at + 9];
            return true;
        }
        if (marker == 0xDA || length < 2) {
            return false;
        }
        at += 2 + length;
    }
    return false;
}

std::string DdsCause(const BYTE* data, UINT size) {
    if (size < 128) {
        return "the DDS file is cut short (no whole header)";
    }
    const uint32_t fourCC = Load32(data + 84);
    struct Named {
        const char* code;
        const char* text;
    };
    static constexpr Named COMPRESSIONS[] = {
        {"ATI2", "BC5 (ATI2) compression is not supported"},
        {"BC5U", "BC5 (ATI2) compression is not supported"},
        {"BC5S", "BC5 (signed) compression is not supported"},
        {"ATI1", "BC4 (ATI1) compression is not supported"},
        {"BC4U", "BC4 (ATI1) compression is not supported"},
        {"BC4S", "BC4 (signed) compression is not supported"},
        {"DX10", "DDS files with a DX10 header are not supported"},
    };
    for (const Named& named : COMPRESSIONS) {
        if (std::memcmp(data + 84, named.code, 4) == 0) {
            return named.text;
        }
    }
    if (fourCC != 0) {
        char code[5] = {};
        std::memcpy(code, data + 84, 4);
        for (char& c : code) {
            if (c != 0 && (c < 0x20 || c > 0x7E)) c = '?';
        }
        return std::string("DDS compression '") + code + "' is not supported";
    }
    return "this DDS pixel layout is not supported (DXT1..DXT5 and 16- and 32-bit BGR(A) are read), or the file "
           "is cut short";
}

}  // namespace

std::string UnreadableCause(const BYTE* data, UINT size) {
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) {
        return DdsCause(data, size);
    }
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        int components = 0, precision = 8;
        if (JpegFrame(data, size, &components, &precision)) {
            if (components == 4) {
                return "CMYK JPEG is not supported";
            }
            if (precision != 8) {
                return std::to_string(precision) + "-bit JPEG is not supported";
            }
        }
        return "the JPEG file is damaged or cut short";
    }
    static constexpr BYTE PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(data, PNG_SIGNATURE, 8) == 0) {
        return "the PNG file is damaged or cut short";
    }
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        return "the BMP file is damaged or of a kind not supported";
    }
    return "not a picture tovtex reads (BMP, DDS, JPEG, PNG, TGA, PPM)";
}

}  // namespace tovtex_tool
