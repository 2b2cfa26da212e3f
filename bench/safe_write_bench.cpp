// The cost of never losing a file: replacing through a flushed temporary file
// against writing the target in place (truncate, write, close) as a paste
// did before, for the bytes of a 100 MB text paste and of a 6000 x 4000 PNG
// paste, in the same run on the same bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/safe_write.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

const std::wstring kTarget = L"/tmp/qlry-bench-safe-write.out";

const std::vector<uint8_t>& TextBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(100u << 20);
        for (size_t i = 0; i < b.size(); ++i) b[i] = (i % 80 == 79) ? '\n' : static_cast<uint8_t>('a' + i % 26);
        return b;
    }();
    return bytes;
}

// A photo-like 6000 x 4000 picture encoded as PNG, as a paste would write it.
const std::vector<uint8_t>& PngBytes() {
    static const std::vector<uint8_t> bytes = [] {
        CxImage image;
        image.Create(6000, 4000, 24);
        uint32_t seed = 1;
        for (uint32_t y = 0; y < 4000; ++y) {
            uint8_t* row = image.GetBits(y);
            for (uint32_t x = 0; x < 6000 * 3; ++x) {
                seed = seed * 1103515245u + 12345u;
                row[x] = static_cast<uint8_t>((x / 3 + y) / 40 + ((seed >> 16) & 15));
            }
        }
        CxMemStream stream;
        stream.Open();
        image.Encode(&stream, CXIMAGE_FORMAT_PNG);
        const uint8_t* data = stream.GetBuffer(false);
        return std::vector<uint8_t>(data, data + stream.Size());
    }();
    return bytes;
}

void WriteInPlace(const std::vector<uint8_t>& bytes) {
    auto file = qlry::SystemFileSystem().Open(kTarget, qlry::FileAccess::Write, qlry::FileShare::ReadWrite,
                                              qlry::FileDisposition::CreateAlways);
    if (!file || !file->Write(bytes.data(), bytes.size()) || !file->Close()) std::abort();
}

void WriteSafely(const std::vector<uint8_t>& bytes) {
    if (!qlry::WriteWholeFile(qlry::SystemFileSystem(), kTarget, bytes.data(), bytes.size())) std::abort();
}

template <const std::vector<uint8_t>& (*Bytes)(), void (*Write)(const std::vector<uint8_t>&)>
void BM_Write(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = Bytes();
    WriteInPlace(bytes);  // the target exists, as when a paste replaces a file
    for (auto _ : state) Write(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

BENCHMARK_TEMPLATE(BM_Write, TextBytes, WriteInPlace)->Name("Text100MB/InPlace")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Write, TextBytes, WriteSafely)->Name("Text100MB/Safe")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Write, PngBytes, WriteInPlace)->Name("Png6000x4000/InPlace")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Write, PngBytes, WriteSafely)->Name("Png6000x4000/Safe")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
