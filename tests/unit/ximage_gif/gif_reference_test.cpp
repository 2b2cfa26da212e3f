// The corpus against giflib as a reference reader: where giflib reads a file
// whose first image covers the screen, the first picture holds the same
// indices and colour table.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gif_builder.h"
#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "ximage/ximage.h"

namespace {

using giftest::Bytes;

struct Source {
    const Bytes* bytes;
    size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* source = static_cast<Source*>(gif->UserData);
    const size_t n = std::min(static_cast<size_t>(count), source->bytes->size() - source->position);
    std::memcpy(out, source->bytes->data() + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

TEST(GifReference, FirstPictureMatchesGiflib) {
    size_t compared = 0;
    for (const auto& entry : qlry::test::CorpusEntries("gif")) {
        const Bytes file = qlry::test::ReadCorpusBytes(entry.path);
        // giflib reads any "GIF" signature; this reader wants "GIF8".
        if (file.size() < 4 || std::memcmp(file.data(), "GIF8", 4) != 0) continue;
        Source source{&file, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&source, ReadFromMemory, &error);
        if (!gif) continue;
        const bool slurped = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
        if (slurped) {
            const SavedImage& first = gif->SavedImages[0];
            const GifImageDesc& d = first.ImageDesc;
            const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
            if (d.Left == 0 && d.Top == 0 && d.Width == gif->SWidth && d.Height == gif->SHeight && map &&
                d.Width > 0 && d.Height > 0) {
                CxImage image;
                const bool ok = qlry::test::DecodeBytes(file, image, CXIMAGE_FORMAT_GIF);
                EXPECT_TRUE(ok) << entry.name;
                // Composed tiles are compared by the tiled tests.
                if (ok && image.GetBpp() != 24 && image.GetWidth() == static_cast<uint32_t>(d.Width) &&
                    image.GetHeight() == static_cast<uint32_t>(d.Height)) {
                const uint32_t mask = (1u << image.GetBpp()) - 1;
                size_t differ = 0;
                for (int y = 0; y < d.Height; ++y)
                    for (int x = 0; x < d.Width; ++x) {
                        const uint32_t want = first.RasterBits[size_t(y) * d.Width + x] & mask;
                        if (giftest::IndexAt(image, x, y) != want) ++differ;
                    }
                EXPECT_EQ(differ, 0u) << entry.name;
                for (int i = 0; i < map->ColorCount && i < static_cast<int>(image.GetNumColors()); ++i) {
                    const CxRgbQuad c = image.GetPaletteColor(static_cast<uint8_t>(i));
                    EXPECT_EQ(c.rgbRed, map->Colors[i].Red) << entry.name << " entry " << i;
                    EXPECT_EQ(c.rgbBlue, map->Colors[i].Blue) << entry.name << " entry " << i;
                }
                ++compared;
                } else {
                    ADD_FAILURE() << entry.name << " decodes as " << image.GetWidth() << "x" << image.GetHeight() << "x"
                                  << image.GetBpp();
                }
            }
        }
        DGifCloseFile(gif, &error);
    }
    EXPECT_GE(compared, 30u);
}

// Our encoder's files read back by giflib with the same indices.
TEST(GifReference, GiflibReadsTheEncodedFiles) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        CxImage image(37, 23, bpp, CXIMAGE_FORMAT_BMP);
        for (uint32_t i = 0; i < image.GetNumColors(); ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i), 9);
        for (uint32_t y = 0; y < 23; ++y)
            for (uint32_t x = 0; x < 37; ++x)
                image.SetPixelIndex(x, y, static_cast<uint8_t>((x * x + y * 3) % image.GetNumColors()));
        const Bytes file = qlry::test::EncodeBytes(image, CXIMAGE_FORMAT_GIF);
        Source source{&file, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&source, ReadFromMemory, &error);
        ASSERT_NE(gif, nullptr);
        ASSERT_EQ(DGifSlurp(gif), GIF_OK) << bpp;
        ASSERT_EQ(gif->ImageCount, 1);
        const SavedImage& first = gif->SavedImages[0];
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(first.RasterBits[size_t(y) * 37 + x], giftest::IndexAt(image, x, y)) << bpp;
        DGifCloseFile(gif, &error);
    }
    // The mosaic: giflib sees every tile with its local table.
    CxImage deep(40, 31, 24, CXIMAGE_FORMAT_BMP);
    for (uint32_t y = 0; y < 31; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            deep.SetPixelColor(x, y, CxRgbQuad{uint8_t(x * 6), uint8_t(y * 8), uint8_t(x ^ y), 0});
    const Bytes file = qlry::test::EncodeBytes(deep, CXIMAGE_FORMAT_GIF);
    Source source{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadFromMemory, &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, 3 * 3);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& tile = gif->SavedImages[i];
        ASSERT_NE(tile.ImageDesc.ColorMap, nullptr);
        for (int y = 0; y < tile.ImageDesc.Height; ++y)
            for (int x = 0; x < tile.ImageDesc.Width; ++x) {
                const GifColorType c = tile.ImageDesc.ColorMap->Colors[tile.RasterBits[y * tile.ImageDesc.Width + x]];
                const CxRgbQuad want = deep.GetPixelColor(tile.ImageDesc.Left + x, 30 - (tile.ImageDesc.Top + y), false);
                ASSERT_EQ(c.Red, want.rgbRed);
                ASSERT_EQ(c.Green, want.rgbGreen);
                ASSERT_EQ(c.Blue, want.rgbBlue);
            }
    }
    DGifCloseFile(gif, &error);
}

}  // namespace
