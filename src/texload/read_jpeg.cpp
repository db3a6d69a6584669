// JPEG files, decoded by libjpeg from memory.

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "base/checked_size.h"
#include "base/tovtex_defs.h"
#include "texload/decode_into_rows.h"
#include "texload/image_headers.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"
#include "texload/image_testing.h"
#include "texload/jpeg_scan_check.h"

namespace {

// The standard manager and two fields of our own; libjpeg sees the first.
struct MemorySource {
    jpeg_source_mgr pub;
    const BYTE* data;
    UINT size;
    bool handedOver;
};

struct ErrorTrap {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

const JOCTET END_OF_IMAGE[2] = {0xFF, JPEG_EOI};

// A progressive file is decoded scan by scan, and each scan walks every
// block of its components however few bytes it holds: a small file of many
// scans can cost minutes. Encoders' usual scripts make 3 to 10 scans, up to
// about 6 passes over the picture's blocks, and libjpeg's scan scripts stop
// at 100 scans, so at 100 passes. Files of more passes, or of ten times
// that many scans, are refused.
constexpr int MAX_SCANS = 1000;
constexpr uint64_t MAX_BLOCK_PASSES = 100;

// libjpeg's own memory: a progressive file keeps every coefficient, 2 bytes
// a sample of up to three full-size components, plus row buffers.
constexpr uint64_t COEFFICIENT_BYTES_PER_PIXEL = 6;
constexpr uint64_t WORKING_MEMORY_SLACK = 64u << 20;

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// The whole file the first time. Asked again, the file ended early: supply
// an end-of-image marker (libjpeg warns and finishes with what it has)
// instead of the file again, which could decode garbage or loop.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    if (!src->handedOver) {
        src->handedOver = true;
        src->pub.next_input_byte = src->data;
        src->pub.bytes_in_buffer = src->size;
    } else {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->pub.next_input_byte = END_OF_IMAGE;
        src->pub.bytes_in_buffer = sizeof(END_OF_IMAGE);
    }
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0) {
        return;
    }
    size_t skip = static_cast<size_t>(count) < src->bytes_in_buffer ? static_cast<size_t>(count) : src->bytes_in_buffer;
    src->next_input_byte += skip;
    src->bytes_in_buffer -= skip;
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

struct ScanBudget {
    jpeg_progress_mgr pub;
    int scan;             // the scan counted last
    uint64_t blocksLeft;  // block visits the remaining scans may make
};

// Called before each step of input; charges each new scan for its blocks.
void ChargeScans(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    auto* budget = reinterpret_cast<ScanBudget*>(cinfo->progress);
    if (cinfo->input_scan_number == budget->scan) {
        return;
    }
    budget->scan = cinfo->input_scan_number;
    uint64_t blocks = 0;
    for (int i = 0; i < cinfo->comps_in_scan; ++i) {
        blocks += uint64_t{cinfo->cur_comp_info[i]->width_in_blocks} * cinfo->cur_comp_info[i]->height_in_blocks;
    }
    if (budget->scan > MAX_SCANS || blocks > budget->blocksLeft) {
        ErrorExit(common);
    }
    budget->blocksLeft -= blocks;
}

uint64_t PictureBlocks(const jpeg_decompress_struct& cinfo) {
    uint64_t blocks = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
        blocks += uint64_t{cinfo.comp_info[c].width_in_blocks} * cinfo.comp_info[c].height_in_blocks;
    }
    return blocks;
}

// The cap on libjpeg's memory: what a picture at the pixel limit needs, and
// never more than the test seam allows; 0 for none.
long WorkingMemoryCap() {
    uint64_t cap = 0;
    if (const uint64_t pixels = GetImagePixelLimit(); pixels != 0) {
        if (!tovtex::CheckedMul(pixels, COEFFICIENT_BYTES_PER_PIXEL, &cap) ||
            !tovtex::CheckedAdd(cap, WORKING_MEMORY_SLACK, &cap)) {
            cap = 0;
        }
    }
    if (const uint64_t test = tovtex::GetImageAllocationLimit(); test != 0 && (cap == 0 || test < cap)) {
        cap = test;
    }
    return cap > uint64_t{LONG_MAX} ? 0 : static_cast<long>(cap);
}

