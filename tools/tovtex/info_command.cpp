// tovtex info: what each file holds, as the library reads it.

#include <getopt.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/tovtex_defs.h"
#include "batch.h"
#include "cli.h"
#include "dds_front_end.h"
#include "failure_cause.h"
#include "file_bytes.h"
#include "format_names.h"
#include "json_text.h"
#include "mapped_input.h"
#include "option_values.h"
#include "result_text.h"
#include "texload/image_file_info.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"
#include "texload/result_text.h"

namespace tovtex_tool {

namespace {

const char INFO_HELP[] =
    "Usage: tovtex info [OPTIONS] FILE...\n"
    "Shows for each image file the reader that accepts it (BMP, PPM, DDS, JPEG,\n"
    "PNG, TGA, DIB), its pixel format, width, height, depth, mip levels and faces,\n"
    "from the file's header: the pixels are not decoded.\n"
    "\n"
    "  --check           decode each file in full too, and fail a file whose\n"
    "                    header is sound but whose pixel data is not\n"
    "  --json            one JSON array with an object per file\n"
    "  --max-pixels N    refuse pictures of more than N pixels (default\n"
    "                    268435456, 16384 x 16384; 0: no limit)\n"
    "  -q, --quiet       no progress bar\n"
    "  -v, --verbose     (accepted for symmetry with the other commands)\n"
    "  -j, --jobs N      read N files at a time (0: one per core)\n"
    "  -h, --help        show this help\n";

struct FileInfo {
    const char* reader = "";
    std::string format;
    UINT width = 0, height = 0, depth = 1, mipLevels = 0, faces = 0;
};

// DDS layouts the tool converts are described as the file stores them
// (*converted set); every other file by the library's header test.
HRESULT Describe(const BYTE* data, UINT size, FileInfo* info, std::string* reason, bool* converted) {
    DdsFrontEnd frontEnd;
    HRESULT hr = ReadDdsFrontEnd(data, size, &frontEnd, reason);
    *converted = frontEnd.applied;
    if (FAILED(hr)) {
        return hr;
    }
    if (frontEnd.applied) {
        info->reader = "DDS";
        info->format = frontEnd.layoutName;
        info->width = frontEnd.width;
        info->height = frontEnd.height;
        info->depth = frontEnd.depth;
        info->mipLevels = frontEnd.levels;
        info->faces = frontEnd.faces;
        return S_OK;
    }
    ImageFileDescription description;
    hr = DescribeImageFile(data, size, &description);
    if (SUCCEEDED(hr)) {
        info->reader = description.reader;
        info->format = FormatName(description.info.format);
        info->width = description.info.width;
        info->height = description.info.height;
        info->mipLevels = description.info.mipLevels;
        info->faces = description.faces;
    }
    return hr;
}

// The header alone says what the file holds, so a mapped file is looked at
// without reading the pixels in. With check, the file is decoded as a
// loader would, and a header the pixels do not bear out fails.
HRESULT ReadInfo(const std::string& path, bool check, FileInfo* info, std::string* reason) {
    HRESULT hr = E_FAIL;
    bool converted = false;
    if (!check && ReadMapped(path, [&](const BYTE* data, UINT size) {
            hr = Describe(data, size, info, reason, &converted);
            if (hr == ERR_INVALIDDATA && reason->empty()) {
                *reason = UnreadableCause(data, size);
            }
        })) {
        return hr;
    }
    FileBytes file;
    hr = ReadInput(path, &file, reason);
    if (FAILED(hr)) {
        *reason = "cannot read: " + (reason->empty() ? std::string(ResultText(hr)) : *reason);
        return hr;
    }
    hr = Describe(file.data.get(), file.size, info, reason, &converted);
    if (FAILED(hr)) {
        if (hr == ERR_INVALIDDATA && reason->empty()) {
            *reason = UnreadableCause(file.data.get(), file.size);
        }
        return hr;
    }
    // A converted file's pixels were all read by the conversion.
    if (check && !converted) {
        // The decode has the last word, down to which reader takes the file.
        Image image;
        hr = DecodeImageFileNamingReader(&image, file.data.get(), file.size, nullptr, &info->reader);
        if (FAILED(hr)) {
            *reason = std::string("the ") + info->reader + " header is sound but the pixel data is not";
            return hr;
        }
        info->format = FormatName(image.format);
        info->width = static_cast<UINT>(image.rect.right);
        info->height = static_cast<UINT>(image.rect.bottom);
        info->mipLevels = image.LevelCount();
        info->faces = image.FaceCount();
    }
    return S_OK;
}

std::string TextLine(const std::string& path, const FileInfo& info) {
    char line[256];
    std::snprintf(line, sizeof(line), "%s %s %ux%u, depth %u, %u level%s, %u face%s", info.reader, info.format.c_str(),
                  info.width, info.height, info.depth, info.mipLevels, info.mipLevels == 1 ? "" : "s", info.faces,
                  info.faces == 1 ? "" : "s");
    return path + ": " + line + "\n";
}

std::string JsonObject(const std::string& path, const FileInfo& info) {
    char fields[256];
    std::snprintf(fields, sizeof(fields),
                  "\"format\": \"%s\", \"width\": %u, \"height\": %u, \"depth\": %u, \"mipLevels\": %u, "
                  "\"faces\": %u}",
                  info.format.c_str(), info.width, info.height, info.depth, info.mipLevels, info.faces);
    return "{\"file\": " + JsonString(path) + ", \"reader\": " + JsonString(info.reader) + ", " + fields;
}

std::string JsonError(const std::string& path, HRESULT result, const std::string& reason) {
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(result));
    return "{\"file\": " + JsonString(path) + ", \"result\": \"" + code +
           "\", \"error\": " + JsonString(DescribeResult(result, reason)) + "}";
}

}  // namespace

