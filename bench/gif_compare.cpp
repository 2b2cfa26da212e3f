// GIF codec beside giflib, on the same generated files in the same run:
//   decode of a 4000 x 3000 8-bit picture (photo-like, 256 colours) vs giflib
//     decoding the same file to indices                          (target <= 1.0x)
//   copying the first picture of a 200-frame animation vs giflib decoding
//     every frame of it                                          (target <= 1.5x)
//   encode of the 8-bit picture vs giflib encoding the same indices (target <= 1.2x)
//   encode of a 6000 x 4000 24-bit picture as the 17 x 15 mosaic: throughput
//   copy of the 8-bit file to the clipboard (Load + ExportDibHandle):
//     peak memory / DIB size                                     (target <= 2.2x + 64 KB)
// All coders work from memory; the peak-memory row reads the file from disk.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_memory.h"
#include "platform/global_memory.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kWidth = 4000, kHeight = 3000;
constexpr uint32_t kFrameWidth = 320, kFrameHeight = 240, kFrames = 200;
constexpr uint32_t kDeepWidth = 6000, kDeepHeight = 4000;

// A smooth picture with grain, reduced to 256 levels of a palette: codes
// about as long as those of a photograph with an adaptive palette.
void PhotoIndices(uint32_t width, uint32_t height, uint32_t seed, std::vector<uint8_t>& out) {
    std::mt19937 rng(seed);
    out.resize(size_t{width} * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const double v = 128 + 60 * std::sin(x * 0.004 + seed) * std::cos(y * 0.006) + 40 * std::sin((x + y) * 0.0011);
            const int grain = static_cast<int>(rng() % 5) - 2;
            out[size_t{y} * width + x] = static_cast<uint8_t>(std::clamp(static_cast<int>(v) + grain, 0, 255));
        }
}

struct WriteSink {
    Bytes bytes;
};
int WriteToVector(GifFileType* gif, const GifByteType* data, int count) {
    auto* sink = static_cast<WriteSink*>(gif->UserData);
    sink->bytes.insert(sink->bytes.end(), data, data + count);
    return count;
}
struct ReadSource {
    const Bytes* bytes;
    size_t position;
};
int ReadFromVector(GifFileType* gif, GifByteType* out, int count) {
    auto* source = static_cast<ReadSource*>(gif->UserData);
    const size_t n = std::min(static_cast<size_t>(count), source->bytes->size() - source->position);
    std::memcpy(out, source->bytes->data() + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

ColorMapObject* GreyMap() {
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i) colors[i] = GifColorType{uint8_t(i), uint8_t(255 - i / 2), uint8_t(i / 3)};
    return GifMakeMapObject(256, colors);
}

// giflib's encoder over frames of indices (one or many), all full-size.
Bytes GiflibEncode(uint32_t width, uint32_t height, const std::vector<const uint8_t*>& frames) {
    WriteSink sink;
    int error = 0;
    GifFileType* gif = EGifOpen(&sink, WriteToVector, &error);
    ColorMapObject* map = GreyMap();
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, int(width), int(height), 8, 0, map);
    for (const uint8_t* frame : frames) {
        EGifPutImageDesc(gif, 0, 0, int(width), int(height), false, nullptr);
        for (uint32_t y = 0; y < height; ++y)
            EGifPutLine(gif, const_cast<GifPixelType*>(frame + size_t{y} * width), int(width));
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return std::move(sink.bytes);
}

// giflib decoding every image of a file to indices; returns the images read.
int GiflibDecode(const Bytes& file, std::vector<uint8_t>& indices) {
    ReadSource source{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadFromVector, &error);
    if (!gif) return 0;
    int images = 0;
    GifRecordType record;
    do {
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) break;
        if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR) break;
            const int w = gif->Image.Width, h = gif->Image.Height;
            indices.resize(size_t(w) * h);
            for (int y = 0; y < h; ++y) DGifGetLine(gif, indices.data() + size_t(y) * w, w);
            ++images;
        } else if (record == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* ext;
            DGifGetExtension(gif, &code, &ext);
            while (ext) DGifGetExtensionNext(gif, &ext);
        }
    } while (record != TERMINATE_RECORD_TYPE);
    DGifCloseFile(gif, &error);
    return images;
}

Bytes EncodeOurs(CxImage& image) {
    CxMemStream stream;
    stream.Open();
    image.Encode(&stream, CXIMAGE_FORMAT_GIF);
    Bytes out(static_cast<size_t>(stream.Size()));
    stream.Seek(0, SEEK_SET);
    stream.Read(out.data(), 1, out.size());
    return out;
}

struct Data {
    std::vector<uint8_t> indices;       // the 8-bit picture, top row first
    CxImage picture{kWidth, kHeight, 8, CXIMAGE_FORMAT_BMP};
    Bytes pictureFile;                  // written by our encoder
    Bytes animation;                    // 200 frames, written by giflib
    CxImage deep{kDeepWidth, kDeepHeight, 24, CXIMAGE_FORMAT_BMP};
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "qlry_bench_gif";
    std::filesystem::path pictureOnDisk = dir / "picture.gif";

