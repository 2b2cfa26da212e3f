// Prints one line per decode of every corpus file and per encode of a set of
// generated pictures in every writable format: the result, the error text,
// the picture's shape and a hash of its bytes. Run it before and after a
// change and diff the two outputs to prove that pixels, frame counts and
// written bytes stayed the same.
//
//   ximage_fingerprint CORPUS_DIR > before.txt
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

uint64_t Fnv(const uint8_t* bytes, size_t size, uint64_t hash = 1469598103934665603ull) {
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

uint64_t PictureHash(const CxImage& image) {
    if (!image.IsValid()) return 0;
    uint64_t hash = Fnv(image.GetDib(), image.GetSize());
    if (image.AlphaIsValid())
        hash = Fnv(image.GetAlphaPlane(), size_t{image.GetWidth()} * image.GetHeight(), hash);
    return hash;
}

void PrintDecode(const std::string& name, const std::vector<uint8_t>& bytes, int32_t frame) {
    std::vector<uint8_t> copy = bytes;
    CxMemStream stream(copy.data(), static_cast<int32_t>(copy.size()));
    CxImage image;
    image.SetFrame(frame);
    const bool ok = image.Decode(&stream, CXIMAGE_FORMAT_UNKNOWN);
    std::printf("decode %s frame %d: %d type %u %ux%u@%u frames %d trans %d hash %016llx error \"%s\"\n",
                name.c_str(), frame, ok, image.GetType(), image.GetWidth(), image.GetHeight(), image.GetBpp(),
                image.GetNumFrames(), image.GetTransIndex(), static_cast<unsigned long long>(PictureHash(image)),
                image.GetLastError());
    if (frame == 0 && image.GetNumFrames() > 1) {
        PrintDecode(name, bytes, 1);
        PrintDecode(name, bytes, image.GetNumFrames() - 1);
    }
}

void FingerprintCorpus(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().parent_path() != root &&
            entry.path().string().find("LICENSES") == std::string::npos)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        PrintDecode(std::filesystem::relative(path, root).string(), bytes, 0);
    }
}

// A deterministic picture: gradients with noise, so that both flat runs and
// busy rows reach the coders; a palette of shades for the indexed depths.
void MakePicture(CxImage& image, uint32_t width, uint32_t height, uint32_t bpp, bool withAlpha) {
    image.Create(width, height, bpp, 0);
    uint32_t seed = width * 7919u + height * 104729u + bpp;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 24; };
    if (bpp <= 8) {
        const uint32_t colors = 1u << bpp;
        for (uint32_t i = 0; i < colors; ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 255 / (colors - 1)),
                                  static_cast<uint8_t>(next()), static_cast<uint8_t>(255 - i * 255 / (colors - 1)));
    }
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t noise = next() & 15;
            if (bpp <= 8) {
                const uint32_t value = ((x + y) / 3 + (noise < 3 ? noise : 0)) % (1u << bpp);
                image.SetPixelIndex(x, y, static_cast<uint8_t>(value));
            } else {
                image.SetPixelColor(x, y,
                                    {static_cast<uint8_t>(x * 5 + noise), static_cast<uint8_t>(y * 3),
                                     static_cast<uint8_t>((x ^ y) + noise), 0});
            }
        }
    if (withAlpha) {
        image.AlphaCreate();
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) image.AlphaSet(x, y, static_cast<uint8_t>((x * 255) / width));
    }
}

void PrintEncode(uint32_t format, uint32_t width, uint32_t height, uint32_t bpp, bool withAlpha) {
    CxImage image;
    MakePicture(image, width, height, bpp, withAlpha);
    CxMemStream stream;
    stream.Open();
    const bool ok = image.Encode(&stream, format);
    const int32_t size = stream.Size();
    const uint8_t* bytes = stream.GetBuffer(false);
    std::printf("encode format %u %ux%u@%u alpha %d: %d size %d hash %016llx error \"%s\"\n", format, width, height,
                bpp, withAlpha, ok, size, static_cast<unsigned long long>(ok ? Fnv(bytes, size_t(size)) : 0),
                image.GetLastError());
}

void FingerprintEncodes() {
    const uint32_t depths[] = {1, 4, 8, 24};
    for (uint32_t format = 1; format <= CXIMAGE_MAX_FORMAT; ++format) {
        for (uint32_t bpp : depths)
            for (bool withAlpha : {false, true})
                for (auto [w, h] : {std::pair{1u, 1u}, {17u, 15u}, {33u, 7u}, {64u, 48u}, {301u, 203u}})
                    PrintEncode(format, w, h, bpp, withAlpha);
    }
    // GIF's two coders (one image, or a mosaic of tiles) at every small size.
    for (uint32_t bpp : depths)
        for (uint32_t w = 1; w <= 40; ++w)
            for (uint32_t h = 1; h <= 40; ++h) PrintEncode(CXIMAGE_FORMAT_GIF, w, h, bpp, false);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    FingerprintCorpus(argv[1]);
    FingerprintEncodes();
    return 0;
}
