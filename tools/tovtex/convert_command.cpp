// tovtex convert: image files into DDS textures through the library's front
// door, fitted to a software device profile.

#include <getopt.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "any_shape_loader.h"
#include "batch.h"
#include "block_chain.h"
#include "chain_rework.h"
#include "cli.h"
#include "cube_assembly.h"
#include "dds_front_end.h"
#include "dds_volume_loader.h"
#include "dds_writer.h"
#include "failure_cause.h"
#include "file_bytes.h"
#include "format_names.h"
#include "option_values.h"
#include "pending_picture.h"
#include "picture_block_chain.h"
#include "premultiply.h"
#include "result_text.h"
#include "software_devices.h"
#include "texload/dds_layout.h"
#include "texture_choices.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

const char CONVERT_HELP[] =
    "Usage: tovtex convert [OPTIONS] IN OUT.dds\n"
    "       tovtex convert [OPTIONS] -o DIR IN...\n"
    "       tovtex convert [OPTIONS] --cube-faces +X -X +Y -Y +Z -Z OUT.dds\n"
    "Loads each image into a texture as a program would and writes every level\n"
    "(and face) as a DDS file. IN or OUT '-': standard input or output.\n"
    "Block formats are compressed level by level from an uncompressed chain.\n"
    "\n"
    "  --format NAME      auto, DXT1..DXT5, A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5,\n"
    "                     A1R5G5B5, A4R4G4B4, L8, A8L8, A8, A4L4 or any other\n"
    "                     format a DDS header describes (default auto: the\n"
    "                     image's format when a DDS file can hold it, grey as\n"
    "                     L8 or A8L8, else X8R8G8B8 without alpha, A8R8G8B8 with)\n"
    "  --dx10             write a DX10 header (DXGI format) instead of the\n"
    "                     classic one\n"
    "  --srgb             the picture is sRGB: the lower levels are averaged in\n"
    "                     linear light, and the file says sRGB (implies --dx10;\n"
    "                     A8R8G8B8, X8R8G8B8 and DXT1..DXT5)\n"
    "  --premultiply      colour times alpha before the levels are built and\n"
    "                     compressed (DXT3 and DXT5 are written as DXT2 and\n"
    "                     DXT4; with --dx10 the header's alpha mode says so)\n"
    "  --quality Q        block formats: fast (the library's own encoder, the bytes\n"
    "                     its loaders write), normal or best (searching encoders,\n"
    "                     smaller error), all on every thread (default: normal)\n"
    "  --alpha-threshold N  DXT1: pixels with alpha below N (0..255) become\n"
    "                     transparent (default: 128; fast keeps 128)\n"
    "  --weights W        plain or perceptual colour error for normal and best\n"
    "                     (default: plain)\n"
    "  --size WxH         texture size (0 or omitted: from the image; cubes: N);\n"
    "                     above the device's limit it is an error\n"
    "  --max-size N       shrink so that neither side exceeds N, keeping the aspect\n"
    "  --mips N|all|none  mip levels (default: all)\n"
    "  --filter F         point, box, linear, triangle or none (default: triangle,\n"
    "                     dithered only where the format has fewer bits)\n"
    "  --mip-filter F     filter of the lower levels (default: box)\n"
    "  --mirror u,v,w     take samples beyond these edges from the edge\n"
    "  --dither           ordered dithering when writing pixels\n"
    "  --color-key AARRGGBB  pixels of this colour become transparent black\n"
    "  --cube             the input is a six-face cube map, or a cross of six\n"
    "                     squares (4:3 across, 3:4 upright) that is cut into one\n"
    "  --cube-faces       six pictures +X -X +Y -Y +Z -Z, all one square size,\n"
    "                     make one cube map: IN is the six files, then OUT.dds\n"
    "  --device PROFILE   modern (any size, a full chain on any size), d3d8 (sizes\n"
    "                     and chains as the library fits them for Direct3D 8),\n"
    "                     pow2 or square (default: modern)\n"
    "  --max-pixels N     refuse pictures of more than N pixels (default\n"
    "                     268435456, 16384 x 16384; 0: no limit)\n"
    "  -o, --output DIR   write DIR/<name>.dds for each input\n"
    "  -f, --force        overwrite outputs that exist\n"
    "  -q, --quiet        only errors on standard error\n"
    "  -v, --verbose      a line per file written\n"
    "  -j, --jobs N       threads: files are converted side by side, and threads\n"
    "                     left over compress the blocks of each file (default or\n"
    "                     0: one per core)\n"
    "  -h, --help         show this help\n";

