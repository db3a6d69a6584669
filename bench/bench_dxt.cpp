// DXT1 and DXT5 block encoding, speed and quality, single-threaded, on a set
// of pictures chosen for variety (bench/pictures/README.md): two
// photographs, ImageMagick's wizard and logo, a tangent-space normal map, a
// sprite sheet with soft alpha and a synthetic picture. Encoders: ours at
// each level (fast = the library's block functions, normal and best = the
// searching encoders of dxt_quality_encoder.h), stb_dxt (normal and high
// quality) and libsquish (range fit and iterative cluster fit).
//
// Each run reports megapixels per second ("MPix/s") and the RMSE of
// decode(encode(picture)) on the 0..255 scale: "rmseRGB" over red, green
// and blue, each texel's colour weighted by its alpha where the picture
// has alpha (DXT5), and "rmseA" for DXT5. DXT1 encodes an opaque copy, so
// that every encoder is measured on colour alone. The peers of a picture
// and format run before ours, and ours report ratios against them from the
// same run: "rmse/stbHQ" and "speed/stbHQ" against stb_dxt's high-quality
// mode, "rmse/sqICF" and "speed/sqICF" against libsquish's iterative
// cluster fit, "rmseA/stbHQ" for DXT5's alpha. The targets (checked here,
// never in tests): normal at most stb HQ's RMSE and at least its speed;
// best within 1% of squish's RMSE at 20 times its speed; DXT5 alpha at most
// stb's. A table of every figure follows the run.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "codec/dxt_blocks.h"
#include "codec/dxt_quality_encoder.h"

#ifdef HAVE_STB
#define STB_DXT_IMPLEMENTATION
#include <stb_dxt.h>
#endif

#ifdef HAVE_SQUISH
#include <squish.h>
#endif

namespace {

inline std::uint8_t Byte(double v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
}

inline std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return static_cast<std::uint32_t>(a << 24 | r << 16 | g << 8 | b);
}

// ARGB pixels, row by row; sides multiples of 4.
struct Picture {
    std::string name;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<std::uint32_t> pixels;
};

bool LoadPng(const std::string& path, Picture& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return false;
    }
    image.format = PNG_FORMAT_BGRA;  // little-endian ARGB words
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
        return false;
    }
    for (std::uint32_t p : out.pixels) {
        out.hasAlpha = out.hasAlpha || (p >> 24) != 255;
    }
    return true;
}

bool LoadJpeg(const std::string& path, Picture& out) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(out.width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        const int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < out.width; ++x) {
            out.pixels[static_cast<std::size_t>(y) * out.width + x] =
                Argb(255, row[3 * x], row[3 * x + 1], row[3 * x + 2]);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

// Smooth gradients and waves, noise, hard-edged shapes; the bottom half
// fades from transparent to opaque left to right.
Picture MakeSynthetic(int size) {
    Picture pic{"synthetic", size, size, true, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size)};
    std::mt19937 rng(20240607);
    std::normal_distribution<double> noise(0.0, 5.0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = x / static_cast<double>(size), v = y / static_cast<double>(size);
            const double n = noise(rng);
            const double r = 255 * u + 30 * std::sin(9 * v + 3 * u) + n;
            const double g = 200 * v + 40 * std::sin(13 * u) * std::cos(7 * v) + n * 0.8 + noise(rng) * 0.4;
            const double b = 128 + 100 * std::sin(5 * (u + v)) + 20 * std::cos(31 * u * v) + noise(rng);
            const std::uint8_t a = y < size / 2 ? 255 : Byte(x * 255.0 / (size - 1) + noise(rng));
            pic.pixels[static_cast<std::size_t>(y) * size + x] = Argb(a, Byte(r), Byte(g), Byte(b));
        }
    }
    std::uniform_int_distribution<int> pos(0, size - 1), extent(4, size / 10), channel(0, 255);
    for (int i = 0; i < 80; ++i) {
        const int x0 = pos(rng), y0 = pos(rng), x1 = x0 + extent(rng), y1 = y0 + extent(rng);
        const unsigned r = static_cast<unsigned>(channel(rng)), g = static_cast<unsigned>(channel(rng)),
                       b = static_cast<unsigned>(channel(rng)), a = static_cast<unsigned>(channel(rng));
        const bool disc = (i & 1) != 0;
        const double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0, rx = (x1 - x0) / 2.0, ry = (y1 - y0) / 2.0;
        for (int y = y0; y < y1 && y < size; ++y) {
            for (int x = x0; x < x1 && x < size; ++x) {
                const double dx = (x - cx) / rx, dy = (y - cy) / ry;
                if (disc && dx * dx + dy * dy > 1) {
                    continue;
                }
                pic.pixels[static_cast<std::size_t>(y) * size + x] = Argb(y < size / 2 ? 255u : a, r, g, b);
            }
        }
    }
    return pic;
}

