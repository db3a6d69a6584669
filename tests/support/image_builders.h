#pragma once
// Image files built in memory, so each test states its file in a few lines.

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& out, uint16_t value);
void PutU32(Bytes& out, uint32_t value);
void Append(Bytes& out, const Bytes& more);
Bytes TextBytes(const std::string& text);

// A device-independent bitmap: information header, colour table, rows.
struct BmpLayout {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha (headers of 56 bytes or more)
    std::vector<uint32_t> colours;     // 0x00RRGGBB as RGBQUADs; empty with 8 bits or fewer: a grey ramp
    Bytes pixels;                      // the rows (or RLE stream) as stored
};

Bytes BuildDib(const BmpLayout& layout);

// "BM" file header + bitmap; the file-size field is the true size plus
// sizeDelta.
Bytes BuildBmp(const BmpLayout& layout, int64_t sizeDelta = 0);

// Row stride of a stored bitmap row.
uint32_t BmpStride(uint32_t width, uint32_t bitCount);

struct TgaLayout {
    uint8_t colourMapType = 0;
    uint8_t imageType = 2;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntrySize = 0;
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t depth = 32;
    uint8_t descriptor = 0x20;
    Bytes id;  // its length goes into the header unless idLength is set
    int idLength = -1;
    Bytes colourMap;  // stored entries, as stored
    Bytes pixels;     // pixel data or packets, as stored
};

Bytes BuildTga(const TgaLayout& layout);

struct DdsLayout {
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t mipCount = 0;
    uint32_t pfFlags = 0x40;
    uint32_t fourCC = 0;
    uint32_t bitCount = 32;
    uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0};  // red, green, blue, alpha
    uint32_t caps2 = 0;
    uint64_t dataBytes = 0;  // bytes after the header, filled with a counting pattern
};

Bytes BuildDds(const DdsLayout& layout);

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

// Whole file from disk.
Bytes ReadFileBytes(const std::string& path);

}  // namespace test_support
