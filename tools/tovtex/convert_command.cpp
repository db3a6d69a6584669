// tovtex convert: image files into DDS textures through the library's front
// door, fitted to a software device profile.

#include <getopt.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "batch.h"
#include "block_chain.h"
#include "cli.h"
#include "d3d8_profiles.h"
#include "dds_front_end.h"
#include "dds_volume_loader.h"
#include "dds_volume_writer.h"
#include "dds_writer.h"
#include "file_bytes.h"
#include "format_names.h"
#include "option_values.h"
#include "software_devices.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

const char CONVERT_HELP[] =
    "Usage: tovtex convert [OPTIONS] IN OUT.dds\n"
    "       tovtex convert [OPTIONS] -o DIR IN...\n"
    "Loads each image into a texture as a program would (size, levels and format\n"
    "fitted to the device) and writes every level (and face) as a DDS file.\n"
    "Block formats are compressed level by level from an uncompressed chain.\n"
    "\n"
    "  --format NAME      DXT1..DXT5, A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5,\n"
    "                     A1R5G5B5 or A4R4G4B4 (default: the image's format when\n"
    "                     a DDS file can hold it, else A8R8G8B8)\n"
    "  --quality Q        block formats: fast (the library's own encoder, the bytes\n"
    "                     its loaders write), normal or best (searching encoders,\n"
    "                     smaller error, on every thread) (default: normal)\n"
    "  --alpha-threshold N  DXT1: pixels with alpha below N (0..255) become\n"
    "                     transparent (default: 128; fast keeps 128)\n"
    "  --weights W        plain or perceptual colour error for normal and best\n"
    "                     (default: plain)\n"
    "  --size WxH         texture size (0 or omitted: from the image; cubes: N)\n"
    "  --mips N|all|none  mip levels (default: all)\n"
    "  --filter F         point, box, linear, triangle or none (default:\n"
    "                     triangle with dithering)\n"
    "  --mip-filter F     filter of the lower levels (default: box)\n"
    "  --mirror u,v,w     take samples beyond these edges from the edge\n"
    "  --dither           ordered dithering when writing pixels\n"
    "  --color-key AARRGGBB  pixels of this colour become transparent black\n"
    "  --cube             the input is a six-face cube map\n"
    "  --device PROFILE   default, pow2 or square (default: default)\n"
    "  --max-pixels N     refuse pictures of more than N pixels (default\n"
    "                     268435456, 16384 x 16384; 0: no limit)\n"
    "  -o, --output DIR   write DIR/<name>.dds for each input\n"
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
    std::string device = "default";
    BlockQuality quality = BlockQuality::NORMAL;
    DxtEncodeOptions encoder;
};

// The filter arguments handed to the loader: flags need a concrete filter,
// so an unnamed filter with flags takes the loader's own defaults.
void SettleFilters(const ConvertOptions& options, DWORD* filter, DWORD* mipFilter) {
    *filter = options.filter;
    *mipFilter = options.mipFilter;
    const DWORD flags = options.mirror | (options.dither ? FILTER_DITHER : 0);
    if (flags == 0) {
        return;
    }
    if (*filter == FILTER_DEFAULT) {
        *filter = FILTER_TRIANGLE | FILTER_DITHER;
    }
    if (*mipFilter == FILTER_DEFAULT) {
        *mipFilter = FILTER_BOX;
    }
    *filter |= flags;
    *mipFilter |= flags;
}

HRESULT LoadAndWrite(IDirect3DDevice8* device, const BYTE* data, UINT size, const ConvertOptions& options,
                     D3DFORMAT format, unsigned threads, std::vector<BYTE>* dds) {
    DWORD filter = 0, mipFilter = 0;
    SettleFilters(options, &filter, &mipFilter);
    const BlockEncoding encoding{options.quality == BlockQuality::FAST, options.encoder, threads};
    const BlockLoadRequest blockRequest{options.width, options.height,   options.mipLevels, format,  filter,
                                        mipFilter,     options.colorKey, options.cube,      encoding};
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
            hr = CubeTextureToDds(cube, dds);
            cube->Release();
        }
        return hr;
    }
    IDirect3DTexture8* texture = nullptr;
    HRESULT hr =
        LoadTextureFromMemory(device, data, size, options.width, options.height, options.mipLevels, 0, format,
                              D3DPOOL_MANAGED, filter, mipFilter, options.colorKey, nullptr, nullptr, &texture);
    if (SUCCEEDED(hr)) {
        hr = TextureToDds(texture, dds);
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
    DWORD filter = 0, mipFilter = 0;
    SettleFilters(options, &filter, &mipFilter);
    IDirect3DVolumeTexture8* volume = nullptr;
    HRESULT hr = LoadVolumeTexture(
        device, frontEnd, {options.width, options.height, options.mipLevels, format, filter, mipFilter, options.colorKey},
        &volume);
    if (SUCCEEDED(hr)) {
        hr = VolumeTextureToDds(volume, dds);
        volume->Release();
    }
    return hr;
}

