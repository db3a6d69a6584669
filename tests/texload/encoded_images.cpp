#include "encoded_images.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdlib>

#include <png.h>
#include <zlib.h>

#include "support/lcg.h"

namespace texload_test {

using test_support::Bytes;

namespace {

void Collect(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void Flush(png_structp) {}

// Writes the header, then every row from row(y) at zlib's best compression;
// with firstRowOnly, the first row alone as one IDAT chunk, then the end.
template <typename Row>
Bytes WritePng(uint32_t width, uint32_t height, int bitDepth, int colourType, bool firstRowOnly, Row row) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, Collect, Flush);
        png_set_compression_level(png, 9);
        png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);  // taller than libpng reads by default
        png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        if (firstRowOnly) {
            Bytes raw = {0};  // filter type: none
            test_support::Append(raw, row(0));
            Bytes packed(compressBound(raw.size()));
            uLongf packedSize = packed.size();
            compress2(packed.data(), &packedSize, raw.data(), raw.size(), 9);
            png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), packed.data(), packedSize);
            png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
        } else {
            for (uint32_t y = 0; y < height; ++y) {
                Bytes line = row(y);
                png_write_row(png, line.data());
            }
            png_write_end(png, info);
        }
    } else {
        ADD_FAILURE() << "libpng could not write the test file";
        out.clear();
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

struct JpegTrap {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JpegFailed(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegTrap*>(cinfo->err)->jump, 1);
}

// The segments of a JPEG file: each marker with its payload; a scan with its
// entropy-coded data.
struct Segment {
    size_t at, end;
    uint8_t marker;
};

std::vector<Segment> Segments(const Bytes& j) {
    std::vector<Segment> out;
    size_t i = 2;
    while (i + 4 <= j.size() && j[i] == 0xFF) {
        const uint8_t marker = j[i + 1];
        if (marker == 0xD9) {
            break;
        }
        size_t end = i + 2 + (size_t{j[i + 2]} << 8 | j[i + 3]);
        if (marker == 0xDA) {
            while (end + 1 < j.size() && !(j[end] == 0xFF && j[end + 1] != 0 && (j[end + 1] & 0xF8) != 0xD0)) {
                ++end;
            }
        }
        out.push_back(Segment{i, end, marker});
        i = end;
    }
    return out;
}

}  // namespace

Bytes GreyPng(uint32_t width, uint32_t height) {
    return WritePng(width, height, 8, PNG_COLOR_TYPE_GRAY, false, [&](uint32_t y) {
        Bytes line(width);
        for (uint32_t x = 0; x < width; ++x) line[x] = static_cast<uint8_t>(x * 16 + y);
        return line;
    });
}

Bytes PngFirstRow(uint32_t width, uint32_t height, int bitDepth, int colourType) {
    const int channels = colourType == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                         : colourType == PNG_COLOR_TYPE_RGB        ? 3
                         : colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                   : 1;
    const size_t rowBytes = (size_t{width} * channels * bitDepth + 7) / 8;
    return WritePng(width, height, bitDepth, colourType, true, [&](uint32_t) { return Bytes(rowBytes); });
}

Bytes ZeroPng(uint32_t width, uint32_t height) {
    return WritePng(width, height, 1, PNG_COLOR_TYPE_GRAY, false, [&](uint32_t) { return Bytes((width + 7) / 8); });
}

Bytes EncodeJpeg(const JpegLayout& layout) {
    jpeg_compress_struct cinfo{};
    JpegTrap trap{};
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = JpegFailed;
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    Bytes out;
    if (setjmp(trap.jump) == 0) {
        jpeg_create_compress(&cinfo);
        jpeg_mem_dest(&cinfo, &buffer, &length);
        cinfo.image_width = layout.width;
        cinfo.image_height = layout.height;
        cinfo.input_components = layout.components;
        cinfo.in_color_space = layout.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&cinfo);
        cinfo.comp_info[0].h_samp_factor = layout.lumaSampling;
        cinfo.comp_info[0].v_samp_factor = layout.lumaSampling;
        if (layout.progressive) {
            jpeg_simple_progression(&cinfo);
        }
        if (!layout.script.empty()) {
            cinfo.scan_info = layout.script.data();
            cinfo.num_scans = static_cast<int>(layout.script.size());
        }
        cinfo.restart_interval = layout.restartInterval;
        cinfo.arith_code = layout.arithmetic ? TRUE : FALSE;
        jpeg_start_compress(&cinfo, TRUE);
        Bytes row(size_t{layout.width} * layout.components);
        test_support::Lcg noise{12345};
        while (cinfo.next_scanline < cinfo.image_height) {
            for (size_t i = 0; i < row.size(); ++i) {
                const uint32_t word = noise.Step();
                row[i] = layout.picture == JpegPicture::FLAT    ? uint8_t{100}
                         : layout.picture == JpegPicture::NOISE ? static_cast<uint8_t>(word >> 24)
                                                                : static_cast<uint8_t>(i * 3 + cinfo.next_scanline * 5);
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
        out.assign(buffer, buffer + length);
    } else {
        ADD_FAILURE() << "libjpeg could not write the test file";
    }
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Bytes WithFrameSize(Bytes jpeg, uint16_t width, uint16_t height) {
    for (const Segment& s : Segments(jpeg)) {
        if (s.marker >= 0xC0 && s.marker <= 0xC2) {
            jpeg[s.at + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[s.at + 6] = static_cast<uint8_t>(height);
            jpeg[s.at + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[s.at + 8] = static_cast<uint8_t>(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

Bytes RepeatScan(const Bytes& jpeg, int scan, int copies, size_t keep) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    int seen = 0;
    for (const Segment& s : Segments(jpeg)) {
        out.insert(out.end(), jpeg.begin() + s.at, jpeg.begin() + s.end);
        if (s.marker == 0xDA && seen++ == scan) {
            const size_t end = keep != 0 && s.at + keep < s.end ? s.at + keep : s.end;
            for (int i = 0; i < copies; ++i) {
                out.insert(out.end(), jpeg.begin() + s.at, jpeg.begin() + end);
            }
            out.push_back(0xFF);
            out.push_back(0xD9);
            return out;
        }
    }
    ADD_FAILURE() << "the file has no scan " << scan;
    return out;
}

Bytes CutInScan(const Bytes& jpeg, int fromLast) {
    std::vector<Segment> scans;
    for (const Segment& s : Segments(jpeg)) {
        if (s.marker == 0xDA) {
            scans.push_back(s);
        }
    }
    if (fromLast < 0 || static_cast<size_t>(fromLast) >= scans.size()) {
        ADD_FAILURE() << "the file has no scan " << fromLast << " from the end";
        return jpeg;
    }
    const Segment& s = scans[scans.size() - 1 - fromLast];
    const size_t data = s.at + 2 + (size_t{jpeg[s.at + 2]} << 8 | jpeg[s.at + 3]);
    return Bytes(jpeg.begin(), jpeg.begin() + (data + s.end) / 2);
}

}  // namespace texload_test
