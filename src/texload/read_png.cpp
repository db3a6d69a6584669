// PNG files, decoded by libpng from memory.

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <png.h>

#include "base/checked_size.h"
#include "base/tovtex_defs.h"
#include "texload/decode_into_rows.h"
#include "texload/image_headers.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"

namespace {

constexpr double SCREEN_GAMMA = 2.2;

// The header chunk, which libpng requires first: length, "IHDR", width and
// height (big-endian).
constexpr size_t IHDR_TYPE_AT = 12;
constexpr size_t IHDR_WIDTH_AT = 16;
constexpr size_t IHDR_HEIGHT_AT = 20;

// deflate codes at best 258 bytes in two bits: no stream of n bytes holds
// more than 1032 n bytes.
constexpr uint64_t MAX_DEFLATE_RATIO = 1032;

// Ancillary chunks (text, colour profiles) are read whole before they are
// ignored; the ones this reader uses are a few hundred bytes.
constexpr png_alloc_size_t CHUNK_MALLOC_MAX = 8u << 20;

struct PngInput {
    const BYTE* next;
    UINT left;
    UINT total;
};

// State that outlives a longjmp out of libpng lives here, not in locals of
// the function that called setjmp.
struct PngDecode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
    PngInput input{};
    double paletteGamma = 0;  // file gamma the palette is corrected for; 0 for none
};

void ReadData(png_structp png, png_bytep out, png_size_t count) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (count > input->left) {
        png_error(png, "read error");
    }
    std::memcpy(out, input->next, count);
    input->next += count;
    input->left -= static_cast<UINT>(count);
}

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    std::longjmp(png_jmpbuf(png), 1);
}
void OnWarning(png_structp, png_const_charp) {}

void BuildPalette(const PngDecode& d, PALETTEENTRY* palette) {
    BYTE table[256];
    for (int i = 0; i < 256; ++i) {
        table[i] = d.paletteGamma > 0.000001
                       ? static_cast<BYTE>(std::pow(i / 255.0, 1.0 / (d.paletteGamma * SCREEN_GAMMA)) * 255.0 + 0.5)
                       : static_cast<BYTE>(i);
    }
    png_colorp colours = nullptr;
    int n = 0;
    if (png_get_valid(d.png, d.info, PNG_INFO_PLTE) == 0 || png_get_PLTE(d.png, d.info, &colours, &n) == 0) {
        n = 0;
    }
    png_bytep alphas = nullptr;
    int m = 0;
    if (png_get_valid(d.png, d.info, PNG_INFO_tRNS) == 0 || png_get_tRNS(d.png, d.info, &alphas, &m, nullptr) == 0 ||
        alphas == nullptr) {
        m = 0;
    }
    // libpng keeps both counts within 256 and the alphas within the palette;
    // clamp anyway so a change there cannot make this read past either.
    n = n < 256 ? n : 256;
    for (int j = 0; j < n; ++j) {
        BYTE alpha = j < m ? alphas[j] : 0xFF;
        palette[j] = PALETTEENTRY{table[colours[j].red], table[colours[j].green], table[colours[j].blue], alpha};
    }
}

// The layout the picture decodes to, from the chunks before the image data.
struct PngLayout {
    D3DFORMAT format;
    png_uint_32 width, height;
    uint64_t rowPitch, pixelBytes;
};