// A tangent-space normal map of a height field: round bumps, ridges and a
// fine grain.
Picture MakeNormalMap(int size) {
    Picture pic{"normalmap", size, size, false, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size)};
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct Bump {
        double x, y, radius, height;
    };
    std::vector<Bump> bumps;
    for (int i = 0; i < 40; ++i) {
        bumps.push_back({unit(rng) * size, unit(rng) * size, 8 + unit(rng) * 40, unit(rng) < 0.5 ? -1.0 : 1.0});
    }
    std::vector<double> grain(static_cast<std::size_t>(size) * size);
    for (double& g : grain) {
        g = unit(rng) * 0.6;
    }
    const auto height = [&](int x, int y) {
        x = (x + size) % size;
        y = (y + size) % size;
        double h = 3.0 * std::sin(x * 0.05) * std::sin(y * 0.031) + 2.0 * std::fabs(std::sin((x + 2 * y) * 0.02));
        for (const Bump& b : bumps) {
            const double d2 = ((x - b.x) * (x - b.x) + (y - b.y) * (y - b.y)) / (b.radius * b.radius);
            if (d2 < 1) {
                h += b.height * 6.0 * (1 - d2) * (1 - d2);
            }
        }
        return h + grain[static_cast<std::size_t>(y) * size + x];
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = (height(x + 1, y) - height(x - 1, y)) * 0.5;
            const double dy = (height(x, y + 1) - height(x, y - 1)) * 0.5;
            const double length = std::sqrt(dx * dx + dy * dy + 1.0);
            const double nx = -dx / length, ny = -dy / length, nz = 1.0 / length;
            pic.pixels[static_cast<std::size_t>(y) * size + x] =
                Argb(255, Byte((nx * 0.5 + 0.5) * 255), Byte((ny * 0.5 + 0.5) * 255), Byte((nz * 0.5 + 0.5) * 255));
        }
    }
    return pic;
}

// A 4 x 4 sheet of soft-edged sprites on a transparent background: glowing
// discs, rings and diamonds with colour gradients and alpha falling off
// smoothly, some with a hard core.
Picture MakeSpriteSheet(int size) {
    Picture pic{"sprites", size, size, true, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size, 0)};
    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int cell = size / 4;
    for (int s = 0; s < 16; ++s) {
        const int ox = (s % 4) * cell, oy = (s / 4) * cell;
        const double r0 = unit(rng) * 255, g0 = unit(rng) * 255, b0 = unit(rng) * 255;
        const double r1 = unit(rng) * 255, g1 = unit(rng) * 255, b1 = unit(rng) * 255;
        const int kind = s % 3;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                const double u = (x + 0.5) / cell * 2 - 1, v = (y + 0.5) / cell * 2 - 1;
                double d = kind == 0   ? std::sqrt(u * u + v * v)
                           : kind == 1 ? std::fabs(std::sqrt(u * u + v * v) - 0.55) * 2.2
                                       : std::fabs(u) + std::fabs(v);
                double a = d < 0.9 ? 1 - d / 0.9 : 0;
                a = a * a * (3 - 2 * a);
                if (kind == 2 && d < 0.35) {
                    a = 1;
                }
                const double t = 0.5 + 0.5 * std::sin(3 * u + 2 * v);
                pic.pixels[static_cast<std::size_t>(oy + y) * size + ox + x] =
                    Argb(Byte(a * 255), Byte(r0 + (r1 - r0) * t), Byte(g0 + (g1 - g0) * t), Byte(b0 + (b1 - b0) * t));
                if (a == 0) {
                    pic.pixels[static_cast<std::size_t>(oy + y) * size + ox + x] = 0;
                }
            }
        }
    }
    return pic;
}

// A picture as blocks of 16 ARGB pixels, block after block, with an
// opaque copy for DXT1 and R, G, B, A bytes for stb and squish.
struct PictureBlocks {
    Picture picture;
    std::size_t count = 0;
    std::vector<std::uint32_t> argb, opaque;
    std::vector<std::uint8_t> rgba, opaqueRgba;

