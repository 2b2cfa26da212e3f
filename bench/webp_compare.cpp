// The WebP codec beside libwebp called directly, in one run and on the same
// files: the benchmarks' generated 6000 x 4000 photo and screenshot.
//   decode: CxImage::Load (detection, as a copy does)  vs the file read and
//           WebPDecodeBGR into a buffer of its own           (target <= 1.05x)
//   encode: CxImage::Save                               vs WebPEncode with the
//           same config from top-down rows, written to a file (target <= 1.05x)
//   copy to the clipboard (Load + ExportDibHandle): peak memory / DIB size
//                                                                  (target <= 2.2x)
// The photo is written lossy at quality 90 (the default), the screenshot
// lossless (quality 100), and the photo with a fading alpha plane lossy.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_medians.h"
#include "bench_memory.h"
#include "bench_pictures.h"
#include "platform/global_memory.h"
#include "ximage/ximage.h"

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;
constexpr int kRepetitions = 3;

namespace fs = std::filesystem;

struct Picture {
    Picture(const char* pictureName, uint8_t pictureQuality, bool withAlpha)
        : name(pictureName), quality(pictureQuality), alpha(withAlpha) {}
    const char* name;
    uint8_t quality;
    bool alpha;
    CxImage image{kWidth, kHeight, 24, CXIMAGE_FORMAT_WEBP};
    std::vector<uint8_t> bgr;  // top row first, as libwebp takes it
};

struct Files {
    fs::path dir = fs::temp_directory_path() / "qlry_bench_webp_compare";
    Picture pictures[3] = {{"photo", 90, false}, {"screen", 100, false}, {"alpha", 90, true}};

    Files() {
        fs::create_directories(dir);
        qlry::bench::PaintPhoto(pictures[0].image);
        qlry::bench::PaintScreenshot(pictures[1].image);
        qlry::bench::PaintPhoto(pictures[2].image);
        qlry::bench::AddFadingAlpha(pictures[2].image);
        for (Picture& p : pictures) {
            p.image.SetJpegQuality(p.quality);
            p.bgr.resize(size_t{kWidth} * kHeight * 3);
            for (uint32_t y = 0; y < kHeight; ++y)
                std::memcpy(&p.bgr[size_t{y} * kWidth * 3], p.image.GetBits(kHeight - 1 - y), size_t{kWidth} * 3);
            p.image.Save(In(p).wstring(), CXIMAGE_FORMAT_WEBP);
        }
    }
    ~Files() { fs::remove_all(dir); }
    fs::path In(const Picture& p) const { return dir / (std::string(p.name) + ".webp"); }
    fs::path Out() const { return dir / "out.webp"; }
};

Files& Data() {
    static Files files;
    return files;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(fs::file_size(path)));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// ---- libwebp called directly ------------------------------------------------

bool ReferenceDecode(const Picture& p) {
    const std::vector<uint8_t> file = ReadFile(Data().In(p));
    int width = 0, height = 0;
    uint8_t* pixels = p.alpha ? WebPDecodeBGRA(file.data(), file.size(), &width, &height)
                              : WebPDecodeBGR(file.data(), file.size(), &width, &height);
    benchmark::DoNotOptimize(pixels);
    WebPFree(pixels);
    return pixels != nullptr;
}

int CollectBytes(const uint8_t* data, size_t size, const WebPPicture* picture) {
    auto* out = static_cast<std::vector<uint8_t>*>(picture->custom_ptr);
    out->insert(out->end(), data, data + size);
    return 1;
}

