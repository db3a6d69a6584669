#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <new>

namespace tovtex_tool {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<BYTE>*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    // Outside the handler: png_error leaves by longjmp.
    if (!stored) {
        png_error(png, "out of memory");
    }
}

void NoFlush(png_structp) {}

}  // namespace

HRESULT EncodePng(const uint32_t* pixels, UINT width, UINT height, std::vector<BYTE>* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return E_OUTOFMEMORY;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return E_OUTOFMEMORY;
    }
    out->clear();
    // libpng reports its errors by longjmp; nothing with a destructor lives
    // between here and the end of the writing.
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return E_FAIL;
    }
    png_set_write_fn(png, out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    // A8R8G8B8 lies in memory as blue, green, red, alpha.
    png_set_bgr(png);
    for (UINT y = 0; y < height; ++y) {
        png_write_row(png, reinterpret_cast<png_const_bytep>(pixels + uint64_t{y} * width));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return S_OK;
}

}  // namespace tovtex_tool