    Data() {
        PhotoIndices(kWidth, kHeight, 1, indices);
        for (int i = 0; i < 256; ++i)
            picture.SetPaletteColor(uint8_t(i), uint8_t(i), uint8_t(255 - i / 2), uint8_t(i / 3));
        for (uint32_t y = 0; y < kHeight; ++y)
            std::memcpy(picture.GetBits(kHeight - 1 - y), indices.data() + size_t{y} * kWidth, kWidth);
        pictureFile = EncodeOurs(picture);

        std::vector<std::vector<uint8_t>> frames(kFrames);
        std::vector<const uint8_t*> pointers;
        for (uint32_t f = 0; f < kFrames; ++f) {
            PhotoIndices(kFrameWidth, kFrameHeight, f + 2, frames[f]);
            pointers.push_back(frames[f].data());
        }
        animation = GiflibEncode(kFrameWidth, kFrameHeight, pointers);

        std::mt19937 rng(7);
        for (uint32_t y = 0; y < kDeepHeight; ++y) {
            uint8_t* row = deep.GetBits(y);
            for (uint32_t x = 0; x < 3 * kDeepWidth; ++x)
                row[x] = static_cast<uint8_t>((x / 3 + y) / 16 + (x % 3) * 40 + rng() % 3);
        }
        std::filesystem::create_directories(dir);
        std::ofstream(pictureOnDisk, std::ios::binary)
            .write(reinterpret_cast<const char*>(pictureFile.data()), std::streamsize(pictureFile.size()));
    }
    ~Data() { std::filesystem::remove_all(dir); }
};

Data& Shared() {
    static Data data;
    return data;
}

// ---- decoding ------------------------------------------------------------

void BM_Decode8Bit_Ours(benchmark::State& state) {
    Data& d = Shared();
    for (auto _ : state) {
        Bytes copy = d.pictureFile;
        CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
        CxImage image;
        if (!image.Decode(&stream, CXIMAGE_FORMAT_GIF)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void BM_Decode8Bit_Giflib(benchmark::State& state) {
    Data& d = Shared();
    std::vector<uint8_t> indices;
    for (auto _ : state) {
        Bytes copy = d.pictureFile;
        if (GiflibDecode(copy, indices) != 1) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(indices.data());
    }
    if (indices != d.indices) state.SkipWithError("giflib read other indices");
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void BM_CopyFirstOf200Frames_Ours(benchmark::State& state) {
    Data& d = Shared();
    for (auto _ : state) {
        Bytes copy = d.animation;
        CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
        CxImage image;
        if (!image.Decode(&stream, CXIMAGE_FORMAT_GIF) || image.GetNumFrames() != int32_t(kFrames))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.GetBits(0));
    }
}

void BM_DecodeAll200Frames_Giflib(benchmark::State& state) {
    Data& d = Shared();
    std::vector<uint8_t> indices;
    for (auto _ : state) {
        Bytes copy = d.animation;
        if (GiflibDecode(copy, indices) != int(kFrames)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(indices.data());
    }
}

// ---- encoding ------------------------------------------------------------

// Our encoder on picture, whose pixels take pixelBytes.
void EncodeOurs(benchmark::State& state, CxImage& picture, int64_t pixelBytes) {
    size_t size = 0;
    for (auto _ : state) {
        CxMemStream stream;
        stream.Open();
        if (!picture.Encode(&stream, CXIMAGE_FORMAT_GIF)) state.SkipWithError("encode failed");
        size = static_cast<size_t>(stream.Size());
    }
    state.counters["bytes"] = double(size);
    state.SetBytesProcessed(int64_t(state.iterations()) * pixelBytes);
}

void BM_Encode8Bit_Ours(benchmark::State& state) { EncodeOurs(state, Shared().picture, int64_t{kWidth} * kHeight); }

void BM_Encode8Bit_Giflib(benchmark::State& state) {
    Data& d = Shared();
    size_t size = 0;
    for (auto _ : state) size = GiflibEncode(kWidth, kHeight, {d.indices.data()}).size();
    state.counters["bytes"] = double(size);
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void BM_EncodeMosaic24Bit_Ours(benchmark::State& state) {
    EncodeOurs(state, Shared().deep, int64_t{kDeepWidth} * kDeepHeight * 3);
}

// ---- peak memory of a copy to the clipboard --------------------------------

using qlry::bench::StatusKb;

// The copy, measured in a fresh process (this program started again with
// --copy-peak FILE): its high-water mark holds nothing of the other rows.
int CopyPeakChild(const char* file) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);  // large blocks straight from the system
    const long before = StatusKb("VmRSS:");
    CxImage image;
    std::string name(file);
    if (!image.Load(std::wstring(name.begin(), name.end()), CXIMAGE_FORMAT_GIF)) return 1;
    qlry::HGlobal block = image.ExportDibHandle();
    const long peak = StatusKb("VmHWM:");
    qlry::SystemGlobalMemory().Free(block);
    std::printf("%f\n", (double(peak - before) * 1024.0 - 65536.0) / image.GetSize());
    return 0;
}


void BM_CopyToClipboardPeakMemory(benchmark::State& state) {
    Data& d = Shared();
    double ratio = 0;
    for (auto _ : state) ratio = qlry::bench::CopyPeakRatio(d.pictureOnDisk.string());
    if (ratio < 0) state.SkipWithError("load failed");
    state.counters["(peak-64K)/DIB"] = ratio;
}

}  // namespace

BENCHMARK(BM_Decode8Bit_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode8Bit_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFirstOf200Frames_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAll200Frames_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode8Bit_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode8Bit_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeMosaic24Bit_Ours)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CopyToClipboardPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--copy-peak") == 0) return CopyPeakChild(argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
