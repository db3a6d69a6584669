#include "support/image_builders.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace test_support {

void PutU16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(Bytes& out, uint32_t value) {
    PutU16(out, static_cast<uint16_t>(value));
    PutU16(out, static_cast<uint16_t>(value >> 16));
}

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

Bytes TextBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

uint32_t BmpStride(uint32_t width, uint32_t bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

Bytes BuildDib(const BmpLayout& layout) {
    Bytes out;
    PutU32(out, layout.headerSize);
    PutU32(out, static_cast<uint32_t>(layout.width));
    PutU32(out, static_cast<uint32_t>(layout.height));
    PutU16(out, layout.planes);
    PutU16(out, layout.bitCount);
    PutU32(out, layout.compression);
    PutU32(out, 0);  // image size
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, layout.coloursUsed);
    PutU32(out, 0);  // important colours
    for (uint32_t mask : layout.masks) {
        if (out.size() + 4 <= layout.headerSize) {
            PutU32(out, mask);
        }
    }
    out.resize(layout.headerSize, 0);
    std::vector<uint32_t> colours = layout.colours;
    if (colours.empty() && layout.coloursUsed == 0 && layout.bitCount <= 8) {
        for (uint32_t i = 0; i < (1u << layout.bitCount); ++i) {
            colours.push_back(i * 0x010101u);  // a grey ramp, as long as the bit count implies
        }
    }
    for (uint32_t colour : colours) {
        out.push_back(static_cast<uint8_t>(colour));
        out.push_back(static_cast<uint8_t>(colour >> 8));
        out.push_back(static_cast<uint8_t>(colour >> 16));
        out.push_back(0);
    }
    Append(out, layout.pixels);
    return out;
}

Bytes BuildBmp(const BmpLayout& layout, int64_t sizeDelta) {
    Bytes dib = BuildDib(layout);
    Bytes out = {'B', 'M'};
    PutU32(out, static_cast<uint32_t>(static_cast<int64_t>(dib.size() + 14) + sizeDelta));
    PutU32(out, 0);
    PutU32(out, static_cast<uint32_t>(14 + dib.size() - layout.pixels.size()));
    Append(out, dib);
    return out;
}

Bytes BuildTga(const TgaLayout& layout) {
    Bytes out;
    out.push_back(static_cast<uint8_t>(layout.idLength >= 0 ? layout.idLength : static_cast<int>(layout.id.size())));
    out.push_back(layout.colourMapType);
    out.push_back(layout.imageType);
    PutU16(out, layout.mapFirst);
    PutU16(out, layout.mapLength);
    out.push_back(layout.mapEntrySize);
    PutU32(out, 0);  // origin
    PutU16(out, layout.width);
    PutU16(out, layout.height);
    out.push_back(layout.depth);
    out.push_back(layout.descriptor);
    Append(out, layout.id);
    Append(out, layout.colourMap);
    Append(out, layout.pixels);
    return out;
}

Bytes BuildDds(const DdsLayout& layout) {
    Bytes out = {'D', 'D', 'S', ' '};
    PutU32(out, 124);
    PutU32(out, 0x1007);  // caps, height, width, pixel format
    PutU32(out, layout.height);
    PutU32(out, layout.width);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, layout.mipCount);
    out.resize(76, 0);
    PutU32(out, 32);
    PutU32(out, layout.pfFlags);
    PutU32(out, layout.fourCC);
    PutU32(out, layout.bitCount);
    for (uint32_t mask : layout.masks) {
        PutU32(out, mask);
    }
    PutU32(out, 0x1000);  // caps 1: texture
    PutU32(out, layout.caps2);
    out.resize(128, 0);
    for (uint64_t i = 0; i < layout.dataBytes; ++i) {
        out.push_back(static_cast<uint8_t>(i * 7 + 1));
    }
    return out;
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace test_support