// Reads the chunks up to the image data and sets up the transformations;
// called under the caller's setjmp, since libpng's errors jump there.
HRESULT Prepare(PngDecode* d, PngLayout* out) {
    png_set_read_fn(d->png, &d->input, ReadData);
    png_read_info(d->png, d->info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(d->png, d->info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    // libpng asks for every row of the picture (a short stream is a fatal
    // error), so a file too small to hold the rows even at deflate's best
    // ratio is broken; refuse it before the pixels are allocated.
    const uint64_t bitsPerPixel = uint64_t(bitDepth) * png_get_channels(d->png, d->info);
    uint64_t pictureBits = 0;
    if (!tovtex::CheckedMul3(width, height, bitsPerPixel, &pictureBits) ||
        pictureBits / 8 / MAX_DEFLATE_RATIO > d->input.total) {
        return E_FAIL;
    }

    D3DFORMAT format = D3DFMT_UNKNOWN;
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: format = D3DFMT_L8; break;
    case PNG_COLOR_TYPE_RGB: format = D3DFMT_R8G8B8; break;
    case PNG_COLOR_TYPE_PALETTE: format = D3DFMT_P8; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: format = D3DFMT_A8L8; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: format = D3DFMT_A8R8G8B8; break;
    default: return E_FAIL;
    }

    if (bitDepth == 16) {
        png_set_strip_16(d->png);
    }
    if (bitDepth < 8) {
        png_set_packing(d->png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(d->png);
    }
    int srgbIntent = 0;
    double fileGamma = 0;
    if (png_get_sRGB(d->png, d->info, &srgbIntent) == 0 && png_get_gAMA(d->png, d->info, &fileGamma) != 0) {
        // libpng would correct a palette in place, and png_get_PLTE then
        // returns the corrected colours; the palette is corrected once, below.
        if (format == D3DFMT_P8) {
            d->paletteGamma = fileGamma;
        } else {
            png_set_gamma(d->png, SCREEN_GAMMA, fileGamma);
        }
    }
    if (format != D3DFMT_P8 && png_get_valid(d->png, d->info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(d->png);
        if (format == D3DFMT_R8G8B8) format = D3DFMT_A8R8G8B8;
        if (format == D3DFMT_L8) format = D3DFMT_A8L8;
    }
    if (format == D3DFMT_R8G8B8 || format == D3DFMT_A8R8G8B8) {
        png_set_bgr(d->png);
    }
    if (format == D3DFMT_R8G8B8) {
        png_set_filler(d->png, 0xFF, PNG_FILLER_AFTER);
        format = D3DFMT_X8R8G8B8;
    }
    // Interlaced files need libpng to merge the passes into whole rows.
    png_set_interlace_handling(d->png);
    png_read_update_info(d->png, d->info);

    const int channels = png_get_channels(d->png, d->info);
    const int expected = format == D3DFMT_A8L8 ? 2 : (format == D3DFMT_L8 || format == D3DFMT_P8) ? 1 : 4;
    if (channels != expected) {
        return E_FAIL;
    }
    const uint64_t rowPitch = png_get_rowbytes(d->png, d->info);
    uint64_t pixelBytes = 0;
    if (rowPitch > UINT32_MAX || width > INT32_MAX || height > INT32_MAX ||
        !tovtex::CheckedMul(rowPitch, height, &pixelBytes)) {
        return E_FAIL;
    }
    *out = PngLayout{format, width, height, rowPitch, pixelBytes};
    return S_OK;
}

// Hands libpng one pointer per row, rowPitch bytes apart, and reads the
// picture into them.
HRESULT ReadRows(PngDecode* d, BYTE* pixels, uint64_t rowPitch, png_uint_32 height) {
    d->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (d->rows == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (png_uint_32 i = 0; i < height; ++i) {
        d->rows[i] = pixels + i * rowPitch;
    }
    png_read_image(d->png, d->rows);
    return S_OK;
}

// ReadRows with word of each finished row. Interlaced rows are final only
// after the last pass, so they are all reported at the end.
HRESULT ReadRowsReporting(PngDecode* d, const tovtex::RowDestination& destination, png_uint_32 height) {
    if (png_get_interlace_type(d->png, d->info) != PNG_INTERLACE_NONE) {
        const HRESULT hr = ReadRows(d, destination.pixels, destination.rowPitch, height);
        if (SUCCEEDED(hr)) {
            destination.progress(destination.context, height);
        }
        return hr;
    }
    // What png_read_image does for a picture of one pass, a row at a time.
    for (png_uint_32 i = 0; i < height; ++i) {
        png_read_row(d->png, destination.pixels + uint64_t{i} * destination.rowPitch, nullptr);
        destination.progress(destination.context, i + 1);
    }
    return S_OK;
}

HRESULT Decode(PngDecode* d, Image* image) {
    if (setjmp(png_jmpbuf(d->png)) != 0) {
        return E_FAIL;
    }
    PngLayout layout{};
    if (HRESULT hr = Prepare(d, &layout); FAILED(hr)) {
        return hr;
    }
    const D3DFORMAT format = layout.format;
    const png_uint_32 height = layout.height;
    const uint64_t rowPitch = layout.rowPitch;
    const uint64_t width = layout.width;
    const uint64_t pixelBytes = layout.pixelBytes;
    image->format = format;
    image->rect = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    image->rowPitch = static_cast<UINT>(rowPitch);
    HRESULT hr = tovtex::AttachOwnedPixels(image, pixelBytes);
    if (FAILED(hr)) {
        return hr;
    }
    hr = ReadRows(d, image->pixels, rowPitch, height);
    if (FAILED(hr)) {
        return hr;
    }

    if (format == D3DFMT_P8) {
        hr = tovtex::AttachWhitePalette(image);
        if (FAILED(hr)) {
            return hr;
        }
        BuildPalette(*d, image->palette);
    }
    return S_OK;
}

// Straight into the caller's rows, which take only the picture the header
// test described (four bytes a pixel, no palette).
HRESULT DecodeInto(PngDecode* d, const tovtex::ImageHeader& header, const tovtex::RowDestination& destination) {
    if (setjmp(png_jmpbuf(d->png)) != 0) {
        return E_FAIL;
    }
    PngLayout layout{};
    if (HRESULT hr = Prepare(d, &layout); FAILED(hr)) {
        return hr;
    }
    if (layout.format != header.format || layout.width != header.width || layout.height != header.height ||
        (layout.format != D3DFMT_X8R8G8B8 && layout.format != D3DFMT_A8R8G8B8) ||
        layout.rowPitch != uint64_t{4} * layout.width || destination.rowPitch < layout.rowPitch) {
        return E_FAIL;
    }
    if (destination.progress != nullptr) {
        return ReadRowsReporting(d, destination, layout.height);
    }
    return ReadRows(d, destination.pixels, destination.rowPitch, layout.height);
}

// The header test's step: the chunks up to the image data, no pixels.
HRESULT Inspect(PngDecode* d, PngLayout* layout) {
    if (setjmp(png_jmpbuf(d->png)) != 0) {
        return E_FAIL;
    }
    return Prepare(d, layout);
}

// Sets libpng up over the file, runs step(&decode) and releases it all.
template <typename Step>
HRESULT RunPng(const BYTE* data, UINT size, Step step) {
    if (png_sig_cmp(data, 0, size) != 0) {
        return E_FAIL;
    }
    if (size >= IHDR_HEIGHT_AT + 4 && std::memcmp(data + IHDR_TYPE_AT, "IHDR", 4) == 0 &&
        !tovtex::FitsPixelLimit(png_get_uint_32(data + IHDR_WIDTH_AT), png_get_uint_32(data + IHDR_HEIGHT_AT))) {
        return ERR_IMAGETOOLARGE;
    }
    PngDecode d;
    d.input = PngInput{data, size, size};
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (d.png == nullptr) {
        return E_OUTOFMEMORY;
    }
    // libpng's own limits, a second guard on the header: no side above the
    // pixel limit. Its default of a million per side stays: each row costs
    // time of its own, and a picture one pixel wide could otherwise have
    // hundreds of millions of them.
    if (const uint64_t limit = GetImagePixelLimit(); limit != 0) {
        png_set_user_limits(d.png, static_cast<png_uint_32>(std::min<uint64_t>(limit, png_get_user_width_max(d.png))),
                            static_cast<png_uint_32>(std::min<uint64_t>(limit, png_get_user_height_max(d.png))));
    }
    png_set_chunk_malloc_max(d.png, CHUNK_MALLOC_MAX);
    d.info = png_create_info_struct(d.png);
    HRESULT hr = d.info == nullptr ? E_OUTOFMEMORY : step(&d);
    png_destroy_read_struct(&d.png, d.info != nullptr ? &d.info : nullptr, nullptr);
    std::free(d.rows);
    return hr;
}

}  // namespace

HRESULT ReadPng(Image* image, const BYTE* data, UINT size) {
    return RunPng(data, size, [image](PngDecode* d) { return Decode(d, image); });
}

HRESULT tovtex::ReadPngIntoRows(const BYTE* data, UINT size, const ImageHeader& header,
                                const RowDestination& destination) {
    return RunPng(data, size, [&](PngDecode* d) { return DecodeInto(d, header, destination); });
}

HRESULT tovtex::ReadPngHeader(const BYTE* data, UINT size, ImageHeader* header) {
    PngLayout layout{};
    const HRESULT hr = RunPng(data, size, [&layout](PngDecode* d) { return Inspect(d, &layout); });
    if (SUCCEEDED(hr)) {
        *header = ImageHeader{layout.format, layout.width, layout.height, 1, 1};
    }
    return hr;
}