FileOutcome ConvertOne(IDirect3DDevice8* device, const std::string& input, const std::string& output,
                       const ConvertOptions& options, unsigned threads) {
    FileOutcome outcome;
    std::string reason;
    HRESULT hr = CheckOutputFile(output, &reason);
    if (FAILED(hr)) {
        outcome.ok = false;
        outcome.error = FileError(output, hr, reason);
        return outcome;
    }
    FileBytes file;
    hr = ReadWholeFile(input, &file, &reason);
    std::vector<BYTE> dds;
    DdsFrontEnd frontEnd;
    if (SUCCEEDED(hr)) {
        hr = ReadDdsFrontEnd(file.data.get(), file.size, &frontEnd, &reason);
    }
    const FileBytes& bytes = frontEnd.applied ? frontEnd.file : file;
    // A DDS file's own format where the writer holds it (luminance, alpha).
    const D3DFORMAT format = options.format == D3DFMT_UNKNOWN && IsDdsWritable(frontEnd.naturalFormat)
                                 ? frontEnd.naturalFormat
                                 : options.format;
    if (SUCCEEDED(hr) && frontEnd.volume) {
        hr = LoadVolumeAndWrite(device, frontEnd, options, format, &dds, &reason);
    } else if (SUCCEEDED(hr)) {
        hr = LoadAndWrite(device, bytes.data.get(), bytes.size, options, format, threads, &dds);
        // The image's own format (luminance, palette, 24-bit...) may have no
        // DDS layout the reader takes; keep every channel in A8R8G8B8.
        if (hr == D3DERR_NOTAVAILABLE && options.format == D3DFMT_UNKNOWN) {
            hr = LoadAndWrite(device, bytes.data.get(), bytes.size, options, D3DFMT_A8R8G8B8, threads, &dds);
        }
    }
    if (FAILED(hr)) {
        outcome.ok = false;
        outcome.error = FileError(input, hr, reason);
        return outcome;
    }
    file.data.reset();
    frontEnd.file.data.reset();
    hr = WriteWholeFile(output, dds, &reason);
    if (FAILED(hr)) {
        outcome.ok = false;
        outcome.error = FileError(output, hr, reason);
    }
    return outcome;
}

bool KnownProfile(const std::string& name) {
    for (const char* const* known = platform::DeviceProfileNames(); *known != nullptr; ++known) {
        if (name == *known) {
            return true;
        }
    }
    return false;
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
        OPT_WEIGHTS
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
    for (int c; (c = getopt_long(argc, argv, ":o:j:h", OPTIONS, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        auto bad = [&](const char* what) {
            return UsageError("convert", std::string("bad ") + what + " '" + value + "'");
        };
        switch (c) {
        case OPT_FORMAT:
            options.format = ParseFormatName(value);
            if (!IsDdsWritable(options.format)) {
                return bad(
                    "format (DDS files take DXT1..DXT5, A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, "
                    "A4R4G4B4)");
            }
            break;
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
            if (!KnownProfile(value)) return bad("device profile (default, pow2, square)");
            options.device = value;
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
    if (options.cube && options.width != DEFAULT_ARG && options.width != options.height) {
        return UsageError("convert", "a cube map has one size: --size N");
    }
    std::vector<std::string> inputs, outputs;
    std::string message;
    if (!PairOutputs(std::vector<std::string>(argv + optind, argv + argc), outputDir, ".dds", &inputs, &outputs,
                     &message)) {
        return UsageError("convert", message);
    }
    // Whole files side by side first (loading and filtering run on one
    // thread per file); the threads left over share out among the files to
    // compress their blocks.
    const unsigned fileThreads = static_cast<unsigned>(std::min<size_t>(threads, inputs.size()));
    auto blockThreads = [&](unsigned worker) {
        return threads / fileThreads + (worker < threads % fileThreads ? 1 : 0);
    };
    SoftwareDevices devices;
    const HRESULT hr = devices.Create(options.device.c_str(), fileThreads);
    if (FAILED(hr)) {
        std::fprintf(stderr, "tovtex convert: no software device: %s\n", FileError("device", hr).c_str());
        return EXIT_FILE_FAILED;
    }
    BatchSettings settings;
    settings.threads = fileThreads;
    settings.progress = inputs.size() > 1;
    settings.summary = inputs.size() > 1;
    const auto outcomes = RunBatch(inputs, settings, [&](size_t index, unsigned worker) {
        return ConvertOne(devices.At(worker), inputs[index], outputs[index], options, blockThreads(worker));
    });
    for (const FileOutcome& outcome : outcomes) {
        if (!outcome.ok) {
            return EXIT_FILE_FAILED;
        }
    }
    return EXIT_DONE;
}

}  // namespace tovtex_tool
