// TIFF codec against libtiff itself, on the same generated files in the same run:
//   decode 6000 x 4000 LZW RGB (predictor 2)   vs TIFFReadEncodedStrip into one buffer  (target <= 1.10x)
//   decode a G4 page (A4 at 300 dpi)            vs TIFFReadEncodedStrip into one buffer  (target <= 1.10x)
//   encode 24 bits (JPEG inside TIFF)           vs libtiff writing the same rows         (target <= 1.10x)
//   encode 8 bits (LZW + predictor)             vs libtiff writing the same rows         (target <= 1.10x)
//   copy to clipboard (Load + ExportDibHandle): peak memory / DIB size                   (target <= 2.2x)
//     for the RGB rows path, the G4 strips path and the RGBA raster path (CMYK).
// Every file is written and read through the file system, as the program does.
#include <benchmark/benchmark.h>

#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_memory.h"
#include "platform/global_memory.h"
#include "ximage/ximage.h"

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;
constexpr uint32_t kPageWidth = 2480, kPageHeight = 3508;

void Silent(const char*, const char*, va_list) {}

// A photo-like picture: smooth gradients with some texture, so that LZW and
// JPEG have realistic work.
uint8_t Sample(uint32_t x, uint32_t y, uint32_t channel) {
    const uint32_t noise = (x * 2654435761u ^ y * 40503u ^ channel * 977u) >> 29;
    return static_cast<uint8_t>((x / 24 + y / 16 + channel * 60 + noise) & 0xFF);
}

// A text-like bilevel page: rows of glyph-sized blocks on white.
bool Ink(uint32_t x, uint32_t y) {
    const uint32_t line = y % 60, column = x % 28;
    return line >= 20 && line < 48 && column < 18 && ((x / 28 * 7 + y / 60 * 3 + line / 4 + column / 3) % 5 < 2);
}

std::vector<uint8_t> RgbRow(uint32_t y) {
    std::vector<uint8_t> row(kWidth * 3);
    for (uint32_t x = 0; x < kWidth; ++x)
        for (uint32_t c = 0; c < 3; ++c) row[3 * x + c] = Sample(x, y, c);
    return row;
}

struct Fixture {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "qlry_bench_tiff";
    std::filesystem::path lzw = dir / "lzw_rgb.tif";
    std::filesystem::path g4 = dir / "g4_page.tif";
    std::filesystem::path cmyk = dir / "lzw_cmyk.tif";
    std::filesystem::path out = dir / "out.tif";
    CxImage colour{kWidth, kHeight, 24, CXIMAGE_FORMAT_TIF};
    CxImage grey{kWidth, kHeight, 8, CXIMAGE_FORMAT_TIF};
    std::vector<uint8_t> rgbRows;   // top row first, RGB: what libtiff is given
    std::vector<uint8_t> greyRows;

    Fixture() {
        TIFFSetErrorHandler(Silent);
        TIFFSetWarningHandler(Silent);
        std::filesystem::create_directories(dir);
        rgbRows.resize(size_t{kWidth} * kHeight * 3);
        greyRows.resize(size_t{kWidth} * kHeight);
        for (uint32_t y = 0; y < kHeight; ++y) {
            const std::vector<uint8_t> row = RgbRow(y);
            std::memcpy(&rgbRows[size_t{y} * kWidth * 3], row.data(), row.size());
            uint8_t* bits = colour.GetBits(kHeight - 1 - y);
            uint8_t* greyBits = grey.GetBits(kHeight - 1 - y);
            for (uint32_t x = 0; x < kWidth; ++x) {
                bits[3 * x] = row[3 * x + 2];
                bits[3 * x + 1] = row[3 * x + 1];
                bits[3 * x + 2] = row[3 * x];
                greyBits[x] = greyRows[size_t{y} * kWidth + x] = row[3 * x + 1];
            }
        }
        grey.SetGrayPalette();
        WriteLzwRgb();
        WriteG4();
        WriteCmyk();
    }
    ~Fixture() { std::filesystem::remove_all(dir); }

