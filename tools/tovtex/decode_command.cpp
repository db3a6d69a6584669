// tovtex decode: one level of one face of an image file as a PNG picture,
// converted to A8R8G8B8 by the library's conversion engine.

#include <getopt.h>

#include <cstdio>
#include <string>
#include <vector>

#include "batch.h"
#include "cli.h"
#include "dds_front_end.h"
#include "dds_writer.h"
#include "failure_cause.h"
#include "file_bytes.h"
#include "option_values.h"
#include "png_writer.h"
#include "tga_writer.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

const char DECODE_HELP[] =
    "Usage: tovtex decode [OPTIONS] IN OUT.png|OUT.tga\n"
    "       tovtex decode [OPTIONS] -o DIR IN...\n"
    "Writes one mip level of one face of an image file as an RGBA PNG or Targa\n"
    "picture, as the output's name says. IN or OUT '-': standard input or output\n"
    "(PNG).\n"
    "\n"
    "  --level N          the mip level (default 0, the largest)\n"
    "  --face F           the cube face, 0..5 for +X, -X, +Y, -Y, +Z, -Z (default 0)\n"
    "  --slice S          the slice of a volume texture's level (default 0)\n"
    "  --max-pixels N     refuse pictures of more than N pixels (default\n"
    "                     268435456, 16384 x 16384; 0: no limit)\n"
    "  -o, --output DIR   write DIR/<name>.png for each input\n"
    "  -f, --force        overwrite outputs that exist\n"
    "  -q, --quiet        only errors on standard error\n"
    "  -v, --verbose      a line per file written\n"
    "  -j, --jobs N       decode N files at a time (0: one per core)\n"
    "  -h, --help         show this help\n";

// Picks the image of the given face and level; null when there is none.
const Image* FindLevel(const Image& root, UINT face, UINT level) {
    const Image* image = &root;
    for (UINT f = 0; f < face && image != nullptr; ++f) {
        image = image->nextFace;
    }
    for (UINT l = 0; l < level && image != nullptr; ++l) {
        image = image->nextLevel;
    }
    return image;
}

// The pixels of one slice of one level of a volume the front end read.
struct SourcePixels {
    const BYTE* pixels = nullptr;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT rowPitch = 0;
    UINT width = 0, height = 0;
    const PALETTEENTRY* palette = nullptr;
};

bool FindVolumeSlice(const DdsFrontEnd& frontEnd, UINT level, UINT slice, SourcePixels* source) {
    if (level >= frontEnd.levels) {
        return false;
    }
    UINT depth = 0;
    const BYTE* pixels = VolumeLevel(frontEnd, level, &source->width, &source->height, &depth);
    if (slice >= depth) {
        return false;
    }
    source->format = frontEnd.format;
    source->rowPitch = static_cast<UINT>(DdsRowBytes(frontEnd.format, source->width));
    source->pixels = pixels + uint64_t{slice} * source->rowPitch * DdsRowCount(frontEnd.format, source->height);
    return true;
}

FileOutcome DecodeOne(const std::string& input, const std::string& output, UINT face, UINT level, UINT slice,
                      bool force) {
    FileOutcome outcome;
    std::string reason;
    auto fail = [&](const std::string& error) {
        outcome.ok = false;
        outcome.error = error;
        return outcome;
    };
    if (!CheckOutput(output, force, &reason)) {
        return fail(reason);
    }
    FileBytes file;
    HRESULT hr = ReadInput(input, &file, &reason);
    if (FAILED(hr)) {
        return fail(ReadError(input, hr, reason));
    }
    DdsFrontEnd frontEnd;
    hr = ReadDdsFrontEnd(file.data.get(), file.size, &frontEnd, &reason);
    if (FAILED(hr)) {
        return fail(FileError(input, hr, reason));
    }
    SourcePixels chosen;
    Image root;
    if (frontEnd.volume) {
        if (face != 0 || !FindVolumeSlice(frontEnd, level, slice, &chosen)) {
            return fail(FileError(input, D3DERR_INVALIDCALL,
                                  "there is no face " + std::to_string(face) + ", level " + std::to_string(level) +
                                      ", slice " + std::to_string(slice) + ": the file is a volume of " +
                                      std::to_string(frontEnd.levels) + " level(s), depth " +
                                      std::to_string(frontEnd.depth) + " at the top"));
        }
    } else {
        const FileBytes& bytes = frontEnd.applied ? frontEnd.file : file;
        hr = DecodeImageFile(&root, bytes.data.get(), bytes.size, nullptr);
        if (FAILED(hr)) {
            return fail(
                FileError(input, hr, hr == ERR_INVALIDDATA ? UnreadableCause(bytes.data.get(), bytes.size) : ""));
        }
        const Image* image = FindLevel(root, face, level);
        if (image == nullptr || slice != 0) {
            const UINT faces = root.FaceCount(), levels = root.LevelCount();
            return fail(FileError(input, D3DERR_INVALIDCALL,
                                  "there is no face " + std::to_string(face) + ", level " + std::to_string(level) +
                                      (slice != 0 ? ", slice " + std::to_string(slice) : std::string()) +
                                      ": the file has " + std::to_string(faces) + (faces == 1 ? " face" : " faces") +
                                      " of " + std::to_string(levels) + (levels == 1 ? " level" : " levels")));
        }
        chosen = {image->pixels,
                  image->format,
                  image->rowPitch,
                  static_cast<UINT>(image->rect.right - image->rect.left),
                  static_cast<UINT>(image->rect.bottom - image->rect.top),
                  image->palette};
    }
    const UINT width = chosen.width;
    const UINT height = chosen.height;
    std::vector<uint32_t> pixels(uint64_t{width} * height);

    PixelRegion source{};
    source.pixels = const_cast<BYTE*>(chosen.pixels);
    source.format = chosen.format;
    source.rowPitch = static_cast<INT>(chosen.rowPitch);
    source.box = {0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, 1};
    source.palette = chosen.palette;
    PixelRegion destination{};
    destination.pixels = reinterpret_cast<BYTE*>(pixels.data());
    destination.format = D3DFMT_A8R8G8B8;
    destination.rowPitch = static_cast<INT>(width * 4);
    destination.surfaceBox = {0, 0, width, height, 0, 1};
    destination.box = {0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, 1};
    hr = ConvertRegion(&destination, &source, FILTER_NONE);
    if (FAILED(hr)) {
        return fail(FileError(input, hr));
    }
    static const char* const TGA_EXTENSIONS[] = {".tga", nullptr};
    const bool tga = HasExtension(output, TGA_EXTENSIONS);
    std::vector<BYTE> picture;
    hr = tga ? EncodeTga(pixels.data(), width, height, &picture) : EncodePng(pixels.data(), width, height, &picture);
    if (FAILED(hr)) {
        return fail(WriteError(output, hr));
    }
    hr = WriteOutput(output, picture, &reason);
    if (FAILED(hr)) {
        return fail(WriteError(output, hr, reason));
    }
    outcome.detail = input + " -> " + output + ": " + std::to_string(width) + "x" + std::to_string(height) + ", " +
                     std::to_string(picture.size()) + " bytes";
    return outcome;
}

}  // namespace

