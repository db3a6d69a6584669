#include "support/image_builders.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

void PutU16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(Bytes& out, uint32_t value) {
    PutU16(out, static_cast<uint16_t>(value));
    PutU16(out, static_cast<uint16_t>(value >> 16));
}

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

uint32_t BmpStride(uint32_t width, uint32_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

Bytes BuildDib(const BmpSpec& spec) {
    Bytes out;
    PutU32(out, spec.headerSize);
    PutU32(out, static_cast<uint32_t>(spec.width));
    PutU32(out, static_cast<uint32_t>(spec.height));
    PutU16(out, spec.planes);
    PutU16(out, spec.bitCount);
    PutU32(out, spec.compression);
    PutU32(out, 0);  // image size
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, spec.coloursUsed);
    PutU32(out, 0);  // important colours
    for (uint32_t mask : spec.masks) {
        if (out.size() + 4 <= spec.headerSize) {
            PutU32(out, mask);
        }
    }
    out.resize(spec.headerSize, 0);
    std::vector<uint32_t> colours = spec.colours;
    if (colours.empty() && spec.coloursUsed == 0 && spec.bitCount <= 8) {
        for (uint32_t i = 0; i < (1u << spec.bitCount); ++i) {
            colours.push_back(i * 0x010101u);  // a grey ramp, as long as the bit count implies
        }
    }
    for (uint32_t colour : colours) {
        out.push_back(static_cast<uint8_t>(colour));
        out.push_back(static_cast<uint8_t>(colour >> 8));
        out.push_back(static_cast<uint8_t>(colour >> 16));
        out.push_back(0);
    }
    Append(out, spec.pixels);
    return out;
}

Bytes BuildBmp(const BmpSpec& spec, int64_t sizeDelta) {
    Bytes dib = BuildDib(spec);
    Bytes out = {'B', 'M'};
    PutU32(out, static_cast<uint32_t>(static_cast<int64_t>(dib.size() + 14) + sizeDelta));
    PutU32(out, 0);
    PutU32(out, static_cast<uint32_t>(14 + dib.size() - spec.pixels.size()));
    Append(out, dib);
    return out;
}

Bytes BuildTga(const TgaSpec& spec) {
    Bytes out;
    out.push_back(static_cast<uint8_t>(spec.idLength >= 0 ? spec.idLength : static_cast<int>(spec.id.size())));
    out.push_back(spec.colourMapType);
    out.push_back(spec.imageType);
    PutU16(out, spec.mapFirst);
    PutU16(out, spec.mapLength);
    out.push_back(spec.mapEntrySize);
    PutU32(out, 0);  // origin
    PutU16(out, spec.width);
    PutU16(out, spec.height);
    out.push_back(spec.depth);
    out.push_back(spec.descriptor);
    Append(out, spec.id);
    Append(out, spec.colourMap);
    Append(out, spec.pixels);
    return out;
}

Bytes BuildDds(const DdsSpec& spec) {
    Bytes out = {'D', 'D', 'S', ' '};
    PutU32(out, 124);
    PutU32(out, 0x1007);  // caps, height, width, pixel format
    PutU32(out, spec.height);
    PutU32(out, spec.width);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, spec.mipCount);
    out.resize(76, 0);
    PutU32(out, 32);
    PutU32(out, spec.pfFlags);
    PutU32(out, spec.fourCC);
    PutU32(out, spec.bitCount);
    for (uint32_t mask : spec.masks) {
        PutU32(out, mask);
    }
    PutU32(out, 0x1000);  // caps 1: texture
    PutU32(out, spec.caps2);
    out.resize(128, 0);
    for (uint64_t i = 0; i < spec.dataBytes; ++i) {
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

}  // namespace testsupport