void DiscardMessage(j_common_ptr cinfo) {
    char buffer[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, buffer);
}

// libjpeg-turbo writes colour pixels as B, G, R, 0xFF; the format's unused
// byte is 0.
void ClearUnusedBytes(BYTE* row, UINT width) {
    for (UINT i = 0; i < width; ++i) {
        uint32_t pixel;
        std::memcpy(&pixel, row + 4 * i, 4);
        pixel &= 0x00FFFFFFu;
        std::memcpy(row + 4 * i, &pixel, 4);
    }
}

// Reads the markers up to the first scan and makes the checks that need no
// pixel data; called under the caller's setjmp.
HRESULT ReadHeader(jpeg_decompress_struct* cinfo, ErrorTrap* trap, const BYTE* data, UINT size) {
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = WorkingMemoryCap();
    auto* src = static_cast<MemorySource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(MemorySource)));
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->data = data;
    src->size = size;
    src->handedOver = false;
    cinfo->src = &src->pub;

    jpeg_read_header(cinfo, TRUE);
    trap->pub.output_message = DiscardMessage;
    if (!tovtex::FitsPixelLimit(cinfo->image_width, cinfo->image_height)) {
        return ERR_IMAGETOOLARGE;
    }
    // Before libjpeg allocates the coefficients: a progressive file whose
    // scans are too short to code their blocks would cost a real picture's
    // memory and a pass over it per scan, for nothing but zeros.
    if (!tovtex::ScansCanHoldTheirBlocks(*cinfo, data, size)) {
        return E_FAIL;
    }
    return S_OK;
}

// Colour output straight in the image's byte order (the same pixels as
// R, G, B samples rearranged, without a pass over a sample row). True for
// colour output.
bool ChooseOutput(jpeg_decompress_struct* cinfo) {
    const bool colour = cinfo->out_color_space == JCS_RGB && cinfo->num_components == 3;
    if (colour) {
        cinfo->out_color_space = JCS_EXT_BGRX;
    }
    return colour;
}

// The image format of the output libjpeg has settled on; unknown for
// layouts the image cannot take (CMYK, for one).
D3DFORMAT OutputFormat(const jpeg_decompress_struct& cinfo, bool colour) {
    if (!colour && cinfo.output_components == 1) {
        return D3DFMT_L8;
    }
    if (colour && cinfo.output_components == 4) {
        return D3DFMT_X8R8G8B8;
    }
    return D3DFMT_UNKNOWN;
}

// Where the decoded rows go: the image's own memory, or a destination the
// caller holds. Filled once the output layout is known.
struct RowTarget {
    BYTE* pixels;
    uint64_t rowPitch;
    bool clearUnused;  // the format's unused byte must be 0, not libjpeg's 0xFF
    ImageRowsProgress progress = nullptr;  // hears of each finished row
    void* context = nullptr;
};

// Gives the rows for a picture of the format and size libjpeg settled on.
using ProvideRows = HRESULT (*)(void* context, D3DFORMAT format, UINT width, UINT height, RowTarget* target);

HRESULT ProvideImageRows(void* context, D3DFORMAT format, UINT width, UINT height, RowTarget* target) {
    auto* image = static_cast<Image*>(context);
    image->format = format;
    const uint64_t rowPitch = format == D3DFMT_L8 ? uint64_t{width} : uint64_t{4} * width;
    image->rect = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    image->rowPitch = static_cast<UINT>(rowPitch);
    const HRESULT hr = tovtex::AttachOwnedPixels(image, rowPitch * height);
    *target = RowTarget{image->pixels, rowPitch, format == D3DFMT_X8R8G8B8};
    return hr;
}

struct GivenRows {
    const tovtex::ImageHeader* header;
    const tovtex::RowDestination* destination;
};

// The caller's rows take only the picture its header test described.
HRESULT ProvideGivenRows(void* context, D3DFORMAT format, UINT width, UINT height, RowTarget* target) {
    const auto* given = static_cast<const GivenRows*>(context);
    if (format != D3DFMT_X8R8G8B8 || format != given->header->format || width != given->header->width ||
        height != given->header->height || given->destination->rowPitch < uint64_t{4} * width) {
        return E_FAIL;
    }
    *target = RowTarget{given->destination->pixels, given->destination->rowPitch,
                        given->destination->format == D3DFMT_X8R8G8B8, given->destination->progress,
                        given->destination->context};
    return S_OK;
}

