// DecodeImageFile against a plain decode of the same 4096 x 4096 file by
// libpng, libjpeg-turbo, or a memcpy of its pixel bytes, in the same run.

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "texload/image_readers.h"

namespace {

constexpr uint32_t SIZE = 4096;
using Bytes = std::vector<uint8_t>;

uint8_t Sample(uint32_t x, uint32_t y, int c) {
    // Smooth gradients with some texture, so the codecs do honest work.
    return static_cast<uint8_t>((x * (c + 1) + y * (3 - c) + ((x ^ y) & 15) * 4) & 0xFF);
}

void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, uint16_t(v));
    Put16(b, uint16_t(v >> 16));
}

Bytes MakeBmp24() {
    Bytes b = {'B', 'M'};
    uint32_t stride = SIZE * 3;
    Put32(b, 54 + stride * SIZE);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, SIZE);
    Put32(b, SIZE);
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (uint32_t y = 0; y < SIZE; ++y)
        for (uint32_t x = 0; x < SIZE; ++x)
            for (int c = 0; c < 3; ++c) b.push_back(Sample(x, y, c));
    return b;
}

Bytes MakeTga32() {
    Bytes b = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put16(b, SIZE);
    Put16(b, SIZE);
    b.push_back(32);
    b.push_back(0x08);  // bottom row first
    for (uint32_t y = 0; y < SIZE; ++y)
        for (uint32_t x = 0; x < SIZE; ++x)
            for (int c = 0; c < 4; ++c) b.push_back(Sample(x, y, c));
    return b;
}

Bytes MakePpm() {
    std::string header = "P6\n4096 4096\n255\n";
    Bytes b(header.begin(), header.end());
    for (uint32_t y = 0; y < SIZE; ++y)
        for (uint32_t x = 0; x < SIZE; ++x)
            for (int c = 0; c < 3; ++c) b.push_back(Sample(x, y, c));
    return b;
}

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void PngFlush(png_structp) {}

Bytes MakePng() {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) std::abort();
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, SIZE, SIZE, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    Bytes row(SIZE * 3);
    for (uint32_t y = 0; y < SIZE; ++y) {
        for (uint32_t x = 0; x < SIZE; ++x)
            for (int c = 0; c < 3; ++c) row[x * 3 + c] = Sample(x, y, c);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes MakeJpeg() {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&cinfo, &buffer, &length);
    cinfo.image_width = SIZE;
    cinfo.image_height = SIZE;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(SIZE * 3);
    while (cinfo.next_scanline < SIZE) {
        for (uint32_t x = 0; x < SIZE; ++x)
            for (int c = 0; c < 3; ++c) row[x * 3 + c] = Sample(x, cinfo.next_scanline, c);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + length);
    std::free(buffer);
    jpeg_destroy_compress(&cinfo);
    return out;
}

const Bytes& File(int kind) {
    static const Bytes files[] = {MakePng(), MakeJpeg(), MakeBmp24(), MakeTga32(), MakePpm()};
    return files[kind];
}

enum Kind { PNG_FILE, JPEG_FILE, BMP_FILE, TGA_FILE, PPM_FILE };

void Decode(benchmark::State& state, Kind kind) {
    const Bytes& file = File(kind);
    for (auto _ : state) {
        Image image;
        HRESULT hr = DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), nullptr);
        if (FAILED(hr)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.pixels);
    }
}

// Plain library decodes, as a program would write them without us.
void PlainPng(benchmark::State& state) {
    const Bytes& file = File(PNG_FILE);
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.data(), file.size());
        image.format = PNG_FORMAT_BGRA;
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[PNG_IMAGE_SIZE(image)]);
        png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr);
        benchmark::DoNotOptimize(pixels.get());
    }
}

// bytesPerPixel 3: RGB samples; 4: the image's own B, G, R, X layout.
void PlainJpeg(benchmark::State& state, int bytesPerPixel) {
    const Bytes& file = File(JPEG_FILE);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), file.size());
        jpeg_read_header(&cinfo, TRUE);
        if (bytesPerPixel == 4) cinfo.out_color_space = JCS_EXT_BGRX;
        jpeg_start_decompress(&cinfo);
        std::unique_ptr<uint8_t[]> pixels(
            new uint8_t[size_t(cinfo.output_width) * cinfo.output_height * bytesPerPixel]);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = &pixels[size_t(cinfo.output_scanline) * cinfo.output_width * bytesPerPixel];
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.get());
    }
}

void Memcpy(benchmark::State& state, Kind kind, size_t header) {
    const Bytes& file = File(kind);
    for (auto _ : state) {
        uint8_t* copy = static_cast<uint8_t*>(std::malloc(file.size() - header));
        std::memcpy(copy, file.data() + header, file.size() - header);
        benchmark::DoNotOptimize(copy);
        std::free(copy);
    }
}

// A DDS level is used where it lies: no pixel copy at all.
void DecodeDds(benchmark::State& state) {
    static const Bytes file = [] {
        Bytes b(128, 0);
        std::memcpy(b.data(), "DDS ", 4);
        b[12] = 0;
        b[13] = 0x10;  // height 4096
        b[16] = 0;
        b[17] = 0x10;  // width 4096
        b[80] = 0x41;
        b[88] = 32;
        b[107] = 0xFF;
        b.resize(128 + size_t(SIZE) * SIZE * 4, 0x5A);
        return b;
    }();
    for (auto _ : state) {
        Image image;
        DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), nullptr);
        benchmark::DoNotOptimize(image.pixels);
    }
}

}  // namespace

BENCHMARK_CAPTURE(Decode, png, PNG_FILE)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, jpeg, JPEG_FILE)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainJpeg, rgb, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainJpeg, bgrx, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, bmp24, BMP_FILE)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Memcpy, bmp24, BMP_FILE, 54)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, tga32, TGA_FILE)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Memcpy, tga32, TGA_FILE, 18)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, ppm, PPM_FILE)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Memcpy, ppm, PPM_FILE, 17)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeDds)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