int RunDecode(int argc, char** argv) {
    enum : int { OPT_LEVEL = 256, OPT_FACE, OPT_SLICE, OPT_MAX_PIXELS };
    static const option OPTIONS[] = {
        {"level", required_argument, nullptr, OPT_LEVEL},
        {"face", required_argument, nullptr, OPT_FACE},
        {"slice", required_argument, nullptr, OPT_SLICE},
        {"max-pixels", required_argument, nullptr, OPT_MAX_PIXELS},
        {"force", no_argument, nullptr, 'f'},
        {"quiet", no_argument, nullptr, 'q'},
        {"verbose", no_argument, nullptr, 'v'},
        {"output", required_argument, nullptr, 'o'},
        {"jobs", required_argument, nullptr, 'j'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    UINT level = 0, face = 0, slice = 0, threads = 1;
    bool force = false;
    std::string outputDir;
    optind = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":o:j:hfqv", OPTIONS, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        auto bad = [&](const char* what) {
            return UsageError("decode", std::string("bad ") + what + " '" + value + "'");
        };
        switch (c) {
        case OPT_LEVEL:
            if (!ParseCount(value, 31, &level)) return bad("level");
            break;
        case OPT_FACE:
            if (!ParseCount(value, 5, &face)) return bad("face (0..5)");
            break;
        case OPT_SLICE:
            if (!ParseCount(value, 1u << 20, &slice)) return bad("slice");
            break;
        case OPT_MAX_PIXELS: {
            ULONGLONG pixels = 0;
            if (!ParsePixelLimit(value, &pixels)) return bad("pixel count");
            SetImagePixelLimit(pixels);
            break;
        }
        case 'f': force = true; break;
        case 'q': SetVerbosity(Verbosity::QUIET); break;
        case 'v': SetVerbosity(Verbosity::VERBOSE); break;
        case 'o': outputDir = value; break;
        case 'j':
            if (!ParseThreads(value, 256, &threads)) return bad("job count");
            break;
        case 'h': std::fputs(DECODE_HELP, stdout); return EXIT_DONE;
        case ':': return UsageError("decode", std::string("option '") + argv[optind - 1] + "' needs a value");
        default: return UsageError("decode", std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    std::vector<std::string> inputs, outputs;
    std::string message;
    if (!PairOutputs(std::vector<std::string>(argv + optind, argv + argc), outputDir, ".png", &inputs, &outputs,
                     &message)) {
        return UsageError("decode", message);
    }
    static const char* const PICTURE_EXTENSIONS[] = {".png", ".tga", nullptr};
    for (const std::string& output : outputs) {
        if (!IsStandardStream(output) && !HasExtension(output, PICTURE_EXTENSIONS)) {
            return UsageError("decode", output +
                                            ": decode writes PNG or Targa files: the output's name must end in "
                                            ".png or .tga");
        }
    }
    BatchSettings settings;
    settings.threads = threads;
    settings.progress = true;
    settings.summary = inputs.size() > 1;
    const auto outcomes = RunBatch(inputs, settings, [&](size_t index, unsigned) {
        return DecodeOne(inputs[index], outputs[index], face, level, slice, force);
    });
    for (const FileOutcome& outcome : outcomes) {
        if (!outcome.ok) {
            return EXIT_FILE_FAILED;
        }
    }
    return EXIT_DONE;
}

}  // namespace tovtex_tool