struct ConvertOptions {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = DEFAULT_ARG;
    UINT height = DEFAULT_ARG;
    UINT mipLevels = DEFAULT_ARG;
    DWORD filter = FILTER_DEFAULT;
    DWORD mipFilter = FILTER_DEFAULT;
    DWORD mirror = 0;
    bool dither = false;
    D3DCOLOR colorKey = 0;
    bool cube = false;
    bool cubeFaces = false;
    bool srgb = false;
    bool premultiply = false;
    DWORD ddsFlags = 0;  // DDS_SAVE_*
    std::string device = "modern";
    UINT maxSize = 0;
    bool force = false;
    BlockQuality quality = BlockQuality::NORMAL;
    DxtEncodeOptions encoder;
};

// The filters for one picture: triangle for the texture, box for the lower
// levels, dither only where the destination keeps fewer bits than the
// picture has (or when asked); flags need a concrete filter.
void SettleFilters(const ConvertOptions& options, D3DFORMAT source, D3DFORMAT destination, DWORD* filter,
                   DWORD* mipFilter) {
    *filter = options.filter;
    *mipFilter = options.mipFilter;
    // Block formats are filtered in A8R8G8B8 and compressed afterwards.
    const D3DFORMAT written = IsDxtFormat(destination) ? D3DFMT_A8R8G8B8 : destination;
    if (*filter == FILTER_DEFAULT) {
        *filter = FILTER_TRIANGLE | (NeedsDither(source, written) ? FILTER_DITHER : 0);
    }
    if (*mipFilter == FILTER_DEFAULT) {
        *mipFilter = FILTER_BOX;
    }
    const DWORD flags = options.mirror | (options.dither ? FILTER_DITHER : 0);
    *filter |= flags;
    *mipFilter |= flags;
}

ChainRework ReworkOf(const ConvertOptions& options, DWORD mipFilter) {
    return {options.srgb, options.premultiply, mipFilter};
}

// Every texture is written through the library's DDS writer; a format with
// no DDS layout is refused there.
HRESULT WriteTexture(IDirect3DBaseTexture8* texture, const ConvertOptions& options, std::vector<BYTE>* dds) {
    return SaveDds(texture, options.ddsFlags, dds);
}

// The Direct3D 8 era profiles: the library's own loaders, whose fitting
// rounds sizes and level counts as such cards demanded.
HRESULT LoadAndWrite(IDirect3DDevice8* device, const BYTE* data, UINT size, const ConvertOptions& options,
                     D3DFORMAT format, DWORD filter, DWORD mipFilter, unsigned threads, std::vector<BYTE>* dds) {
    const BlockEncoding encoding{options.quality == BlockQuality::FAST, options.encoder, threads};
    const BlockLoadRequest blockRequest{options.width,
                                        options.height,
                                        options.mipLevels,
                                        format,
                                        filter,
                                        mipFilter,
                                        options.colorKey,
                                        options.cube,
                                        encoding,
                                        options.ddsFlags,
                                        ReworkOf(options, mipFilter)};
    bool compressedOnce = false;
    const HRESULT blockResult = LoadBlockTextureAsDds(device, data, size, blockRequest, dds, &compressedOnce);
    if (compressedOnce) {
        return blockResult;
    }
    if (options.cube) {
        IDirect3DCubeTexture8* cube = nullptr;
        HRESULT hr =
            LoadCubeTextureFromMemory(device, data, size, options.width, options.mipLevels, 0, format, D3DPOOL_MANAGED,
                                      filter, mipFilter, options.colorKey, nullptr, nullptr, &cube);
        if (SUCCEEDED(hr)) {
            hr = ReworkChain(device, cube, ReworkOf(options, mipFilter));
            if (SUCCEEDED(hr)) hr = WriteTexture(cube, options, dds);
            cube->Release();
        }
        return hr;
    }
    IDirect3DTexture8* texture = nullptr;
    HRESULT hr =
        LoadTextureFromMemory(device, data, size, options.width, options.height, options.mipLevels, 0, format,
                              D3DPOOL_MANAGED, filter, mipFilter, options.colorKey, nullptr, nullptr, &texture);
    if (SUCCEEDED(hr)) {
        hr = ReworkChain(device, texture, ReworkOf(options, mipFilter));
        if (SUCCEEDED(hr)) hr = WriteTexture(texture, options, dds);
        texture->Release();
    }
    return hr;
}

