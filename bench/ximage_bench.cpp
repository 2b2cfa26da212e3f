// Image library benchmarks on a 6000 x 4000 24-bit picture, each beside the
// plain memory or file operation it should be compared with:
//   BMP load / save            vs fread / fwrite of the same bytes  (target <= 1.3x)
//   ExportDibHandle / Import   vs a memcpy of the block              (target <= 1.5x)
//   Flip, Mirror               vs a memcpy of the pixel rows         (target <= 2x)
//   RotateLeft / RotateRight   throughput
//   copy to clipboard (Load + ExportDibHandle): peak memory / DIB size (target <= 2.2x)
// Copying baselines are given twice: into a warm buffer, and into a freshly
// allocated one (Load, Export and Import must allocate theirs).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_memory.h"
#include "platform/global_memory.h"
#include "ximage/ximage.h"

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;

struct Fixture {
    CxImage image{kWidth, kHeight, 24, CXIMAGE_FORMAT_BMP};
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "qlry_bench_ximage";
    std::filesystem::path bmp = dir / "picture.bmp";
    std::filesystem::path out = dir / "out.bmp";
    std::vector<uint8_t> fileBytes;
    qlry::HGlobal block = nullptr;

    Fixture() {
        for (uint32_t y = 0; y < kHeight; ++y) {
            uint8_t* row = image.GetBits(y);
            for (uint32_t x = 0; x < 3 * kWidth; ++x) row[x] = static_cast<uint8_t>(x * 7 + y * 13 + (x >> 5));
        }
        std::filesystem::create_directories(dir);
        image.Save(bmp.wstring(), CXIMAGE_FORMAT_BMP);
        std::ifstream in(bmp, std::ios::binary);
        fileBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        block = image.ExportDibHandle();
    }
    ~Fixture() {
        qlry::SystemGlobalMemory().Free(block);
        std::filesystem::remove_all(dir);
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void SetBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// ---- BMP file decode / encode ------------------------------------------------

void BM_BmpLoad(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        CxImage image;
        if (!image.Load(f.bmp.wstring())) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    SetBytes(state, f.fileBytes.size());
}

void BM_FreadBaseline(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        FILE* file = std::fopen(f.bmp.c_str(), "rb");
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[f.fileBytes.size()]);
        const size_t n = std::fread(buffer.get(), 1, f.fileBytes.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer.get());
    }
    SetBytes(state, f.fileBytes.size());
}

void BM_BmpSave(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state)
        if (!f.image.Save(f.out.wstring(), CXIMAGE_FORMAT_BMP)) state.SkipWithError("save failed");
    SetBytes(state, f.fileBytes.size());
}

void BM_FwriteBaseline(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        FILE* file = std::fopen(f.out.c_str(), "wb");
        std::fwrite(f.fileBytes.data(), 1, f.fileBytes.size(), file);
        std::fclose(file);
    }
    SetBytes(state, f.fileBytes.size());
}

// ---- clipboard block ---------------------------------------------------------

void BM_ExportDibHandle(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        qlry::HGlobal block = f.image.ExportDibHandle();
        benchmark::DoNotOptimize(block);
        qlry::SystemGlobalMemory().Free(block);
    }
    SetBytes(state, f.image.GetSize());
}

void BM_ImportDibHandle(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        CxImage image;
        if (!image.ImportDibHandle(f.block)) state.SkipWithError("import failed");
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    SetBytes(state, f.image.GetSize());
}

void BM_MemcpyBlockWarm(benchmark::State& state) {
    Fixture& f = Data();
    std::vector<uint8_t> target(f.image.GetSize());
    for (auto _ : state) {
        std::memcpy(target.data(), f.image.GetDib(), f.image.GetSize());
        benchmark::ClobberMemory();
    }
    SetBytes(state, f.image.GetSize());
}

void BM_MemcpyBlockFresh(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> target(new uint8_t[f.image.GetSize()]);
        std::memcpy(target.get(), f.image.GetDib(), f.image.GetSize());
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    }
    SetBytes(state, f.image.GetSize());
}

// ---- transforms ----------------------------------------------------------------

void BM_Flip(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) f.image.Flip();
    SetBytes(state, f.image.GetHeader().biSizeImage);
}

void BM_Mirror(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) f.image.Mirror();
    SetBytes(state, f.image.GetHeader().biSizeImage);
}

void BM_MemcpyRowsWarm(benchmark::State& state) {
    Fixture& f = Data();
    const size_t bytes = f.image.GetHeader().biSizeImage;
    std::vector<uint8_t> target(bytes);
    for (auto _ : state) {
        std::memcpy(target.data(), f.image.GetBits(0), bytes);
        benchmark::ClobberMemory();
    }
    SetBytes(state, bytes);
}

void BM_RotateLeft(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        CxImage turned;
        f.image.RotateLeft(&turned);
        benchmark::DoNotOptimize(turned.GetBits(0));
    }
    SetBytes(state, f.image.GetHeader().biSizeImage);
    state.counters["Mpixel/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6 * state.iterations(),
                                                    benchmark::Counter::kIsRate);
}

void BM_RotateRight(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        CxImage turned;
        f.image.RotateRight(&turned);
        benchmark::DoNotOptimize(turned.GetBits(0));
    }
    SetBytes(state, f.image.GetHeader().biSizeImage);
    state.counters["Mpixel/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6 * state.iterations(),
                                                    benchmark::Counter::kIsRate);
}

// ---- peak memory of copying a file to the clipboard -----------------------------

using qlry::bench::StatusKb;

void BM_CopyToClipboardPeakMemory(benchmark::State& state) {
    Fixture& f = Data();
    double ratio = 0;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5";  // resets VmHWM to the current RSS
        const long before = StatusKb("VmRSS:");
        CxImage image;
        image.Load(f.bmp.wstring());
        qlry::HGlobal block = image.ExportDibHandle();
        const long peak = StatusKb("VmHWM:");
        qlry::SystemGlobalMemory().Free(block);
        ratio = double(peak - before) * 1024.0 / f.image.GetSize();
    }
    state.counters["peak/DIB"] = ratio;
}

}  // namespace

BENCHMARK(BM_BmpLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreadBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FwriteBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportDibHandle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportDibHandle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyBlockWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyBlockFresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mirror)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyRowsWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateLeft)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateRight)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyToClipboardPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
