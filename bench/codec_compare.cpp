// The image library's codecs beside what a user would otherwise run, in one
// run and on the same files: CxImage::Load and Save against stb_image (BMP,
// TGA), libpng (PNG) and libjpeg-turbo (JPEG) called directly. Two generated
// 6000 x 4000 pictures: a noisy photo-like one and a flat screenshot-like one.
// Each case runs 5 times; the table at the end gives the medians and the
// ratio ours / reference (targets: own codecs <= 1.0x stb_image,
// library-backed ones <= 1.05x the library).
//
// A codec family adds its rows to kRows (and, for a new reference, one
// function beside the others).
#include <benchmark/benchmark.h>

#include <jpeglib.h>
#include <png.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_medians.h"
#include "bench_pictures.h"
#include "ximage/ximage.h"

namespace {

constexpr uint32_t kWidth = 6000, kHeight = 4000;
constexpr int kRepetitions = 5;

namespace fs = std::filesystem;

// ---- the two pictures ------------------------------------------------------

using qlry::bench::PaintPhoto;
using qlry::bench::PaintScreenshot;

// Red-green-blue rows from the top, as stb_image_write takes them.
std::vector<uint8_t> TopDownRgb(const CxImage& image) {
    std::vector<uint8_t> rgb(size_t{kWidth} * kHeight * 3);
    for (uint32_t y = 0; y < kHeight; ++y) {
        const uint8_t* row = image.GetBits(kHeight - 1 - y);
        uint8_t* out = rgb.data() + size_t{y} * kWidth * 3;
        for (uint32_t x = 0; x < kWidth; ++x) {
            out[3 * x] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x];
        }
    }
    return rgb;
}

struct Picture {
    Picture(const char* pictureName) : name(pictureName) {}
    const char* name;
    CxImage image{kWidth, kHeight, 24, CXIMAGE_FORMAT_BMP};
    std::vector<uint8_t> rgb;
};

struct Files {
    fs::path dir = fs::temp_directory_path() / "qlry_bench_codec_compare";
    Picture pictures[2] = {"photo", "screen"};

    Files() {
        fs::create_directories(dir);
        PaintPhoto(pictures[0].image);
        PaintScreenshot(pictures[1].image);
        for (Picture& p : pictures) {
            p.rgb = TopDownRgb(p.image);
            p.image.Save(Path(p, "bmp").wstring(), CXIMAGE_FORMAT_BMP);
            p.image.Save(Path(p, "tga").wstring(), CXIMAGE_FORMAT_TGA);
            p.image.Save(Path(p, "png").wstring(), CXIMAGE_FORMAT_PNG);
            p.image.Save(Path(p, "jpg").wstring(), CXIMAGE_FORMAT_JPG);
            // Our encoder writes uncompressed TGA only: the run-length file comes from stb.
            stbi_write_tga_with_rle = 1;
            stbi_write_tga(Path(p, "rle.tga").c_str(), kWidth, kHeight, 3, p.rgb.data());
        }
    }
    ~Files() { fs::remove_all(dir); }
    fs::path Path(const Picture& p, const char* extension) const {
        return dir / (std::string(p.name) + "." + extension);
    }
    fs::path Scratch(const char* extension) const { return dir / (std::string("out.") + extension); }
};

Files& Data() {
    static Files files;
    return files;
}

// ---- the references ----------------------------------------------------------

bool StbLoad(const fs::path& path) {
    int w = 0, h = 0, n = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &n, 0);
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
    return pixels != nullptr;
}

bool LibpngLoad(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    benchmark::DoNotOptimize(pixels.data());
    return ok;
}

bool LibpngSave(const Picture& p, const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, p.rgb.data(), 0, nullptr) != 0;
}