    explicit PictureBlocks(Picture p) : picture(std::move(p)) {
        const int w = picture.width, h = picture.height;
        count = static_cast<std::size_t>(w / 4) * (h / 4);
        argb.reserve(count * 16);
        for (int by = 0; by < h; by += 4) {
            for (int bx = 0; bx < w; bx += 4) {
                for (int i = 0; i < 16; ++i) {
                    argb.push_back(picture.pixels[static_cast<std::size_t>(by + i / 4) * w + bx + i % 4]);
                }
            }
        }
        opaque = argb;
        for (auto& p : opaque) {
            p |= 0xFF000000u;
        }
        rgba = ToRgba(argb);
        opaqueRgba = ToRgba(opaque);
    }

    static std::vector<std::uint8_t> ToRgba(const std::vector<std::uint32_t>& pixels) {
        std::vector<std::uint8_t> out(pixels.size() * 4);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const std::uint32_t p = pixels[i];
            out[4 * i] = static_cast<std::uint8_t>(p >> 16);
            out[4 * i + 1] = static_cast<std::uint8_t>(p >> 8);
            out[4 * i + 2] = static_cast<std::uint8_t>(p);
            out[4 * i + 3] = static_cast<std::uint8_t>(p >> 24);
        }
        return out;
    }
};

std::vector<PictureBlocks>& Pictures() {
    static std::vector<PictureBlocks> pictures;
    return pictures;
}

void LoadPictures() {
    const std::string testdata = TOVLEN_TESTDATA_DIR, shipped = BENCH_PICTURES_DIR;
    const struct {
        const char* name;
        std::string path;
        bool jpeg;
    } files[] = {
        {"photo", testdata + "/jpeg/zigimg/tuba_restart_prog.jpg", true},
        {"photo320", testdata + "/jpeg/image-rs/progressive/cat.jpg", true},
        {"wizard", shipped + "/wizard.png", false},
        {"logo", shipped + "/logo.png", false},
    };
    for (const auto& f : files) {
        Picture p;
        if (!(f.jpeg ? LoadJpeg(f.path, p) : LoadPng(f.path, p)) || p.width % 4 != 0 || p.height % 4 != 0) {
            std::fprintf(stderr, "bench_dxt: cannot use %s, skipped\n", f.path.c_str());
            continue;
        }
        p.name = f.name;
        Pictures().emplace_back(std::move(p));
    }
    Pictures().emplace_back(MakeNormalMap(512));
    Pictures().emplace_back(MakeSpriteSheet(256));
    Pictures().emplace_back(MakeSynthetic(512));
}

struct Quality {
    double rmseRgb;
    double rmseA;
};

// RMSE of the decoded blocks against the source, on the 0..255 scale;
// colour weighted by alpha where the picture has alpha (DXT5).
Quality Measure(const PictureBlocks& pic, const std::vector<std::uint8_t>& encoded, bool dxt5) {
    const std::vector<std::uint32_t>& source = dxt5 ? pic.argb : pic.opaque;
    const std::size_t blockBytes = dxt5 ? ALPHA_BLOCK_BYTES : COLOR_BLOCK_BYTES;
    const bool byAlpha = dxt5 && pic.picture.hasAlpha;
    double colorError = 0, colorWeight = 0, alphaError = 0;
    DWORD decoded[16];
    for (std::size_t b = 0; b < pic.count; ++b) {
        if (dxt5) {
            DecodeDxt5Block(encoded.data() + b * blockBytes, decoded);
        } else {
            DecodeDxt1Block(encoded.data() + b * blockBytes, decoded);
        }
        for (int i = 0; i < 16; ++i) {
            const std::uint32_t s = source[16 * b + i], d = decoded[i];
            const double w = byAlpha ? (s >> 24) / 255.0 : 1.0;
            for (int shift = 0; shift < 24; shift += 8) {
                const double e = static_cast<double>((s >> shift) & 255) - static_cast<double>((d >> shift) & 255);
                colorError += w * e * e;
            }
            colorWeight += w;
            const double e = static_cast<double>(s >> 24) - static_cast<double>(d >> 24);
            alphaError += e * e;
        }
    }
    return {colorWeight > 0 ? std::sqrt(colorError / (3 * colorWeight)) : 0.0,
            std::sqrt(alphaError / (static_cast<double>(pic.count) * 16))};
}

