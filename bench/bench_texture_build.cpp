// The whole build of a 4096 x 4096 PNG into a full-chain A8R8G8B8 texture
// through LoadTextureFromFileA, with the game's filters and with the
// defaults, against a plain libpng decode of the same file (the floor),
// ImageMagick and nvcompress writing an uncompressed DDS with mip maps
// (whole processes, one thread). Peak memory of each is measured in a child
// process of its own and reported as the peak_MB counter.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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
std::map<std::string, double> g_peakMegabytes;

// A picture with smooth areas and detail, so the PNG is neither trivial nor
// incompressible.
void WritePng(const std::string& path) {
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
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = SIZE;
    image.height = SIZE;
    image.format = PNG_FORMAT_RGBA;
    png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr);
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

bool LoadTexture(IDirect3DDevice8* device, DWORD filter, DWORD mipFilter) {
    IDirect3DTexture8* texture = nullptr;
    const HRESULT hr = LoadTextureFromFileA(device, g_png.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, filter,
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

void BM_LibpngDecode(benchmark::State& state) {
    for (auto _ : state) {
        if (!DecodeWithLibpng()) {
            state.SkipWithError("libpng failed");
            return;
        }
    }
    state.counters["peak_MB"] = g_peakMegabytes["libpng"];
}

void LoadBenchmark(benchmark::State& state, DWORD filter, DWORD mipFilter, const char* key) {
    Device device;
    if (device.device == nullptr) {
        state.SkipWithError("no device");
        return;
    }
    for (auto _ : state) {
        if (!LoadTexture(device.device, filter, mipFilter)) {
            state.SkipWithError("load failed");
            return;
        }
    }
    state.counters["peak_MB"] = g_peakMegabytes[key];
}

void BM_LoadGameFilters(benchmark::State& state) {
    LoadBenchmark(state, FILTER_LINEAR, FILTER_LINEAR, "game");
}

void BM_LoadDefaultFilters(benchmark::State& state) {
    LoadBenchmark(state, FILTER_DEFAULT, FILTER_DEFAULT, "default");
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
BENCHMARK(BM_LoadDefaultFilters)->Unit(benchmark::kMillisecond)->Iterations(2);
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
    WritePng(g_png);

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
    RunProcess(MagickCommand(), true, &g_peakMegabytes["magick"]);
    RunProcess(NvcompressCommand(), true, &g_peakMegabytes["nvcompress"]);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::remove((g_dir + "/magick.dds").c_str());
    std::remove((g_dir + "/nvtt.dds").c_str());
    std::remove(g_png.c_str());
    rmdir(g_dir.c_str());
    return 0;
}