bool TurboLoad(const fs::path& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const size_t stride = size_t{info.output_width} * info.output_components;
    std::vector<uint8_t> pixels(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    benchmark::DoNotOptimize(pixels.data());
    return true;
}

bool TurboSave(const Picture& p, const fs::path& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, p.image.GetJpegQuality(), TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(p.rgb.data()) + size_t{info.next_scanline} * kWidth * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

bool StbSaveBmp(const Picture& p, const fs::path& path) {
    return stbi_write_bmp(path.c_str(), kWidth, kHeight, 3, p.rgb.data()) != 0;
}

bool StbSaveTga(const Picture& p, const fs::path& path) {
    stbi_write_tga_with_rle = 0;
    return stbi_write_tga(path.c_str(), kWidth, kHeight, 3, p.rgb.data()) != 0;
}

// ---- the table -----------------------------------------------------------------

struct Row {
    const char* label;      // as printed
    const char* extension;  // of the file read, and of the file written
    uint32_t format;        // for Save; Load detects, as a copy does
    const char* reference;
    bool (*referenceLoad)(const fs::path&);
    bool (*referenceSave)(const Picture&, const fs::path&);  // null: Load only
};

const Row kRows[] = {
    {"BMP", "bmp", CXIMAGE_FORMAT_BMP, "stb_image", StbLoad, StbSaveBmp},
    {"TGA", "tga", CXIMAGE_FORMAT_TGA, "stb_image", StbLoad, StbSaveTga},
    {"TGA RLE", "rle.tga", CXIMAGE_FORMAT_TGA, "stb_image", StbLoad, nullptr},
    {"PNG", "png", CXIMAGE_FORMAT_PNG, "libpng", LibpngLoad, LibpngSave},
    {"JPEG", "jpg", CXIMAGE_FORMAT_JPG, "libjpeg-turbo", TurboLoad, TurboSave},
};

std::string Name(const char* operation, const Row& row, const Picture& p, const char* who) {
    return std::string(operation) + "/" + row.label + "/" + p.name + "/" + who;
}

void Register(const std::string& name, std::function<bool()> body) {
    qlry::bench::RegisterTimed(name, kRepetitions, std::move(body));
}

void RegisterAll() {
    Files& files = Data();
    for (const Row& row : kRows)
        for (const Picture& p : files.pictures) {
            const fs::path in = files.Path(p, row.extension);
            const fs::path out = files.Scratch(row.extension);
            Register(Name("Load", row, p, "quillory"), [in] {
                CxImage image;
                return image.Load(in.wstring());
            });
            Register(Name("Load", row, p, row.reference), [&row, in] { return row.referenceLoad(in); });
            if (!row.referenceSave) continue;
            Register(Name("Save", row, p, "quillory"),
                     [&p, &row, out] { return const_cast<CxImage&>(p.image).Save(out.wstring(), row.format); });
            Register(Name("Save", row, p, row.reference), [&p, &row, out] { return row.referenceSave(p, out); });
        }
}

// Prints the usual output, then one line per comparison with the medians.
class RatioReporter : public qlry::bench::MedianReporter {
public:
    void Finalize() override {
        ConsoleReporter::Finalize();
        // Wall-clock times, and the ratio of CPU times beside it: on a busy
        // machine the latter is the steadier one.
        std::printf("\n%-5s %-8s %-7s %12s %14s %9s %7s %9s\n", "op", "format", "picture", "quillory ms", "reference",
                    "ref ms", "ratio", "cpu ratio");
        for (const char* operation : {"Load", "Save"})
            for (const Row& row : kRows)
                for (const Picture& p : Data().pictures) {
                    qlry::bench::MedianTimes a, b;
                    if (!Pair(Name(operation, row, p, "quillory"), Name(operation, row, p, row.reference), a, b)) continue;
                    std::printf("%-5s %-8s %-7s %12.1f %14s %9.1f %6.2fx %8.2fx\n", operation, row.label, p.name,
                                a.real, row.reference, b.real, a.real / b.real, a.cpu / b.cpu);
                }
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
