// Text copy and paste of large Latin-1 files against the least any program
// must do: read the file and widen it to UTF-16 (copy), or narrow UTF-16 and
// write it (paste). Sizes of 10 and 100 MB show whether the cost is linear.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench_rig.h"
#include "transfer/text_transfer.h"

namespace {

using qlry::bench::Rig;

// A Latin-1 file of `megabytes` MB whose lines are `lineLength` bytes long.
std::string MakeFile(int megabytes, int lineLength) {
    static std::map<std::pair<int, int>, std::string> made;
    auto key = std::make_pair(megabytes, lineLength);
    if (made.count(key)) return made[key];
    const std::string path = "/tmp/qlry-bench-" + std::to_string(megabytes) + "-" + std::to_string(lineLength) + ".txt";
    std::vector<char> bytes(static_cast<size_t>(megabytes) << 20);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const size_t column = i % static_cast<size_t>(lineLength + 2);
        bytes[i] = column == static_cast<size_t>(lineLength) ? '\r'
                   : column == static_cast<size_t>(lineLength) + 1 ? '\n'
                                                                   : static_cast<char>(0x20 + (i * 7) % 0xDF);
        if (bytes[i] == 0x7F || bytes[i] == 0x1A) bytes[i] = 'x';
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return made[key] = path;
}

std::wstring Wide(const std::string& path) { return std::wstring(path.begin(), path.end()); }

void BM_CopyBaseline(benchmark::State& state) {
    const std::string path = MakeFile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        std::fseek(file, 0, SEEK_END);
        const size_t size = static_cast<size_t>(std::ftell(file));
        std::fseek(file, 0, SEEK_SET);
        std::vector<unsigned char> bytes(size);
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, size, file));
        std::fclose(file);
        std::vector<uint16_t> units(size + 1);
        for (size_t i = 0; i < size; ++i) units[i] = bytes[i];
        benchmark::DoNotOptimize(units.data());
    }
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
}

void BM_Copy(benchmark::State& state) {
    const std::wstring path = Wide(MakeFile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    Rig rig;
    CTextTransfer transfer(rig.services);
    for (auto _ : state) {
        if (transfer.CopyToClipboard(path) != kTransferOk) state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
}

// Clipboard text equal to what copying the file gives.
void PutText(Rig& rig, const std::wstring& path) {
    CTextTransfer(rig.services).CopyToClipboard(path);
}

void BM_PasteBaseline(benchmark::State& state) {
    const std::wstring source = Wide(MakeFile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    Rig rig;
    PutText(rig, source);
    qlry::HGlobal block = rig.clipboard.GetData(qlry::kCfUnicodeText);
    const size_t units = rig.services.memory.Size(block) / 2 - 1;
    for (auto _ : state) {
        const auto* text = static_cast<const uint16_t*>(rig.services.memory.Lock(block));
        std::vector<unsigned char> bytes(units);
        for (size_t i = 0; i < units; ++i) bytes[i] = static_cast<unsigned char>(text[i]);
        rig.services.memory.Unlock(block);
        FILE* file = std::fopen("/tmp/qlry-bench-out.txt", "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
}

void BM_Paste(benchmark::State& state) {
    const std::wstring source = Wide(MakeFile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    Rig rig;
    PutText(rig, source);
    CTextTransfer transfer(rig.services);
    for (auto _ : state) {
        if (transfer.PasteIntoFile(L"/tmp/qlry-bench-out.txt", 0) != kTransferOk) state.SkipWithError("paste failed");
    }
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
}

// {megabytes, line length}: short lines and lines of 8 MB.
void Sizes(benchmark::internal::Benchmark* bench) {
    for (int megabytes : {10, 100}) {
        bench->Args({megabytes, 60});
        bench->Args({megabytes, 8 << 20});
    }
    bench->Unit(benchmark::kMillisecond)->Iterations(3);
}

BENCHMARK(BM_CopyBaseline)->Apply(Sizes);
BENCHMARK(BM_Copy)->Apply(Sizes);
BENCHMARK(BM_PasteBaseline)->Apply(Sizes);
BENCHMARK(BM_Paste)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