enum Level { FAST, NORMAL, BEST, STB_NORMAL, STB_HQ, SQUISH_RANGE, SQUISH_ICF, LEVELS };
const char* const LEVEL_NAMES[LEVELS] = {"fast", "normal", "best", "stbNormal", "stbHQ", "squishRange", "squishICF"};

bool Available(Level level) {
#ifndef HAVE_STB
    if (level == STB_NORMAL || level == STB_HQ) {
        return false;
    }
#endif
#ifndef HAVE_SQUISH
    if (level == SQUISH_RANGE || level == SQUISH_ICF) {
        return false;
    }
#endif
    (void)level;
    return true;
}

void Encode(const PictureBlocks& pic, bool dxt5, Level level, std::uint8_t* out) {
    const std::size_t blockBytes = dxt5 ? ALPHA_BLOCK_BYTES : COLOR_BLOCK_BYTES;
    const DWORD* src = dxt5 ? pic.argb.data() : pic.opaque.data();
    [[maybe_unused]] const std::uint8_t* bytes = dxt5 ? pic.rgba.data() : pic.opaqueRgba.data();
    switch (level) {
    case FAST:
        for (std::size_t b = 0; b < pic.count; ++b) {
            if (dxt5) {
                EncodeDxt5Block(src + 16 * b, out + blockBytes * b);
            } else {
                EncodeDxt1Block(src + 16 * b, out + blockBytes * b);
            }
        }
        break;
    case NORMAL:
    case BEST: {
        DxtEncodeOptions options;
        options.quality = level == BEST ? DXT_QUALITY_BEST : DXT_QUALITY_NORMAL;
        EncodeDxtBlocksWith(dxt5 ? D3DFMT_DXT5 : D3DFMT_DXT1, src, nullptr, pic.count, options, out);
        break;
    }
#ifdef HAVE_STB
    case STB_NORMAL:
    case STB_HQ:
        for (std::size_t b = 0; b < pic.count; ++b) {
            stb_compress_dxt_block(out + blockBytes * b, bytes + 64 * b, dxt5 ? 1 : 0,
                                   level == STB_HQ ? STB_DXT_HIGHQUAL : STB_DXT_NORMAL);
        }
        break;
#endif
#ifdef HAVE_SQUISH
    case SQUISH_RANGE:
    case SQUISH_ICF: {
        // Uniform channel weights, and colour weighted by alpha for DXT5:
        // the peer tuned to the measure used here.
        const int flags = (dxt5 ? squish::kDxt5 | squish::kWeightColourByAlpha : squish::kDxt1) |
                          (level == SQUISH_ICF ? squish::kColourIterativeClusterFit : squish::kColourRangeFit);
        float uniform[3] = {1.0f, 1.0f, 1.0f};
        for (std::size_t b = 0; b < pic.count; ++b) {
            squish::Compress(bytes + 64 * b, out + blockBytes * b, flags, uniform);
        }
        break;
    }
#endif
    default: break;
    }
}

struct Result {
    double rmseRgb, rmseA, mpixPerSecond;
};

// Results of this run by picture, format and level.
std::map<std::string, Result>& Results() {
    static std::map<std::string, Result> results;
    return results;
}

std::string Key(const std::string& picture, bool dxt5, int level) {
    return picture + (dxt5 ? "/DXT5/" : "/DXT1/") + LEVEL_NAMES[level];
}