// The config CxImageWEBP uses for the picture, the rows from the top.
bool ReferenceEncode(const Picture& p) {
    WebPConfig config;
    WebPConfigInit(&config);
    if (p.quality >= 100) {
        config.lossless = 1;
        config.exact = 1;
    } else {
        config.quality = p.quality;
    }
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.width = kWidth;
    picture.height = kHeight;
    picture.use_argb = config.lossless;
    std::vector<uint8_t> bgra;
    bool ok;
    if (p.alpha) {
        bgra.resize(size_t{kWidth} * kHeight * 4);
        for (uint32_t y = 0; y < kHeight; ++y)
            for (uint32_t x = 0; x < kWidth; ++x) {
                uint8_t* out = &bgra[(size_t{y} * kWidth + x) * 4];
                std::memcpy(out, &p.bgr[(size_t{y} * kWidth + x) * 3], 3);
                out[3] = p.image.AlphaGet(x, kHeight - 1 - y);
            }
        ok = WebPPictureImportBGRA(&picture, bgra.data(), kWidth * 4);
    } else {
        ok = WebPPictureImportBGR(&picture, p.bgr.data(), kWidth * 3);
    }
    std::vector<uint8_t> encoded;
    picture.writer = CollectBytes;
    picture.custom_ptr = &encoded;
    ok = ok && WebPEncode(&config, &picture);
    WebPPictureFree(&picture);
    std::ofstream(Data().Out(), std::ios::binary).write(reinterpret_cast<const char*>(encoded.data()),
                                                        static_cast<std::streamsize>(encoded.size()));
    return ok;
}

// ---- peak memory of a copy to the clipboard ------------------------------------

using qlry::bench::StatusKb;

// Measured in a fresh process (this program started again with --copy-peak
// FILE), so that its high-water mark holds nothing of the other rows.
int CopyPeakChild(const char* file) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);  // large blocks straight from the system
    const long before = StatusKb("VmRSS:");
    CxImage image;
    const std::string name(file);
    if (!image.Load(std::wstring(name.begin(), name.end()))) return 1;
    qlry::HGlobal block = image.ExportDibHandle();
    const long peak = StatusKb("VmHWM:");
    qlry::SystemGlobalMemory().Free(block);
    std::printf("%f\n", double(peak - before) * 1024.0 / image.GetSize());
    return 0;
}


// ---- registration and the table ---------------------------------------------------

std::string Name(const char* operation, const Picture& p, const char* who) {
    return std::string(operation) + "/" + p.name + "/" + who;
}

void Register(const std::string& name, std::function<bool()> body) {
    qlry::bench::RegisterTimed(name, kRepetitions, std::move(body));
}

std::map<std::string, double> g_peaks;

void RegisterAll() {
    Files& files = Data();
    for (Picture& p : files.pictures) {
        const fs::path in = files.In(p);
        Register(Name("Decode", p, "quillory"), [in] {
            CxImage image;
            return image.Load(in.wstring());
        });
        Register(Name("Decode", p, "libwebp"), [&p] { return ReferenceDecode(p); });
        Register(Name("Encode", p, "quillory"), [&p, &files] { return p.image.Save(files.Out().wstring(), CXIMAGE_FORMAT_WEBP); });
        Register(Name("Encode", p, "libwebp"), [&p] { return ReferenceEncode(p); });
        benchmark::RegisterBenchmark(Name("CopyPeak", p, "quillory").c_str(), [&p, in](benchmark::State& state) {
            double ratio = -1;
            for (auto _ : state) ratio = qlry::bench::CopyPeakRatio(in.string());
            if (ratio < 0) state.SkipWithError("load failed");
            state.counters["peak/DIB"] = ratio;
            g_peaks[p.name] = ratio;
        })->Iterations(1)->Unit(benchmark::kMillisecond);
    }
}

class RatioReporter : public qlry::bench::MedianReporter {
public:
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-7s %-7s %12s %10s %7s %9s %12s\n", "op", "picture", "quillory ms", "libwebp ms", "ratio",
                    "cpu ratio", "copy peak");
        for (const char* operation : {"Decode", "Encode"})
            for (const Picture& p : Data().pictures) {
                qlry::bench::MedianTimes a, b;
                if (!Pair(Name(operation, p, "quillory"), Name(operation, p, "libwebp"), a, b)) continue;
                std::printf("%-7s %-7s %12.1f %10.1f %6.2fx %8.2fx %11.2fx\n", operation, p.name, a.real, b.real,
                            a.real / b.real, a.cpu / b.cpu, g_peaks.count(p.name) ? g_peaks[p.name] : -1.0);
            }
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--copy-peak") == 0) return CopyPeakChild(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