    static void CommonTags(TIFF* tif, uint32_t width, uint32_t height, uint16_t samples, uint16_t bits,
                           uint16_t photometric, uint16_t compression) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
        if (compression == COMPRESSION_LZW) TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, static_cast<uint32_t>(-1)));
    }

    void WriteLzwRgb() {
        TIFF* tif = TIFFOpen(lzw.string().c_str(), "w");
        CommonTags(tif, kWidth, kHeight, 3, 8, PHOTOMETRIC_RGB, COMPRESSION_LZW);
        std::vector<uint8_t> row(kWidth * 3);
        for (uint32_t y = 0; y < kHeight; ++y) {
            std::memcpy(row.data(), &rgbRows[size_t{y} * kWidth * 3], row.size());
            TIFFWriteScanline(tif, row.data(), y, 0);
        }
        TIFFClose(tif);
    }

    void WriteG4() {
        TIFF* tif = TIFFOpen(g4.string().c_str(), "w");
        CommonTags(tif, kPageWidth, kPageHeight, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4);
        std::vector<uint8_t> row((kPageWidth + 7) / 8);
        for (uint32_t y = 0; y < kPageHeight; ++y) {
            std::fill(row.begin(), row.end(), 0);
            for (uint32_t x = 0; x < kPageWidth; ++x)
                if (Ink(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            TIFFWriteScanline(tif, row.data(), y, 0);
        }
        TIFFClose(tif);
    }

    void WriteCmyk() {
        TIFF* tif = TIFFOpen(cmyk.string().c_str(), "w");
        CommonTags(tif, kWidth, kHeight, 4, 8, PHOTOMETRIC_SEPARATED, COMPRESSION_LZW);
        std::vector<uint8_t> row(kWidth * 4);
        for (uint32_t y = 0; y < kHeight; ++y) {
            for (uint32_t x = 0; x < kWidth; ++x)
                for (uint32_t c = 0; c < 4; ++c) row[4 * x + c] = static_cast<uint8_t>(Sample(x, y, c) / 2);
            TIFFWriteScanline(tif, row.data(), y, 0);
        }
        TIFFClose(tif);
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

// libtiff reading every strip of a file into one buffer of the whole picture.
void ReadStripsWithLibtiff(const std::filesystem::path& path, benchmark::State& state) {
    TIFF* tif = TIFFOpen(path.string().c_str(), "r");
    if (!tif) {
        state.SkipWithError("libtiff cannot open the file");
        return;
    }
    const tmsize_t stripSize = TIFFStripSize(tif);
    const uint32_t strips = TIFFNumberOfStrips(tif);
    std::vector<uint8_t> picture(static_cast<size_t>(stripSize) * strips);
    for (uint32_t s = 0; s < strips; ++s) TIFFReadEncodedStrip(tif, s, &picture[size_t{s} * stripSize], stripSize);
    benchmark::DoNotOptimize(picture.data());
    TIFFClose(tif);
}

void LoadWithCodec(const std::filesystem::path& path, benchmark::State& state) {
    CxImage image;
    if (!image.Load(path.wstring(), CXIMAGE_FORMAT_TIF)) state.SkipWithError(image.GetLastError());
    benchmark::DoNotOptimize(image.GetBits(0));
}

void BM_DecodeLzwRgb_Codec(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) LoadWithCodec(f.lzw, state);
}
void BM_DecodeLzwRgb_Libtiff(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) ReadStripsWithLibtiff(f.lzw, state);
}
void BM_DecodeG4Page_Codec(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) LoadWithCodec(f.g4, state);
}
void BM_DecodeG4Page_Libtiff(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) ReadStripsWithLibtiff(f.g4, state);
}

// libtiff writing rows it is given ready (RGB order, top first), with the
// tags and compression the codec chooses for the depth.
void WriteWithLibtiff(const std::filesystem::path& path, const std::vector<uint8_t>& rows, uint16_t samples,
                      uint16_t photometric, uint16_t compression) {
    TIFF* tif = TIFFOpen(path.string().c_str(), "w");
    Fixture::CommonTags(tif, kWidth, kHeight, samples, 8, photometric, compression);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 90);
        uint32_t rowsPerStrip = 0;
        TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (rowsPerStrip + 7) / 8 * 8);
    }
    const size_t rowBytes = size_t{kWidth} * samples;
    std::vector<uint8_t> row(rowBytes);  // the predictor rewrites the row it is given
    for (uint32_t y = 0; y < kHeight; ++y) {
        std::memcpy(row.data(), &rows[y * rowBytes], rowBytes);
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
}

void BM_EncodeJpegRgb_Codec(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state)
        if (!f.colour.Save(f.out.wstring(), CXIMAGE_FORMAT_TIF)) state.SkipWithError(f.colour.GetLastError());
}
void BM_EncodeJpegRgb_Libtiff(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) WriteWithLibtiff(f.out, f.rgbRows, 3, PHOTOMETRIC_RGB, COMPRESSION_JPEG);
}
void BM_EncodeLzwGrey_Codec(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state)
        if (!f.grey.Save(f.out.wstring(), CXIMAGE_FORMAT_TIF)) state.SkipWithError(f.grey.GetLastError());
}
void BM_EncodeLzwGrey_Libtiff(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) WriteWithLibtiff(f.out, f.greyRows, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW);
}

// ---- peak memory of copying a file to the clipboard -----------------------------

using qlry::bench::StatusKb;

void CopyPeak(benchmark::State& state, const std::filesystem::path& path) {
    double ratio = 0;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5";  // resets VmHWM to the current RSS
        const long before = StatusKb("VmRSS:");
        CxImage image;
        if (!image.Load(path.wstring())) {
            state.SkipWithError(image.GetLastError());
            return;
        }
        qlry::HGlobal block = image.ExportDibHandle();
        const long peak = StatusKb("VmHWM:");
        qlry::SystemGlobalMemory().Free(block);
        ratio = double(peak - before) * 1024.0 / image.GetSize();
    }
    state.counters["peak/DIB"] = ratio;
}

void BM_CopyPeakMemory_LzwRgbRows(benchmark::State& state) { CopyPeak(state, Data().lzw); }
void BM_CopyPeakMemory_G4Strips(benchmark::State& state) { CopyPeak(state, Data().g4); }
void BM_CopyPeakMemory_CmykRgbaRaster(benchmark::State& state) { CopyPeak(state, Data().cmyk); }

}  // namespace

BENCHMARK(BM_DecodeLzwRgb_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLzwRgb_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeG4Page_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeG4Page_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpegRgb_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpegRgb_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLzwGrey_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLzwGrey_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPeakMemory_LzwRgbRows)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CopyPeakMemory_G4Strips)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CopyPeakMemory_CmykRgbaRaster)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