void Run(benchmark::State& state, const PictureBlocks* pic, bool dxt5, Level level) {
    std::vector<std::uint8_t> encoded(pic->count * (dxt5 ? ALPHA_BLOCK_BYTES : COLOR_BLOCK_BYTES));
    for (auto _ : state) {
        Encode(*pic, dxt5, level, encoded.data());
        benchmark::DoNotOptimize(encoded.data());
        benchmark::ClobberMemory();
    }
    const Quality q = Measure(*pic, encoded, dxt5);
    const double pixels = static_cast<double>(pic->count) * 16;
    state.counters["MPix/s"] =
        benchmark::Counter(pixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.counters["rmseRGB"] = q.rmseRgb;
    if (dxt5) {
        state.counters["rmseA"] = q.rmseA;
    }
    // The rate is known once the run is reported: RateRecorder fills it in.
    Results()[Key(pic->picture.name, dxt5, level)] = {q.rmseRgb, q.rmseA, 0.0};
    const auto ratio = [&](Level peer, const char* name) {
        const auto it = Results().find(Key(pic->picture.name, dxt5, peer));
        if (it == Results().end() || level >= STB_NORMAL) {
            return;
        }
        if (it->second.rmseRgb > 0) {
            state.counters[std::string("rmse/") + name] = q.rmseRgb / it->second.rmseRgb;
        }
        if (dxt5 && it->second.rmseA > 0) {
            state.counters[std::string("rmseA/") + name] = q.rmseA / it->second.rmseA;
        }
    };
    ratio(STB_HQ, "stbHQ");
    ratio(SQUISH_ICF, "sqICF");
}

// Records each run's rate as the console reporter sees it, and the speed
// ratios of ours against the peers of the same picture and format.
class RateRecorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> copy = runs;
        for (Run& run : copy) {
            const std::string name = run.benchmark_name();
            const auto rate = run.counters.find("MPix/s");
            if (rate == run.counters.end()) {
                continue;
            }
            const double mpps = rate->second.value;  // already divided by the time
            const std::string key = name.substr(name.find('/') + 1);
            auto it = Results().find(key.substr(0, key.find("/min_time")));
            if (it != Results().end()) {
                it->second.mpixPerSecond = mpps;
                const std::string base = it->first.substr(0, it->first.rfind('/') + 1);
                for (const auto& [peer, label] : {std::pair{STB_HQ, "speed/stbHQ"}, {SQUISH_ICF, "speed/sqICF"}}) {
                    const auto p = Results().find(base + LEVEL_NAMES[peer]);
                    const bool ours = it->first.rfind("/fast") != std::string::npos ||
                                      it->first.rfind("/normal") != std::string::npos ||
                                      it->first.rfind("/best") != std::string::npos;
                    if (ours && p != Results().end() && p->second.mpixPerSecond > 0) {
                        run.counters[label] = mpps / p->second.mpixPerSecond;
                    }
                }
            }
        }
        ConsoleReporter::ReportRuns(copy);
    }
};

void PrintTable() {
    std::printf("\n%-10s %-5s %-12s %9s %8s %9s %11s %11s %11s %11s\n", "picture", "fmt", "level", "rmseRGB", "rmseA",
                "MPix/s", "rmse/stbHQ", "speed/stbHQ", "rmse/sqICF", "speed/sqICF");
    for (const PictureBlocks& pic : Pictures()) {
        for (bool dxt5 : {false, true}) {
            const auto find = [&](int level) {
                const auto it = Results().find(Key(pic.picture.name, dxt5, level));
                return it == Results().end() ? nullptr : &it->second;
            };
            const Result* stb = find(STB_HQ);
            const Result* squish = find(SQUISH_ICF);
            for (int level = 0; level < LEVELS; ++level) {
                const Result* r = find(level);
                if (!r) {
                    continue;
                }
                const auto ratio = [](double a, const Result* b, double Result::*field) {
                    return b && b->*field > 0 ? a / (b->*field) : 0.0;
                };
                std::printf("%-10s %-5s %-12s %9.4f %8.4f %9.2f %11.4f %11.3f %11.4f %11.2f\n",
                            pic.picture.name.c_str(), dxt5 ? "DXT5" : "DXT1", LEVEL_NAMES[level], r->rmseRgb,
                            dxt5 ? r->rmseA : 0.0, r->mpixPerSecond, ratio(r->rmseRgb, stb, &Result::rmseRgb),
                            ratio(r->mpixPerSecond, stb, &Result::mpixPerSecond),
                            ratio(r->rmseRgb, squish, &Result::rmseRgb),
                            ratio(r->mpixPerSecond, squish, &Result::mpixPerSecond));
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    LoadPictures();
    // Peers first, so that ours can report ratios against them.
    const Level order[] = {STB_HQ, SQUISH_ICF, STB_NORMAL, SQUISH_RANGE, FAST, NORMAL, BEST};
    for (const PictureBlocks& pic : Pictures()) {
        for (bool dxt5 : {false, true}) {
            for (Level level : order) {
                if (!Available(level)) {
                    continue;
                }
                const std::string name = "Dxt/" + Key(pic.picture.name, dxt5, level);
                benchmark::RegisterBenchmark(name.c_str(), Run, &pic, dxt5, level)->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    RateRecorder reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable();
    benchmark::Shutdown();
    return 0;
}
