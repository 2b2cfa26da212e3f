// The native half of the Windows program's whole-process benchmark
// (tools/wine/bench-process.sh): writes the benchmark's pictures into a
// folder for Quillory.exe to copy and paste under Wine, and prints the
// native Save time of each writable format on the same pictures, so that
// the script can set the two side by side.
//
//   bench_process_pictures DIR   ->   lines "save EXT WIDTHxHEIGHT MEDIAN_MS"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_pictures.h"
#include "ximage/ximage.h"
#include "ximage/ximage_formats.h"

namespace {

namespace fs = std::filesystem;
using qlry::bench::AddFadingAlpha;
using qlry::bench::PaintPhoto;
using qlry::bench::PaintScreenshot;

constexpr int kRepetitions = 3;

// Every format a paste can write, by the extension the script pastes into.
constexpr const char* kWritable[] = {"bmp", "gif", "jpg", "png", "tif", "tga", "pcx",
                                     "wbmp", "jp2", "j2k", "pgx", "pnm", "ras", "webp"};

double MedianSaveMs(CxImage& image, const fs::path& path) {
    std::vector<double> times;
    for (int i = 0; i < kRepetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!image.Save(path.wstring(), FormatFromExtension(path.wstring()))) return -1;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Write(CxImage& image, const fs::path& path) {
    if (!image.Save(path.wstring(), FormatFromExtension(path.wstring())))
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), image.GetLastError());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const fs::path dir = argv[1];
    fs::create_directories(dir);
    for (const auto& [width, height] : {std::pair{3000u, 2000u}, {6000u, 4000u}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        CxImage photo(width, height, 24, CXIMAGE_FORMAT_BMP);
        PaintPhoto(photo);
        Write(photo, dir / ("photo-" + size + ".bmp"));
        Write(photo, dir / ("photo-" + size + ".png"));
        Write(photo, dir / ("photo-" + size + ".webp"));
        for (const char* extension : kWritable) {
            const double ms = MedianSaveMs(photo, dir / (std::string("native.") + extension));
            std::printf("save %s %s %.0f\n", extension, size.c_str(), ms);
            std::fflush(stdout);
        }
        AddFadingAlpha(photo);
        Write(photo, dir / ("photo-alpha-" + size + ".png"));
        Write(photo, dir / ("photo-alpha-" + size + ".webp"));
        CxImage screen(width, height, 24, CXIMAGE_FORMAT_BMP);
        PaintScreenshot(screen);
        Write(screen, dir / ("screen-" + size + ".png"));
        AddFadingAlpha(screen);
        Write(screen, dir / ("screen-alpha-" + size + ".png"));
    }
    for (const char* extension : kWritable) fs::remove(dir / (std::string("native.") + extension));
    return 0;
}
