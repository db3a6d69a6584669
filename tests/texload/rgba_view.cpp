#include "rgba_view.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>
#include <png.h>

#include "codec/dxt_blocks.h"

namespace texload_test {

namespace {

uint8_t Expand(unsigned value, unsigned bits) {
    unsigned max = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

void Put(uint8_t* out, unsigned r, unsigned g, unsigned b, unsigned a) {
    out[0] = static_cast<uint8_t>(r);
    out[1] = static_cast<uint8_t>(g);
    out[2] = static_cast<uint8_t>(b);
    out[3] = static_cast<uint8_t>(a);
}

void Rgb565(uint16_t v, uint8_t* out) {
    Put(out, Expand(v >> 11, 5), Expand((v >> 5) & 63, 6), Expand(v & 31, 5), 255);
}

// One 4 x 4 block of the DXT formats; straight (not premultiplied) colour.
void DecodeBlock(D3DFORMAT format, const uint8_t* block, uint8_t out[16][4]) {
    const uint8_t* colourBlock = format == D3DFMT_DXT1 ? block : block + 8;
    uint16_t c0 = static_cast<uint16_t>(colourBlock[0] | colourBlock[1] << 8);
    uint16_t c1 = static_cast<uint16_t>(colourBlock[2] | colourBlock[3] << 8);
    uint8_t palette[4][4];
    Rgb565(c0, palette[0]);
    Rgb565(c1, palette[1]);
    bool fourColours = format != D3DFMT_DXT1 || c0 > c1;
    for (int ch = 0; ch < 3; ++ch) {
        if (fourColours) {
            palette[2][ch] = static_cast<uint8_t>((2 * palette[0][ch] + palette[1][ch]) / 3);
            palette[3][ch] = static_cast<uint8_t>((palette[0][ch] + 2 * palette[1][ch]) / 3);
        } else {
            palette[2][ch] = static_cast<uint8_t>((palette[0][ch] + palette[1][ch]) / 2);
            palette[3][ch] = 0;
        }
    }
    palette[2][3] = 255;
    palette[3][3] = fourColours ? 255 : 0;
    uint32_t indices = colourBlock[4] | colourBlock[5] << 8 | colourBlock[6] << 16 | uint32_t(colourBlock[7]) << 24;
    for (int i = 0; i < 16; ++i) {
        std::memcpy(out[i], palette[(indices >> (2 * i)) & 3], 4);
    }
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        for (int i = 0; i < 16; ++i) {
            out[i][3] = static_cast<uint8_t>(((block[i / 2] >> (4 * (i & 1))) & 15) * 17);
        }
    } else if (format == D3DFMT_DXT4 || format == D3DFMT_DXT5) {
        unsigned a[8] = {block[0], block[1]};
        for (int k = 2; k < 8; ++k) {
            a[k] = a[0] > a[1] ? ((8 - k) * a[0] + (k - 1) * a[1]) / 7
                               : (k < 6 ? ((6 - k) * a[0] + (k - 1) * a[1]) / 5 : (k == 6 ? 0 : 255));
        }
        uint64_t bits = 0;
        for (int k = 0; k < 6; ++k) {
            bits |= uint64_t(block[2 + k]) << (8 * k);
        }
        for (int i = 0; i < 16; ++i) {
            out[i][3] = static_cast<uint8_t>(a[(bits >> (3 * i)) & 7]);
        }
    }
}

}  // namespace

Rgba8 ToRgba8(const Image& image) {
    Rgba8 out;
    out.width = static_cast<uint32_t>(image.rect.right);
    out.height = static_cast<uint32_t>(image.rect.bottom);
    out.bytes.assign(size_t(out.width) * out.height * 4, 0);
    if (IsDxtFormat(image.format)) {
        const size_t blockBytes = DxtBlockBytes(image.format);
        for (uint32_t by = 0; by < (out.height + 3) / 4; ++by) {
            for (uint32_t bx = 0; bx < (out.width + 3) / 4; ++bx) {
                uint8_t texels[16][4];
                DecodeBlock(image.format, image.pixels + by * image.rowPitch + bx * blockBytes, texels);
                for (uint32_t i = 0; i < 16; ++i) {
                    uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                    if (x < out.width && y < out.height) {
                        std::memcpy(&out.bytes[(size_t(y) * out.width + x) * 4], texels[i], 4);
                    }
                }
            }
        }
        return out;
    }
    for (uint32_t y = 0; y < out.height; ++y) {
        const uint8_t* row = image.pixels + size_t(y) * image.rowPitch;
        for (uint32_t x = 0; x < out.width; ++x) {
            uint8_t* o = &out.bytes[(size_t(y) * out.width + x) * 4];
            const uint8_t* p;
            uint16_t v;
            switch (image.format) {
            case D3DFMT_P8: {
                const PALETTEENTRY& e = image.palette[row[x]];
                Put(o, e.peRed, e.peGreen, e.peBlue, e.peFlags);
                break;
            }
            case D3DFMT_L8: Put(o, row[x], row[x], row[x], 255); break;
            case D3DFMT_A8L8:
                p = row + 2 * x;
                Put(o, p[0], p[0], p[0], p[1]);
                break;
            case D3DFMT_R8G8B8:
                p = row + 3 * x;
                Put(o, p[2], p[1], p[0], 255);
                break;
            case D3DFMT_X8R8G8B8:
                p = row + 4 * x;
                Put(o, p[2], p[1], p[0], 255);
                break;
            case D3DFMT_A8R8G8B8:
                p = row + 4 * x;
                Put(o, p[2], p[1], p[0], p[3]);
                break;
            default:
                v = static_cast<uint16_t>(row[2 * x] | row[2 * x + 1] << 8);
                switch (image.format) {
                case D3DFMT_X1R5G5B5:
                    Put(o, Expand((v >> 10) & 31, 5), Expand((v >> 5) & 31, 5), Expand(v & 31, 5), 255);
                    break;
                case D3DFMT_A1R5G5B5:
                    Put(o, Expand((v >> 10) & 31, 5), Expand((v >> 5) & 31, 5), Expand(v & 31, 5),
                        v & 0x8000 ? 255 : 0);
                    break;
                case D3DFMT_R5G6B5: Rgb565(v, o); break;
                case D3DFMT_A4R4G4B4:
                    Put(o, Expand((v >> 8) & 15, 4), Expand((v >> 4) & 15, 4), Expand(v & 15, 4), Expand(v >> 12, 4));
                    break;
                case D3DFMT_A8R3G3B2:
                    Put(o, Expand((v >> 5) & 7, 3), Expand((v >> 2) & 7, 3), Expand(v & 3, 2), v >> 8);
                    break;
                default: ADD_FAILURE() << "no test conversion for format " << image.format; return out;
                }
            }
        }
    }
    return out;
}

namespace {

struct Input {
    const uint8_t* next;
    size_t left;
};

void ReadInput(png_structp png, png_bytep out, png_size_t n) {
    auto* in = static_cast<Input*>(png_get_io_ptr(png));
    if (n > in->left) png_error(png, "short");
    std::memcpy(out, in->next, n);
    in->next += n;
    in->left -= n;
}

bool ReferenceDecode(const std::vector<uint8_t>& file, bool withGamma, Rgba8* out, std::vector<png_bytep>* rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Input input{file.data(), file.size()};
    volatile bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &input, ReadInput);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        int intent = 0;
        double gamma = 0;
        if (withGamma && png_get_sRGB(png, info, &intent) == 0 && png_get_gAMA(png, info, &gamma) != 0) {
            png_set_gamma(png, 2.2, gamma);
        }
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        out->width = png_get_image_width(png, info);
        out->height = png_get_image_height(png, info);
        out->bytes.assign(size_t(out->width) * out->height * 4, 0);
        rows->resize(out->height);
        for (uint32_t y = 0; y < out->height; ++y) {
            (*rows)[y] = &out->bytes[size_t(y) * out->width * 4];
        }
        png_read_image(png, rows->data());
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

}  // namespace

Rgba8 DecodePngReference(const std::vector<uint8_t>& file, bool withGamma) {
    Rgba8 out;
    std::vector<png_bytep> rows;
    if (!ReferenceDecode(file, withGamma, &out, &rows)) {
        ADD_FAILURE() << "libpng refused the reference";
        return Rgba8{};
    }
    return out;
}

int MaxChannelDifference(const Rgba8& a, const Rgba8& b) {
    if (a.width != b.width || a.height != b.height || a.bytes.size() != b.bytes.size()) {
        ADD_FAILURE() << "sizes differ: " << a.width << "x" << a.height << " vs " << b.width << "x" << b.height;
        return 256;
    }
    int worst = 0;
    for (size_t i = 0; i < a.bytes.size(); ++i) {
        worst = std::max(worst, std::abs(int(a.bytes[i]) - int(b.bytes[i])));
    }
    return worst;
}

}  // namespace texload_test