// A volume DDS file: the library loads no volumes from files, so the tool
// builds it from the front end's levels.
HRESULT LoadVolumeAndWrite(IDirect3DDevice8* device, const DdsFrontEnd& frontEnd, const ConvertOptions& options,
                           D3DFORMAT format, std::vector<BYTE>* dds, std::string* reason) {
    if (options.cube) {
        *reason = "the file holds a volume texture, not a cube map";
        return D3DERR_INVALIDCALL;
    }
    if (options.srgb || options.premultiply) {
        *reason = "--srgb and --premultiply take textures and cube maps, not volume textures";
        return D3DERR_INVALIDCALL;
    }
    DWORD filter = 0, mipFilter = 0;
    SettleFilters(options, frontEnd.format, format, &filter, &mipFilter);
    IDirect3DVolumeTexture8* volume = nullptr;
    HRESULT hr = LoadVolumeTexture(
        device, frontEnd,
        {options.width, options.height, options.mipLevels, format, filter, mipFilter, options.colorKey}, &volume);
    if (SUCCEEDED(hr)) {
        hr = WriteTexture(volume, options, dds);
        volume->Release();
    }
    return hr;
}

// What was asked of one picture and what the texture became.
struct Shape {
    UINT width = 0, height = 0, levels = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

std::string ShapeText(const Shape& shape) {
    return std::to_string(shape.width) + "x" + std::to_string(shape.height) + " " + FormatName(shape.format) + " " +
           std::to_string(shape.levels) + (shape.levels == 1 ? " level" : " levels");
}

// The modern profile: the texture gets exactly the size and chain asked.
HRESULT LoadAnyShapeAndWrite(IDirect3DDevice8* device, const Image& image, PendingPicture* pending,
                             const ConvertOptions& options, const AnyShape& asked, unsigned threads,
                             std::vector<BYTE>* dds, MappedOutputFile* output = nullptr) {
    D3DFORMAT format = asked.format;
    HRESULT hr = FitTexture(device, nullptr, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED);
    if (FAILED(hr)) {
        return hr;
    }
    AnyShape shape = asked;
    shape.format = IsDxtFormat(format) ? D3DFMT_A8R8G8B8 : format;
    const BlockEncoding encoding{options.quality == BlockQuality::FAST, options.encoder, threads};
    const ChainRework rework = ReworkOf(options, shape.mipFilter);
    if (options.cube) {
        hr = pending->Complete(image);
        if (FAILED(hr)) {
            return hr;
        }
        ComRef<IDirect3DCubeTexture8> cube;
        hr = LoadAnyShape(device, image, shape, &cube);
        if (SUCCEEDED(hr)) hr = ReworkChain(device, cube.Get(), rework);
        if (SUCCEEDED(hr)) {
            hr = IsDxtFormat(format) ? CompressToDds(device, cube.Get(), format, encoding, options.ddsFlags, dds)
                                     : WriteTexture(cube.Get(), options, dds);
        }
        return hr;
    }
    if (IsDxtFormat(format) && CompressesFromPicture(image, shape, rework, pending)) {
        return CompressPictureToDds(device, image, shape, format, encoding, options.ddsFlags, dds, pending, output);
    }
    hr = pending->Complete(image);
    if (FAILED(hr)) {
        return hr;
    }
    ComRef<IDirect3DTexture8> texture;
    hr = LoadAnyShape(device, image, shape, &texture);
    if (SUCCEEDED(hr)) hr = ReworkChain(device, texture.Get(), rework);
    if (SUCCEEDED(hr)) {
        hr = IsDxtFormat(format) ? CompressToDds(device, texture.Get(), format, encoding, options.ddsFlags, dds)
                                 : WriteTexture(texture.Get(), options, dds);
    }
    return hr;
}

// The sRGB flavours a DX10 header has.
bool HasSrgbForm(D3DFORMAT format) {
    const tovtex::DdsPixelFormat* layout = tovtex::FindDdsPixelFormat(format);
    return layout != nullptr && layout->dxgiSrgb != 0;
}

// assembled: the input's bytes made already (a cube map from six pictures),
// instead of reading the file input.
FileOutcome ConvertOne(IDirect3DDevice8* device, const D3DCAPS8& caps, const std::string& input,
                       const std::string& output, const ConvertOptions& given, unsigned threads,
                       FileBytes* assembled = nullptr) {
    ConvertOptions options = given;
    FileOutcome outcome;
    auto fail = [&](const std::string& error) {
        outcome.ok = false;
        outcome.error = error;
        return outcome;
    };
    std::string reason;
    if (!CheckOutput(output, options.force, &reason)) {
        return fail(reason);
    }
    const auto start = std::chrono::steady_clock::now();
    FileBytes file;
    HRESULT hr = S_OK;
    if (assembled != nullptr) {
        file = std::move(*assembled);
    } else {
        hr = ReadInput(input, &file, &reason);
    }
    if (FAILED(hr)) {
        return fail(ReadError(input, hr, reason));
    }
    DdsFrontEnd frontEnd;
    hr = ReadDdsFrontEnd(file.data.get(), file.size, &frontEnd, &reason);
    if (FAILED(hr)) {
        return fail(FileError(input, hr, reason));
    }
    // A DDS file's own format where the writer holds it (luminance, alpha).
    const D3DFORMAT natural = DdsHolds(frontEnd.naturalFormat, (options.ddsFlags & DDS_SAVE_DX10) != 0)
                                  ? frontEnd.naturalFormat
                                  : D3DFMT_UNKNOWN;
    std::vector<BYTE> dds;
    MappedOutputFile inPlace(output);
    if (frontEnd.volume) {
        hr = LoadVolumeAndWrite(device, frontEnd, options, options.format != D3DFMT_UNKNOWN ? options.format : natural,
                                &dds, &reason);
        if (FAILED(hr)) {
            return fail(FileError(input, hr, reason));
        }
        hr = WriteOutput(output, dds, &reason);
        return SUCCEEDED(hr) ? outcome : fail(WriteError(output, hr, reason));
    }
    const FileBytes& read = frontEnd.applied ? frontEnd.file : file;
    FileBytes cross;
    if (options.cube) {
        hr = CutCrossLayout(device, read.data.get(), read.size, &cross);
        if (FAILED(hr)) {
            return fail(FileError(input, hr));
        }
    }
    const FileBytes& bytes = cross.data != nullptr ? cross : read;
    Image image;
    // A picture the pipeline can compress while it is decoded is only
    // planned here; every other route has it decoded before it is used.
    PendingPicture pending;
    auto decodeFailure = [&](HRESULT failure) {
        return fail(FileError(input, failure,
                              failure == ERR_INVALIDDATA ? UnreadableCause(bytes.data.get(), bytes.size) : ""));
    };
    if (!(options.device == "modern" && !options.cube && pending.Defer(bytes.data.get(), bytes.size, &image))) {
        hr = DecodeImageFile(&image, bytes.data.get(), bytes.size, nullptr);
        if (FAILED(hr)) {
            return decodeFailure(hr);
        }
    }
    if (options.cube && image.FaceCount() != 6) {
        return fail(FileError(input, E_FAIL, "--cube: the picture is not a cube map and has no six faces"));
    }
    // A cube map keeps its six faces, asked or not.
    options.cube = image.FaceCount() == 6;
    // What is asked: the size given or the picture's, under --max-size; the
    // whole chain of that size unless a count is given.
    Shape asked;
    asked.format = options.format != D3DFMT_UNKNOWN ? options.format
                   : natural != D3DFMT_UNKNOWN
                       ? natural
                       : AutoFormat(image, options.colorKey, (options.ddsFlags & DDS_SAVE_DX10) != 0);
    if (options.srgb && options.format == D3DFMT_UNKNOWN && !HasSrgbForm(asked.format)) {
        asked.format =
            FindPixelFormat(asked.format).alphaBits != 0 || options.colorKey != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
    // Premultiplied levels are compressed as DXT3 and DXT5, then labelled:
    // the DXT2 and DXT4 codecs would multiply once more.
    if (options.premultiply && (asked.format == D3DFMT_DXT2 || asked.format == D3DFMT_DXT4)) {
        asked.format = asked.format == D3DFMT_DXT2 ? D3DFMT_DXT3 : D3DFMT_DXT5;
    }
    const UINT imageWidth = static_cast<UINT>(image.rect.right), imageHeight = static_cast<UINT>(image.rect.bottom);
    auto orImage = [](UINT given, UINT fromImage) { return given == 0 || given == DEFAULT_ARG ? fromImage : given; };
    if (options.cube) {
        asked.width = asked.height = orImage(options.width, std::max(imageWidth, imageHeight));
    } else {
        asked.width = orImage(options.width, imageWidth);
        asked.height = options.height == 0 || options.height == DEFAULT_ARG
                           ? (options.width == 0 || options.width == DEFAULT_ARG ? imageHeight : asked.width)
                           : options.height;
    }
    LimitSize(options.maxSize, &asked.width, &asked.height);
    const UINT fullChain = FullChain(asked.width, asked.height);
    asked.levels = options.mipLevels == 0 || options.mipLevels == DEFAULT_ARG ? fullChain : options.mipLevels;
    DWORD filter = 0, mipFilter = 0;
    SettleFilters(options, image.format, asked.format, &filter, &mipFilter);

    if (options.device == "modern") {
        if (asked.width > caps.MaxTextureWidth || asked.height > caps.MaxTextureHeight) {
            if (hr = pending.Complete(image); FAILED(hr)) {
                return decodeFailure(hr);
            }
            return fail(FileError(input, D3DERR_INVALIDCALL,
                                  "the texture would be " + std::to_string(asked.width) + "x" +
                                      std::to_string(asked.height) + ", above the device's limit of " +
                                      std::to_string(caps.MaxTextureWidth) + "x" +
                                      std::to_string(caps.MaxTextureHeight) + " (--max-size shrinks it)"));
        }
        const AnyShape shape{asked.width, asked.height,    std::min(asked.levels, fullChain), asked.format, filter,
                             mipFilter,   options.colorKey};
        hr = LoadAnyShapeAndWrite(device, image, &pending, options, shape, threads, &dds,
                                  IsStandardStream(output) ? nullptr : &inPlace);
        // A broken picture is reported as such, whatever step failed first.
        if (FAILED(hr) && pending.Pending()) {
            if (const HRESULT own = pending.Complete(image); FAILED(own)) {
                hr = own;
            }
        }
        if (FAILED(hr) && pending.Failed()) {
            return decodeFailure(hr);
        }
    } else {
        ConvertOptions sized = options;
        sized.width = asked.width;
        sized.height = asked.height;
        hr = LoadAndWrite(device, bytes.data.get(), bytes.size, sized, asked.format, filter, mipFilter, threads, &dds);
        // A format the device lacks keeps every channel in A8R8G8B8.
        if (hr == D3DERR_NOTAVAILABLE && options.format == D3DFMT_UNKNOWN) {
            hr = LoadAndWrite(device, bytes.data.get(), bytes.size, sized, D3DFMT_A8R8G8B8, filter, mipFilter, threads,
                              &dds);
        }
    }
    if (FAILED(hr)) {
        return fail(FileError(input, hr));
    }
    // The file's bytes: filled in place, or to be written.
    BYTE* const written = inPlace.Bytes() != nullptr ? inPlace.Bytes() : dds.data();
    const size_t writtenSize = inPlace.Bytes() != nullptr ? static_cast<size_t>(inPlace.Size()) : dds.size();
    file.data.reset();
    frontEnd.file.data.reset();
    // What the texture became, read back from the file it makes.
    Shape made = asked;
    {
        Image readBack;
        ImageInfo info{};
        if (SUCCEEDED(DecodeImageFile(&readBack, written, static_cast<UINT>(writtenSize), &info))) {
            made = {info.width, info.height, info.mipLevels, info.format};
        }
    }
    if (options.premultiply && (options.ddsFlags & DDS_SAVE_DX10) == 0) {
        LabelPremultipliedBlocks(written, writtenSize);
    }
    if (made.width != asked.width || made.height != asked.height || made.levels != asked.levels ||
        made.format != asked.format) {
        outcome.notice = input + ": note: the texture is " + ShapeText(made) + ", not " + ShapeText(asked) +
                         " as asked (device " + options.device + ")";
    }
    hr = inPlace.Bytes() != nullptr ? inPlace.Commit(&reason) : WriteOutput(output, dds, &reason);
    if (FAILED(hr)) {
        return fail(WriteError(output, hr, reason));
    }
    char seconds[32];
    std::snprintf(seconds, sizeof(seconds), "%.2f s",
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    outcome.detail =
        input + " -> " + output + ": " + ShapeText(made) + ", " + std::to_string(writtenSize) + " bytes, " + seconds;
    return outcome;
}

// Six pictures made into one cube map first, then converted as a cube DDS
// file would be; messages name the first picture.
FileOutcome ConvertCubeFaces(IDirect3DDevice8* device, const D3DCAPS8& caps, const std::vector<std::string>& faces,
                             const std::string& output, const ConvertOptions& options, unsigned threads) {
    FileOutcome outcome;
    FileBytes cube;
    if (!CheckOutput(output, options.force, &outcome.error) ||
        FAILED(AssembleCubeFaces(device, faces, &cube, &outcome.error))) {
        outcome.ok = false;
        return outcome;
    }
    return ConvertOne(device, caps, faces[0], output, options, threads, &cube);
}

// The tool's profiles and the software device's caps each one is given:
// "d3d8" is the capable card of its day and loads through the library's
// Direct3D 8 fitting; "modern" has today's limits and takes any size and
// chain.
const char* PlatformProfile(const std::string& name) {
    if (name == "modern") {
        return "modern";
    }
    if (name == "d3d8") {
        return "default";
    }
    if (name == "pow2" || name == "square") {
        return name == "pow2" ? "pow2" : "square";
    }
    return nullptr;
}

}  // namespace

int RunConvert(int argc, char** argv) {
    enum : int {
        OPT_FORMAT = 256,
        OPT_SIZE,
        OPT_MIPS,
        OPT_FILTER,
        OPT_MIP_FILTER,
        OPT_MIRROR,
        OPT_DITHER,
        OPT_COLOR_KEY,
        OPT_CUBE,
        OPT_DEVICE,
        OPT_MAX_PIXELS,
        OPT_QUALITY,
        OPT_ALPHA_THRESHOLD,
        OPT_WEIGHTS,
        OPT_MAX_SIZE,
        OPT_DX10,
        OPT_SRGB,
        OPT_PREMULTIPLY,
        OPT_CUBE_FACES
    };
    static const option OPTIONS[] = {
        {"format", required_argument, nullptr, OPT_FORMAT},
        {"size", required_argument, nullptr, OPT_SIZE},
        {"mips", required_argument, nullptr, OPT_MIPS},
        {"filter", required_argument, nullptr, OPT_FILTER},
        {"mip-filter", required_argument, nullptr, OPT_MIP_FILTER},
        {"mirror", required_argument, nullptr, OPT_MIRROR},
        {"dither", no_argument, nullptr, OPT_DITHER},
        {"color-key", required_argument, nullptr, OPT_COLOR_KEY},
        {"cube", no_argument, nullptr, OPT_CUBE},
        {"device", required_argument, nullptr, OPT_DEVICE},
        {"max-pixels", required_argument, nullptr, OPT_MAX_PIXELS},
        {"quality", required_argument, nullptr, OPT_QUALITY},
        {"alpha-threshold", required_argument, nullptr, OPT_ALPHA_THRESHOLD},
        {"weights", required_argument, nullptr, OPT_WEIGHTS},
        {"max-size", required_argument, nullptr, OPT_MAX_SIZE},
        {"force", no_argument, nullptr, 'f'},
        {"quiet", no_argument, nullptr, 'q'},
        {"verbose", no_argument, nullptr, 'v'},
        {"dx10", no_argument, nullptr, OPT_DX10},
        {"srgb", no_argument, nullptr, OPT_SRGB},
        {"premultiply", no_argument, nullptr, OPT_PREMULTIPLY},
        {"cube-faces", no_argument, nullptr, OPT_CUBE_FACES},
        {"output", required_argument, nullptr, 'o'},
        {"jobs", required_argument, nullptr, 'j'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    ConvertOptions options;
    std::string outputDir;
    unsigned threads = CoreCount();
    optind = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":o:j:hfqv", OPTIONS, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        auto bad = [&](const char* what) {
            return UsageError("convert", std::string("bad ") + what + " '" + value + "'");
        };
        switch (c) {
        case OPT_FORMAT:
            options.format = value == "auto" ? D3DFMT_UNKNOWN : ParseFormatName(value);
            if (value != "auto" && !DdsHolds(options.format)) {
                return bad(
                    "format (DDS files take DXT1..DXT5, A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, "
                    "A4R4G4B4, L8, A8L8, A8, A4L4 and the other formats a DDS header describes)");
            }
            break;
        case OPT_DX10: options.ddsFlags |= DDS_SAVE_DX10; break;
        case OPT_SRGB: options.srgb = true; break;
        case OPT_PREMULTIPLY: options.premultiply = true; break;
        case OPT_CUBE_FACES: options.cubeFaces = options.cube = true; break;
        case OPT_SIZE:
            if (!ParseSize(value, &options.width, &options.height)) return bad("size");
            break;
        case OPT_MIPS:
            if (!ParseMips(value, &options.mipLevels)) return bad("mip level count");
            break;
        case OPT_FILTER:
            if (!ParseFilter(value, &options.filter)) return bad("filter");
            break;
        case OPT_MIP_FILTER:
            if (!ParseFilter(value, &options.mipFilter)) return bad("mip filter");
            break;
        case OPT_MIRROR:
            if (!ParseMirror(value, &options.mirror)) return bad("mirror axes");
            break;
        case OPT_DITHER: options.dither = true; break;
        case OPT_COLOR_KEY:
            if (!ParseColorKey(value, &options.colorKey)) return bad("colour key (AARRGGBB)");
            break;
        case OPT_CUBE: options.cube = true; break;
        case OPT_DEVICE:
            options.device = value == "default" ? "modern" : value;
            if (PlatformProfile(options.device) == nullptr) return bad("device profile (modern, d3d8, pow2, square)");
            break;
        case OPT_MAX_PIXELS: {
            ULONGLONG pixels = 0;
            if (!ParsePixelLimit(value, &pixels)) return bad("pixel count");
            SetImagePixelLimit(pixels);
            break;
        }
        case OPT_QUALITY:
            if (!ParseQuality(value, &options.quality)) return bad("quality (fast, normal, best)");
            options.encoder.quality = options.quality == BlockQuality::BEST ? DXT_QUALITY_BEST : DXT_QUALITY_NORMAL;
            break;
        case OPT_ALPHA_THRESHOLD: {
            UINT threshold = 0;
            if (!ParseCount(value, 255, &threshold)) return bad("alpha threshold (0..255)");
            options.encoder.alphaThreshold = static_cast<BYTE>(threshold);
            break;
        }
        case OPT_WEIGHTS:
            if (!ParseWeights(value, &options.encoder.perceptual)) return bad("weights (plain, perceptual)");
            break;
        case OPT_MAX_SIZE:
            if (!ParseCount(value, 1u << 20, &options.maxSize) || options.maxSize == 0) return bad("largest size");
            break;
        case 'f': options.force = true; break;
        case 'q': SetVerbosity(Verbosity::QUIET); break;
        case 'v': SetVerbosity(Verbosity::VERBOSE); break;
        case 'o': outputDir = value; break;
        case 'j':
            if (!ParseThreads(value, 256, &threads)) return bad("job count");
            break;
        case 'h': std::fputs(CONVERT_HELP, stdout); return EXIT_DONE;
        case ':': return UsageError("convert", std::string("option '") + argv[optind - 1] + "' needs a value");
        default: return UsageError("convert", std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    // The library's encoder has its own fixed rules; say so rather than
    // ignore what was asked.
    if (options.quality == BlockQuality::FAST && options.encoder.alphaThreshold != DxtEncodeOptions{}.alphaThreshold) {
        return UsageError("convert", "--alpha-threshold needs --quality normal or best (fast keeps 128)");
    }
    if (options.quality == BlockQuality::FAST && options.encoder.perceptual) {
        return UsageError("convert", "--weights perceptual needs --quality normal or best");
    }
    // Only the DX10 header can say sRGB, so --srgb writes one.
    if (options.srgb) {
        if (options.format != D3DFMT_UNKNOWN && !HasSrgbForm(options.format)) {
            return UsageError("convert", "--srgb: " + FormatName(options.format) +
                                             " has no sRGB form; choose A8R8G8B8, X8R8G8B8 or DXT1..DXT5");
        }
        const DWORD mip = options.mipFilter & 0xFF;
        if (options.mipFilter != FILTER_DEFAULT && mip != FILTER_BOX && mip != FILTER_POINT) {
            return UsageError("convert", "--srgb averages the lower levels in linear light: --mip-filter box or point");
        }
        options.ddsFlags |= DDS_SAVE_DX10 | DDS_SAVE_SRGB;
    }
    if (options.premultiply && (options.ddsFlags & DDS_SAVE_DX10) != 0) {
        options.ddsFlags |= DDS_SAVE_PREMULTIPLIED;
    }
    if ((options.ddsFlags & DDS_SAVE_DX10) != 0 && options.format != D3DFMT_UNKNOWN &&
        tovtex::FindDdsPixelFormat(options.format)->dxgi == 0) {
        return UsageError("convert", "--dx10: " + FormatName(options.format) +
                                         " has no DXGI format; choose another --format or leave out --dx10");
    }
    if (options.cube && options.width != DEFAULT_ARG && options.width != options.height) {
        return UsageError("convert", "a cube map has one size: --size N");
    }
    std::vector<std::string> positional(argv + optind, argv + argc), faces;
    if (options.cubeFaces) {
        if (!outputDir.empty() || positional.size() != 7) {
            return UsageError("convert", "--cube-faces takes six pictures, +X -X +Y -Y +Z -Z, then OUT.dds");
        }
        faces.assign(positional.begin(), positional.begin() + 6);
        positional.erase(positional.begin() + 1, positional.begin() + 6);
    }
    std::vector<std::string> inputs, outputs;
    std::string message;
    if (!PairOutputs(positional, outputDir, ".dds", &inputs, &outputs, &message)) {
        return UsageError("convert", message);
    }
    static const char* const DDS_EXTENSIONS[] = {".dds", nullptr};
    for (const std::string& output : outputs) {
        if (!IsStandardStream(output) && !HasExtension(output, DDS_EXTENSIONS)) {
            return UsageError("convert", output + ": convert writes DDS files: the output's name must end in .dds");
        }
    }
    // Whole files side by side first (loading and filtering run on one
    // thread per file); the threads left over share out among the files to
    // compress their blocks.
    const unsigned fileThreads = static_cast<unsigned>(std::min<size_t>(threads, inputs.size()));
    auto blockThreads = [&](unsigned worker) {
        return threads / fileThreads + (worker < threads % fileThreads ? 1 : 0);
    };
    SoftwareDevices devices;
    HRESULT hr = devices.Create(PlatformProfile(options.device), fileThreads);
    D3DCAPS8 caps{};
    if (SUCCEEDED(hr)) {
        hr = devices.At(0)->GetDeviceCaps(&caps);
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "tovtex convert: no software device: %s\n", DescribeResult(hr).c_str());
        return EXIT_FILE_FAILED;
    }
    // A size asked for is kept or refused, never cut down in silence.
    if (options.width != DEFAULT_ARG &&
        (options.width > caps.MaxTextureWidth || options.height > caps.MaxTextureHeight)) {
        return UsageError("convert", "--size " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                                         " is above the device's limit of " + std::to_string(caps.MaxTextureWidth) +
                                         "x" + std::to_string(caps.MaxTextureHeight));
    }
    BatchSettings settings;
    settings.threads = fileThreads;
    settings.progress = true;
    settings.summary = inputs.size() > 1;
    const auto outcomes = RunBatch(inputs, settings, [&](size_t index, unsigned worker) {
        if (options.cubeFaces) {
            return ConvertCubeFaces(devices.At(worker), caps, faces, outputs[index], options, blockThreads(worker));
        }
        return ConvertOne(devices.At(worker), caps, inputs[index], outputs[index], options, blockThreads(worker));
    });
    for (const FileOutcome& outcome : outcomes) {
        if (!outcome.ok) {
            return EXIT_FILE_FAILED;
        }
    }
    return EXIT_DONE;
}

}  // namespace tovtex_tool
