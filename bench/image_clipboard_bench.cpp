// Copying a picture to the clipboard: the copy as it was (decode, CF_DIB)
// beside CImageTransfer's copy, which adds "PNG" and CF_DIBV5 for a picture
// with transparency. An opaque picture must cost what it cost before; for a
// transparent one the extra PNG encode and 32-bit block are shown apart.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "bench_rig.h"
#include "transfer/clipboard_alpha_blocks.h"
#include "transfer/image_transfer.h"
#include "ximage/ximage.h"
#include "ximage/dib/ximage_dibv5.h"

namespace {

using qlry::bench::Rig;

// A PNG file of width x height: smooth gradients with sharp-edged shapes,
// as logos and screenshots have; with transparency an alpha plane that is
// clear outside a rounded shape, soft at its edge and opaque inside.
std::wstring MakePicture(uint32_t width, uint32_t height, bool transparent) {
    static std::map<std::tuple<uint32_t, uint32_t, bool>, std::wstring> made;
    const auto key = std::make_tuple(width, height, transparent);
    if (made.count(key)) return made[key];
    CxImage image;
    image.Create(width, height, 24);
    if (transparent) image.AlphaCreate();
    const double cx = width / 2.0, cy = height / 2.0, radius = (width < height ? width : height) * 0.45;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const bool band = ((x / 64) + (y / 48)) % 3 == 0;
            image.SetPixelColor(x, y, CxRgbQuad{uint8_t(band ? 240 : x * 255 / width), uint8_t(y * 255 / height),
                                                uint8_t(band ? 30 : (x ^ y) & 0x3F), 0});
            if (transparent) {
                const double dx = x - cx, dy = y - cy, d = dx * dx + dy * dy;
                const double edge = (radius - __builtin_sqrt(d)) * 16;
                image.AlphaSet(x, y, static_cast<uint8_t>(edge <= 0 ? 0 : edge >= 255 ? 255 : edge));
            }
        }
    }
    const std::string path = "/tmp/qlry-bench-picture-" + std::to_string(width) + "x" + std::to_string(height) +
                             (transparent ? "-alpha" : "") + ".png";
    const std::wstring wide(path.begin(), path.end());
    image.Save(wide, CXIMAGE_FORMAT_PNG);
    return made[key] = wide;
}

std::wstring PictureFor(const benchmark::State& state) {
    return MakePicture(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)),
                       state.range(2) != 0);
}

// The copy as it was before the alpha formats: decode, CF_DIB alone.
void BM_CopyDibOnly(benchmark::State& state) {
    const std::wstring path = PictureFor(state);
    Rig rig;
    for (auto _ : state) {
        CxImage image(CXIMAGE_FORMAT_UNKNOWN);
        if (!image.Load(path, CXIMAGE_FORMAT_UNKNOWN)) state.SkipWithError("load failed");
        qlry::UniqueGlobal block(rig.services.memory, image.ExportDibHandle(rig.services.memory));
        qlry::ClipboardGuard open(rig.clipboard);
        rig.clipboard.Empty();
        if (rig.clipboard.SetData(qlry::kCfDib, block.get())) block.release();
    }
}

// CImageTransfer's copy: CF_DIB, and "PNG" and CF_DIBV5 when transparent.
void BM_Copy(benchmark::State& state) {
    const std::wstring path = PictureFor(state);
    Rig rig;
    CImageTransfer transfer(rig.services);
    for (auto _ : state) {
        if (transfer.CopyToClipboard(path) != kTransferOk) state.SkipWithError("copy failed");
    }
    state.counters["formats"] = static_cast<double>(rig.clipboard.Formats());
}

// The two extra blocks alone, on the decoded transparent picture.
void BM_EncodePngBlock(benchmark::State& state) {
    CxImage image;
    image.Load(PictureFor(state));
    for (auto _ : state) qlry::SystemGlobalMemory().Free(qlry::EncodePngBlock(image, qlry::SystemGlobalMemory()));
}

void BM_ExportDibV5(benchmark::State& state) {
    CxImage image;
    image.Load(PictureFor(state));
    for (auto _ : state) {
        qlry::SystemGlobalMemory().Free(cximage::ExportDibV5Handle(image, qlry::SystemGlobalMemory()));
    }
}

// Each copy right beside its baseline, so that a busy machine weighs on
// both alike: {width, height, transparent} for an icon-sized logo, a
// screenshot and a photo.
void RegisterAll() {
    const std::pair<int, int> sizes[] = {{256, 256}, {1920, 1080}, {6000, 4000}};
    const auto shape = [](benchmark::internal::Benchmark* bench) {
        bench->ArgNames({"w", "h", "alpha"})->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5)
            ->ReportAggregatesOnly(true);
    };
    for (const auto& [width, height] : sizes) {
        for (int transparent : {0, 1}) {
            shape(benchmark::RegisterBenchmark("BM_CopyDibOnly", BM_CopyDibOnly)->Args({width, height, transparent}));
            shape(benchmark::RegisterBenchmark("BM_Copy", BM_Copy)->Args({width, height, transparent}));
        }
        shape(benchmark::RegisterBenchmark("BM_EncodePngBlock", BM_EncodePngBlock)->Args({width, height, 1}));
        shape(benchmark::RegisterBenchmark("BM_ExportDibV5", BM_ExportDibV5)->Args({width, height, 1}));
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
