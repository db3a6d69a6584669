// Opening a 64 MB file and reading every byte of it, as a loader does:
// MappedFile (the platform's view, a private copy of the file read in large
// reads) against mapping the file directly with mmap, the baseline. Then the
// whole load of that file (a 4096 x 4096 A8R8G8B8 DDS, one level, no filter)
// through LoadTextureFromFileA against LoadTextureFromMemory on bytes
// already in memory. The file stays in the page cache. Figures are MB per
// second ("MB/s").

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "texload/mapped_file.h"
#include "tovtex.h"

namespace {

constexpr UINT SIDE = 4096;
constexpr size_t FILE_BYTES = 128 + size_t{SIDE} * SIDE * 4;

void Put32(std::vector<char>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
}

const std::vector<char>& FileContent() {
    static const std::vector<char> bytes = [] {
        std::vector<char> dds(FILE_BYTES);
        for (size_t i = 128; i < dds.size(); ++i) {
            dds[i] = static_cast<char>(i * 2654435761u >> 24);
        }
        std::memcpy(dds.data(), "DDS ", 4);
        Put32(dds, 4, 124);
        Put32(dds, 8, 0x100F);  // caps, height, width, pitch, pixel format
        Put32(dds, 12, SIDE);
        Put32(dds, 16, SIDE);
        Put32(dds, 20, SIDE * 4);
        Put32(dds, 76, 32);
        Put32(dds, 80, 0x41);  // RGB with alpha
        Put32(dds, 88, 32);
        Put32(dds, 92, 0xFF0000);
        Put32(dds, 96, 0xFF00);
        Put32(dds, 100, 0xFF);
        Put32(dds, 104, 0xFF000000u);
        Put32(dds, 108, 0x1000);  // texture
        return dds;
    }();
    return bytes;
}

const std::string& TestFile() {
    static const std::string path = [] {
        const std::string name =
            (std::filesystem::temp_directory_path() / ("bench_file_view_" + std::to_string(getpid()))).string();
        const std::vector<char>& bytes = FileContent();
        std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::atexit([] { std::remove(TestFile().c_str()); });
        return name;
    }();
    return path;
}

// Every byte read once, as a decoder reads its input.
uint64_t Sum(const BYTE* bytes, size_t size) {
    uint64_t sum = 0;
    for (size_t i = 0; i + 8 <= size; i += 8) {
        uint64_t word;
        __builtin_memcpy(&word, bytes + i, 8);
        sum += word;
    }
    return sum;
}

void SetRate(benchmark::State& state) {
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(FILE_BYTES) * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}

void MappedFileView(benchmark::State& state) {
    const std::string& path = TestFile();
    for (auto _ : state) {
        MappedFile file;
        if (FAILED(file.Open(path.c_str(), false))) {
            state.SkipWithError("open failed");
            break;
        }
        benchmark::DoNotOptimize(Sum(file.View(), file.Size()));
    }
    SetRate(state);
}

void MmapBaseline(benchmark::State& state) {
    const std::string& path = TestFile();
    for (auto _ : state) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        void* view = mmap(nullptr, FILE_BYTES, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view == MAP_FAILED) {
            state.SkipWithError("mmap failed");
            close(fd);
            break;
        }
        benchmark::DoNotOptimize(Sum(static_cast<const BYTE*>(view), FILE_BYTES));
        munmap(view, FILE_BYTES);
        close(fd);
    }
    SetRate(state);
}

struct Device {
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    IDirect3DDevice8* device = nullptr;

    Device() {
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

template <typename Load>
void LoadBenchmark(benchmark::State& state, Load load) {
    Device device;
    if (device.device == nullptr) {
        state.SkipWithError("no device");
        return;
    }
    for (auto _ : state) {
        IDirect3DTexture8* texture = nullptr;
        if (FAILED(load(device.device, &texture))) {
            state.SkipWithError("load failed");
            break;
        }
        texture->Release();
    }
    SetRate(state);
}

void LoadFromMemoryBaseline(benchmark::State& state) {
    const std::vector<char>& bytes = FileContent();
    LoadBenchmark(state, [&](IDirect3DDevice8* device, IDirect3DTexture8** texture) {
        return LoadTextureFromMemory(device, bytes.data(), static_cast<UINT>(bytes.size()), DEFAULT_ARG, DEFAULT_ARG, 1,
                                     0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, FILTER_NONE, FILTER_NONE, 0, nullptr, nullptr,
                                     texture);
    });
}

void LoadFromFile(benchmark::State& state) {
    const std::string& path = TestFile();
    LoadBenchmark(state, [&](IDirect3DDevice8* device, IDirect3DTexture8** texture) {
        return LoadTextureFromFileA(device, path.c_str(), DEFAULT_ARG, DEFAULT_ARG, 1, 0, D3DFMT_A8R8G8B8,
                                    D3DPOOL_MANAGED, FILTER_NONE, FILTER_NONE, 0, nullptr, nullptr, texture);
    });
}

BENCHMARK(MmapBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(MappedFileView)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFromMemoryBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFromFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
