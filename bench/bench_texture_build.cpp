// The whole build of a 4096 x 4096 PNG into a full-chain A8R8G8B8 texture
// through LoadTextureFromFileA, with the game's filters and with the
// defaults, against a plain libpng decode of the same file (the floor),
// ImageMagick and nvcompress writing an uncompressed DDS with mip maps
// (whole processes, one thread). The same loads from a JPEG of the picture
// against a plain libjpeg decode, and a DDS already in the texture's format
// and size (one level) against a memcpy of its bytes into fresh memory.
// Peak memory of each is measured in a child process of its own and
// reported as the peak_MB counter; each load's processor time (this thread,
// system time included) over its floor's, measured in the same run, is the
// x_floor counter.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <png.h>
#include <jpeglib.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <d3d8.h>
#include <d3d8_offscreen.h>

#include "base/tovtex_defs.h"
#include "texload/texture_loader.h"

extern char** environ;

namespace {

constexpr int SIZE = 4096;
std::string g_dir;
std::string g_png;
std::string g_jpeg;
std::string g_dds;
std::vector<char> g_ddsBytes;
std::map<std::string, double> g_peakMegabytes;
// Mean processor seconds of each floor, filled by the floor's benchmark,
// which runs before the loads measured against it.
std::map<std::string, double> g_floorSeconds;

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A picture with smooth areas and detail, so the PNG is neither trivial nor
// incompressible.
std::vector<png_byte> Picture() {
    std::vector<png_byte> rgba(size_t{SIZE} * SIZE * 4);
    uint32_t seed = 12345;
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            seed = seed * 1664525u + 1013904223u;
            png_byte* p = &rgba[(size_t{static_cast<size_t>(y)} * SIZE + x) * 4];
            p[0] = static_cast<png_byte>(x / 16 + (seed >> 29));
            p[1] = static_cast<png_byte>(y / 16 + ((x ^ y) & 15));
            p[2] = static_cast<png_byte>((x + y) / 32);
            p[3] = static_cast<png_byte>(255 - ((x * y) >> 18));
        }
    }
    return rgba;
}

void WritePng(const std::string& path, const std::vector<png_byte>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = SIZE;
    image.height = SIZE;
    image.format = PNG_FORMAT_RGBA;
    png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr);
}

// The picture's colours at quality 90, the usual setting of an image
// editor.
void WriteJpeg(const std::string& path, const std::vector<png_byte>& rgba) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    jpeg_compress_struct c{};
    jpeg_error_mgr error{};
    c.err = jpeg_std_error(&error);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, file);
    c.image_width = SIZE;
    c.image_height = SIZE;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t{SIZE} * 3);
    while (c.next_scanline < c.image_height) {
        const png_byte* p = &rgba[size_t{c.next_scanline} * SIZE * 4];
        for (int x = 0; x < SIZE; ++x) {
            row[3 * x] = p[4 * x];
            row[3 * x + 1] = p[4 * x + 1];
            row[3 * x + 2] = p[4 * x + 2];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(file);
}

// A 4096 x 4096 A8R8G8B8 DDS of one level.
std::vector<char> DdsContent(const std::vector<png_byte>& rgba) {
    std::vector<char> dds(128 + rgba.size());
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            dds[at + i] = static_cast<char>(value >> (8 * i));
        }
    };
    std::memcpy(dds.data(), "DDS ", 4);
    put32(4, 124);
    put32(8, 0x100F);  // caps, height, width, pitch, pixel format
    put32(12, SIZE);
    put32(16, SIZE);
    put32(20, SIZE * 4);
    put32(76, 32);
    put32(80, 0x41);  // RGB with alpha
    put32(88, 32);
    put32(92, 0xFF0000);
    put32(96, 0xFF00);
    put32(100, 0xFF);
    put32(104, 0xFF000000u);
    put32(108, 0x1000);  // texture
    std::memcpy(dds.data() + 128, rgba.data(), rgba.size());
    return dds;
}

// The plain decode, as a program would call libjpeg on the file.
bool DecodeWithLibjpeg() {
    FILE* file = std::fopen(g_jpeg.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    jpeg_decompress_struct d{};
    jpeg_error_mgr error{};
    d.err = jpeg_std_error(&error);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, file);
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    const size_t stride = size_t{d.output_width} * d.output_components;
    std::vector<JSAMPLE> pixels(stride * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW rows[1] = {&pixels[stride * d.output_scanline]};
        jpeg_read_scanlines(&d, rows, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(file);
    benchmark::DoNotOptimize(pixels.data());
    return true;
}

// The DDS floor: its bytes copied once, into memory already touched.
bool CopyDdsBytes() {
    static std::vector<char> copy(g_ddsBytes.size(), 1);
    std::memcpy(copy.data(), g_ddsBytes.data(), g_ddsBytes.size());
    benchmark::DoNotOptimize(copy.data());
    return true;
}

bool DecodeWithLibpng() {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, g_png.c_str())) {
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    benchmark::DoNotOptimize(pixels.data());
    return ok;
}

struct Device {
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;

    Device() {
        platform::AllowOffscreenDevices(true);
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 64;
        p.BackBufferHeight = 64;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.Windowed = TRUE;
        if (d3d != nullptr) {
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device);
        }
    }
    ~Device() {
        if (device != nullptr) {
            device->Release();
        }
        if (d3d != nullptr) {
            d3d->Release();
        }
    }
};