int RunInfo(int argc, char** argv) {
    static const option OPTIONS[] = {
        {"check", no_argument, nullptr, 'C'},
        {"json", no_argument, nullptr, 'J'},
        {"max-pixels", required_argument, nullptr, 'P'},
        {"quiet", no_argument, nullptr, 'q'},
        {"verbose", no_argument, nullptr, 'v'},
        {"jobs", required_argument, nullptr, 'j'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    bool json = false;
    bool check = false;
    UINT threads = 1;
    optind = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":j:hqv", OPTIONS, nullptr)) != -1;) {
        switch (c) {
        case 'C': check = true; break;
        case 'J': json = true; break;
        case 'q': SetVerbosity(Verbosity::QUIET); break;
        case 'v': SetVerbosity(Verbosity::VERBOSE); break;
        case 'P': {
            ULONGLONG pixels = 0;
            if (!ParsePixelLimit(optarg, &pixels)) {
                return UsageError("info", std::string("bad pixel count '") + optarg + "'");
            }
            SetImagePixelLimit(pixels);
            break;
        }
        case 'j':
            if (!ParseThreads(optarg, 256, &threads)) {
                return UsageError("info", std::string("bad job count '") + optarg + "'");
            }
            break;
        case 'h': std::fputs(INFO_HELP, stdout); return EXIT_DONE;
        case ':': return UsageError("info", std::string("option '") + argv[optind - 1] + "' needs a value");
        default: return UsageError("info", std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    const std::vector<std::string> files(argv + optind, argv + argc);
    if (files.empty()) {
        return UsageError("info", "no input files");
    }
    BatchSettings settings;
    settings.threads = threads;
    settings.progress = files.size() > 1 && !json;
    const auto outcomes = RunBatch(files, settings, [&](size_t index, unsigned) {
        FileOutcome outcome;
        FileInfo info;
        std::string reason;
        const HRESULT hr = ReadInfo(files[index], check, &info, &reason);
        outcome.ok = SUCCEEDED(hr);
        if (outcome.ok) {
            outcome.output = json ? JsonObject(files[index], info) : TextLine(files[index], info);
        } else {
            outcome.error = FileError(files[index], hr, reason);
            if (json) {
                outcome.output = JsonError(files[index], hr, reason);
            }
        }
        return outcome;
    });
    bool allOk = true;
    std::string out = json ? "[" : "";
    for (size_t i = 0; i < outcomes.size(); ++i) {
        allOk = allOk && outcomes[i].ok;
        if (json) {
            out += (i == 0 ? "\n  " : ",\n  ") + outcomes[i].output;
        } else {
            out += outcomes[i].output;
        }
    }
    if (json) {
        out += "\n]\n";
    }
    std::fputs(out.c_str(), stdout);
    return allOk ? EXIT_DONE : EXIT_FILE_FAILED;
}

}  // namespace tovtex_tool