// Everything that must survive a longjmp lives in cinfo and the image; no
// object with a destructor is alive here.
HRESULT Decode(jpeg_decompress_struct* cinfo, ErrorTrap* trap, ScanBudget* budget, const BYTE* data, UINT size,
               ProvideRows provide, void* context) {
    if (setjmp(trap->jump) != 0) {
        return E_FAIL;
    }
    if (HRESULT hr = ReadHeader(cinfo, trap, data, size); FAILED(hr)) {
        return hr;
    }
    // The backstop for files whose scans hold data enough: scans and passes
    // over the blocks are counted as they come.
    budget->pub.progress_monitor = ChargeScans;
    budget->scan = 0;
    budget->blocksLeft = MAX_BLOCK_PASSES * PictureBlocks(*cinfo);
    cinfo->progress = &budget->pub;
    const bool colour = ChooseOutput(cinfo);
    jpeg_start_decompress(cinfo);

    const UINT width = cinfo->output_width;
    const UINT height = cinfo->output_height;
    const D3DFORMAT format = OutputFormat(*cinfo, colour);
    if (format == D3DFMT_UNKNOWN) {
        return E_FAIL;
    }
    RowTarget target{};
    if (HRESULT hr = provide(context, format, width, height, &target); FAILED(hr)) {
        return hr;
    }
    // Scanlines are decoded straight into the rows.
    while (cinfo->output_scanline < height) {
        BYTE* row = target.pixels + cinfo->output_scanline * target.rowPitch;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) {
            return E_FAIL;
        }
        if (colour && target.clearUnused) {
            ClearUnusedBytes(row, width);
        }
        if (target.progress != nullptr) {
            target.progress(target.context, cinfo->output_scanline);
        }
    }
    jpeg_finish_decompress(cinfo);
    return S_OK;
}

// The header test's step: the output libjpeg would settle on, worked out
// without starting the decompressor.
HRESULT Inspect(jpeg_decompress_struct* cinfo, ErrorTrap* trap, const BYTE* data, UINT size,
                tovtex::ImageHeader* header) {
    if (setjmp(trap->jump) != 0) {
        return E_FAIL;
    }
    if (HRESULT hr = ReadHeader(cinfo, trap, data, size); FAILED(hr)) {
        return hr;
    }
    const bool colour = ChooseOutput(cinfo);
    jpeg_calc_output_dimensions(cinfo);
    const D3DFORMAT format = OutputFormat(*cinfo, colour);
    if (format == D3DFMT_UNKNOWN) {
        return E_FAIL;
    }
    *header = tovtex::ImageHeader{format, cinfo->output_width, cinfo->output_height, 1, 1};
    return S_OK;
}

// The decompressor over the file, decoding into the rows `provide` gives;
// released on every path.
HRESULT RunDecode(const BYTE* data, UINT size, ProvideRows provide, void* context) {
    jpeg_decompress_struct cinfo{};
    ErrorTrap trap{};
    ScanBudget budget{};
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = ErrorExit;
    trap.pub.output_message = IgnoreMessage;
    HRESULT hr = Decode(&cinfo, &trap, &budget, data, size, provide, context);
    jpeg_destroy_decompress(&cinfo);
    return hr;
}

}  // namespace

HRESULT ReadJpeg(Image* image, const BYTE* data, UINT size) {
    return RunDecode(data, size, ProvideImageRows, image);
}

HRESULT tovtex::ReadJpegIntoRows(const BYTE* data, UINT size, const ImageHeader& header,
                                 const RowDestination& destination) {
    GivenRows given{&header, &destination};
    return RunDecode(data, size, ProvideGivenRows, &given);
}

HRESULT tovtex::ReadJpegHeader(const BYTE* data, UINT size, ImageHeader* header) {
    jpeg_decompress_struct cinfo{};
    ErrorTrap trap{};
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = ErrorExit;
    trap.pub.output_message = IgnoreMessage;
    HRESULT hr = Inspect(&cinfo, &trap, data, size, header);
    jpeg_destroy_decompress(&cinfo);
    return hr;
}