bool LoadTexture(IDirect3DDevice8* device, DWORD filter, DWORD mipFilter, const std::string& path = g_png) {
    IDirect3DTexture8* texture = nullptr;
    const HRESULT hr = LoadTextureFromFileA(device, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, filter,
                                            mipFilter, 0, nullptr, nullptr, &texture);
    if (texture != nullptr) {
        texture->Release();
    }
    return hr == S_OK;
}

// Runs a program to its end; its exit status, and its peak memory in MB.
int RunProcess(std::vector<std::string> args, bool oneThread, double* peakMegabytes) {
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    if (oneThread) {
        env.emplace_back("MAGICK_THREAD_LIMIT=1");
        env.emplace_back("OMP_NUM_THREADS=1");
    }
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (peakMegabytes != nullptr) {
        *peakMegabytes = usage.ru_maxrss / 1024.0;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> MagickCommand() {
    return {"convert", g_png, "-define", "dds:compression=none", "-define", "dds:mipmaps=13", g_dir + "/magick.dds"};
}

std::vector<std::string> NvcompressCommand() {
    return {"nvcompress", "-rgb", g_png, g_dir + "/nvtt.dds"};
}

// Peak memory of an in-process job, measured in a child of its own.
template <typename Job>
double ChildPeak(Job job) {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(job() ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss / 1024.0 : -1.0;
}

// Runs job once per iteration; its mean processor seconds, or a negative
// value when it failed.
template <typename Job>
double TimedLoop(benchmark::State& state, Job job) {
    double seconds = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        if (!job()) {
            state.SkipWithError("failed");
            return -1;
        }
        seconds += ThreadSeconds() - start;
        ++runs;
    }
    return runs != 0 ? seconds / static_cast<double>(runs) : -1;
}

template <typename Job>
void FloorBenchmark(benchmark::State& state, const char* key, Job job) {
    g_floorSeconds[key] = TimedLoop(state, job);
    state.counters["peak_MB"] = g_peakMegabytes[key];
}

template <typename Job>
void MeasuredAgainstFloor(benchmark::State& state, const char* key, const char* floor, Job job) {
    const double seconds = TimedLoop(state, job);
    state.counters["peak_MB"] = g_peakMegabytes[key];
    if (seconds > 0 && g_floorSeconds[floor] > 0) {
        state.counters["x_floor"] = seconds / g_floorSeconds[floor];
    }
}

void BM_LibpngDecode(benchmark::State& state) {
    FloorBenchmark(state, "libpng", [] { return DecodeWithLibpng(); });
}

void LoadBenchmark(benchmark::State& state, DWORD filter, DWORD mipFilter, const char* key, const char* floor,
                   const std::string& path) {
    Device device;
    if (device.device == nullptr) {
        state.SkipWithError("no device");
        return;
    }
    MeasuredAgainstFloor(state, key, floor, [&] { return LoadTexture(device.device, filter, mipFilter, path); });
}

void BM_LoadGameFilters(benchmark::State& state) {
    LoadBenchmark(state, FILTER_LINEAR, FILTER_LINEAR, "game", "libpng", g_png);
}

void BM_LoadDefaultFilters(benchmark::State& state) {
    LoadBenchmark(state, FILTER_DEFAULT, FILTER_DEFAULT, "default", "libpng", g_png);
}

void BM_LibjpegDecode(benchmark::State& state) {
    FloorBenchmark(state, "libjpeg", [] { return DecodeWithLibjpeg(); });
}

void BM_LoadJpegGameFilters(benchmark::State& state) {
    LoadBenchmark(state, FILTER_LINEAR, FILTER_LINEAR, "jpeg game", "libjpeg", g_jpeg);
}

void BM_LoadJpegDefaultFilters(benchmark::State& state) {
    LoadBenchmark(state, FILTER_DEFAULT, FILTER_DEFAULT, "jpeg default", "libjpeg", g_jpeg);
}

void BM_DdsMemcpy(benchmark::State& state) {
    FloorBenchmark(state, "memcpy", [] { return CopyDdsBytes(); });
}

// One level, already A8R8G8B8 and 4096 x 4096: the load is a copy.
bool LoadDds(IDirect3DDevice8* device, bool fromFile) {
    IDirect3DTexture8* texture = nullptr;
    const HRESULT hr =
        fromFile ? LoadTextureFromFileA(device, g_dds.c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        FILTER_DEFAULT, FILTER_DEFAULT, 0, nullptr, nullptr, &texture)
                 : LoadTextureFromMemory(device, g_ddsBytes.data(), static_cast<UINT>(g_ddsBytes.size()), 0, 0, 1, 0,
                                         D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, FILTER_DEFAULT, FILTER_DEFAULT, 0, nullptr,
                                         nullptr, &texture);
    if (texture != nullptr) {
        texture->Release();
    }
    return hr == S_OK;
}

void DdsBenchmark(benchmark::State& state, bool fromFile, const char* key) {
    Device device;
    if (device.device == nullptr) {
        state.SkipWithError("no device");
        return;
    }
    // The memcpy's memory is already touched, and so is a texture's once the
    // device has released one of its size: the first load, which also pays
    // for the fresh pages the system clears, is left out.
    LoadDds(device.device, fromFile);
    MeasuredAgainstFloor(state, key, "memcpy", [&] { return LoadDds(device.device, fromFile); });
}

void BM_LoadDdsFromMemory(benchmark::State& state) {
    DdsBenchmark(state, false, "dds memory");
}

void BM_LoadDdsFromFile(benchmark::State& state) {
    DdsBenchmark(state, true, "dds file");
}

void ProcessBenchmark(benchmark::State& state, std::vector<std::string> command, bool oneThread, const char* key) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (RunProcess(command, oneThread, nullptr) != 0) {
            state.SkipWithError("the program failed (no GPU?)");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["peak_MB"] = g_peakMegabytes[key];
}

void BM_ImageMagick(benchmark::State& state) {
    ProcessBenchmark(state, MagickCommand(), true, "magick");
}

void BM_Nvcompress(benchmark::State& state) {
    ProcessBenchmark(state, NvcompressCommand(), true, "nvcompress");
}

BENCHMARK(BM_LibpngDecode)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadGameFilters)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadDefaultFilters)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadJpegGameFilters)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadJpegDefaultFilters)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DdsMemcpy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadDdsFromMemory)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadDdsFromFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ImageMagick)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_Nvcompress)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    char pattern[] = "/tmp/bench_texture_build.XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return 1;
    }
    g_dir = pattern;
    g_png = g_dir + "/in.png";
    g_jpeg = g_dir + "/in.jpg";
    g_dds = g_dir + "/in.dds";
    {
        const std::vector<png_byte> rgba = Picture();
        WritePng(g_png, rgba);
        WriteJpeg(g_jpeg, rgba);
        const std::vector<char> dds = DdsContent(rgba);
        std::ofstream(g_dds, std::ios::binary).write(dds.data(), static_cast<std::streamsize>(dds.size()));
    }

    // Peak memory first, each job in a fresh child, before this process
    // grows.
    g_peakMegabytes["libpng"] = ChildPeak([] { return DecodeWithLibpng(); });
    g_peakMegabytes["game"] = ChildPeak([] {
        Device device;
        return device.device != nullptr && LoadTexture(device.device, FILTER_LINEAR, FILTER_LINEAR);
    });
    g_peakMegabytes["default"] = ChildPeak([] {
        Device device;
        return device.device != nullptr && LoadTexture(device.device, FILTER_DEFAULT, FILTER_DEFAULT);
    });
    g_peakMegabytes["libjpeg"] = ChildPeak([] { return DecodeWithLibjpeg(); });
    g_peakMegabytes["jpeg game"] = ChildPeak([] {
        Device device;
        return device.device != nullptr && LoadTexture(device.device, FILTER_LINEAR, FILTER_LINEAR, g_jpeg);
    });
    g_peakMegabytes["jpeg default"] = ChildPeak([] {
        Device device;
        return device.device != nullptr && LoadTexture(device.device, FILTER_DEFAULT, FILTER_DEFAULT, g_jpeg);
    });
    RunProcess(MagickCommand(), true, &g_peakMegabytes["magick"]);
    RunProcess(NvcompressCommand(), true, &g_peakMegabytes["nvcompress"]);

    // Read only now: the children above must not inherit it.
    {
        std::ifstream in(g_dds, std::ios::binary);
        g_ddsBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::remove((g_dir + "/magick.dds").c_str());
    std::remove((g_dir + "/nvtt.dds").c_str());
    std::remove(g_png.c_str());
    std::remove(g_jpeg.c_str());
    std::remove(g_dds.c_str());
    rmdir(g_dir.c_str());
    return 0;
}
