// ICO decode and encode beside stb_image on the same 256 x 256 32-bit picture.
// stb_image reads no icons, so the baselines are the equivalent files it does
// read: the icon's bitmap entry is a 32-bit BMP body (compared with stb
// loading that picture as a 32-bit BMP file), and a PNG entry is a PNG file
// (compared with stb loading that same PNG). Encoding is compared with
// stb_image_write's BMP writer on the same pixels; the icon format stops at
// 255 pixels a side, so both encode 255 x 255.
//   IcoDecode/Bmp32   vs Stb/Bmp32     (target <= 1.0x)
//   IcoDecode/Png     vs Stb/Png       (target <= 1.0x), and PngCodec/Png: the PNG
//                     codec alone, which the icon's PNG entries go through
//   IcoEncode/255     vs StbWriteBmp/255
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <stb_image.h>
#include <stb_image_write.h>
#include "ximage/codecs/ximage_ico.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kSide = 256;

void Put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Blue, green, red, alpha of pixel (x, y), y counted from the bottom:
// gradients with some noise, so that the PNG is not trivially small.
void PixelAt(uint32_t x, uint32_t y, uint8_t* p) {
    const uint32_t noise = (x * 2654435761u) ^ (y * 40503u) ^ ((x * y) >> 3);
    p[0] = static_cast<uint8_t>(x * 3 + y + (noise & 7));
    p[1] = static_cast<uint8_t>((x ^ y) + ((noise >> 5) & 15));
    p[2] = static_cast<uint8_t>(y * 5 + (x >> 3));
    p[3] = static_cast<uint8_t>((x + y) % 255 + 1);  // never 0: alpha in the data
}

Bytes InfoHeader(uint32_t side, uint32_t heightFactor) {
    Bytes h;
    Put32(h, 40);
    Put32(h, side);
    Put32(h, side * heightFactor);
    Put16(h, 1);
    Put16(h, 32);
    Put32(h, 0);
    Put32(h, side * side * 4);
    for (int i = 0; i < 4; ++i) Put32(h, 0);
    return h;
}

Bytes Pixels32(uint32_t side) {
    Bytes px(size_t{side} * side * 4);
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x) PixelAt(x, y, &px[(size_t{y} * side + x) * 4]);
    return px;
}

Bytes IconOf(const Bytes& entryData, uint8_t sideByte) {
    Bytes out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out.insert(out.end(), {sideByte, sideByte, 0, 0});
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<uint32_t>(entryData.size()));
    Put32(out, 22);
    out.insert(out.end(), entryData.begin(), entryData.end());
    return out;
}

struct Files {
    Bytes icoBmp, bmp, png, icoPng;
    CxImage picture255;
    std::vector<uint8_t> rgba255;

    Files() {
        const Bytes px = Pixels32(kSide);
        Bytes entry = InfoHeader(kSide, 2);
        entry.insert(entry.end(), px.begin(), px.end());
        entry.insert(entry.end(), size_t{kSide} * kSide / 8, 0);  // the mask: nothing masked
        icoBmp = IconOf(entry, 0);

        const Bytes info = InfoHeader(kSide, 1);
        bmp = {'B', 'M'};
        Put32(bmp, static_cast<uint32_t>(14 + info.size() + px.size()));
        Put32(bmp, 0);
        Put32(bmp, 14 + 40);
        bmp.insert(bmp.end(), info.begin(), info.end());
        bmp.insert(bmp.end(), px.begin(), px.end());

        CxImage image;
        image.Create(kSide, kSide, 24);
        image.AlphaCreate();
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x) {
                uint8_t p[4];
                PixelAt(x, y, p);
                image.SetPixelColor(x, y, CxRgbQuad{p[0], p[1], p[2], p[3]}, true);
            }
        CxMemStream stream;
        stream.Open();
        image.Encode(&stream, CXIMAGE_FORMAT_PNG);
        png.assign(stream.GetBuffer(false), stream.GetBuffer(false) + stream.Size());
        icoPng = IconOf(png, 0);

        picture255.Create(kSide - 1, kSide - 1, 24);
        picture255.AlphaCreate();
        rgba255.resize(size_t{kSide - 1} * (kSide - 1) * 4);
        for (uint32_t y = 0; y < kSide - 1; ++y)
            for (uint32_t x = 0; x < kSide - 1; ++x) {
                uint8_t p[4];
                PixelAt(x, y, p);
                picture255.SetPixelColor(x, y, CxRgbQuad{p[0], p[1], p[2], p[3]}, true);
                uint8_t* q = &rgba255[(size_t{kSide - 2 - y} * (kSide - 1) + x) * 4];  // stb rows run top-down
                q[0] = p[2];
                q[1] = p[1];
                q[2] = p[0];
                q[3] = p[3];
            }
    }
};

Files& TheFiles() {
    static Files files;
    return files;
}

void DecodeIco(benchmark::State& state, const Bytes& file) {
    Bytes copy = file;
    for (auto _ : state) {
        CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
        CxImageICO image;
        if (!image.Decode(&stream) || image.GetWidth() != kSide || !image.AlphaIsValid())
            state.SkipWithError("ICO decode failed");
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void DecodeStb(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &n, 4);
        if (!pixels || w != int(kSide)) state.SkipWithError("stb decode failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_IcoDecode_Bmp32(benchmark::State& state) { DecodeIco(state, TheFiles().icoBmp); }
void BM_Stb_Bmp32(benchmark::State& state) { DecodeStb(state, TheFiles().bmp); }
void BM_IcoDecode_Png(benchmark::State& state) { DecodeIco(state, TheFiles().icoPng); }
void BM_Stb_Png(benchmark::State& state) { DecodeStb(state, TheFiles().png); }

// The PNG codec alone on the same PNG: what the icon adds to it.
void BM_PngCodec_Png(benchmark::State& state) {
    Bytes copy = TheFiles().png;
    for (auto _ : state) {
        CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
        CxImage image;
        if (!image.Decode(&stream, CXIMAGE_FORMAT_PNG)) state.SkipWithError("PNG decode failed");
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(copy.size()));
}

void BM_IcoEncode_255(benchmark::State& state) {
    CxImage& picture = TheFiles().picture255;
    for (auto _ : state) {
        CxMemStream stream;
        stream.Open();
        if (!picture.Encode(&stream, CXIMAGE_FORMAT_ICO)) state.SkipWithError("ICO encode failed");
        benchmark::DoNotOptimize(stream.GetBuffer(false));
    }
}

void CollectBytes(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

void BM_StbWriteBmp_255(benchmark::State& state) {
    const std::vector<uint8_t>& rgba = TheFiles().rgba255;
    for (auto _ : state) {
        Bytes out;
        if (!stbi_write_bmp_to_func(CollectBytes, &out, kSide - 1, kSide - 1, 4, rgba.data()))
            state.SkipWithError("stb write failed");
        benchmark::DoNotOptimize(out.data());
    }
}

BENCHMARK(BM_IcoDecode_Bmp32);
BENCHMARK(BM_Stb_Bmp32);
BENCHMARK(BM_IcoDecode_Png);
BENCHMARK(BM_Stb_Png);
BENCHMARK(BM_PngCodec_Png);
BENCHMARK(BM_IcoEncode_255);
BENCHMARK(BM_StbWriteBmp_255);

}  // namespace

BENCHMARK_MAIN();
