// Third-party icon and cursor files: every image of every file decodes or
// fails cleanly, the good ones give the sizes their directories state (or
// their PNG data), and every truncation of them fails cleanly or decodes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/byte_builder.h"
#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::Bytes;
using qlry::test::DecodeBytes;
using qlry::test::Get32;

// Images of files not marked broken that the decoder refuses, with the reason.
const std::set<std::pair<std::string, int32_t>> kDeclined = {
    {"dotnet_pngwithheight_icon.ico", 6},  // its PNG's deflate data is broken ("invalid literal/lengths set")
};

// The size an entry's directory states, or its PNG's IHDR.
std::pair<uint32_t, uint32_t> StatedSize(const Bytes& file, uint32_t frame) {
    const size_t entry = 6 + 16 * size_t{frame};
    const uint32_t offset = Get32(file, entry + 12);
    if (offset + 24 <= file.size() && file[offset] == 0x89 && file[offset + 1] == 'P') {
        auto be32 = [&](size_t at) {
            return uint32_t(file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3]);
        };
        return {be32(offset + 16), be32(offset + 20)};
    }
    // A bitmap: its info header lays out the rows.
    return {Get32(file, offset + 4), Get32(file, offset + 8) / 2};
}

TEST(IcoCorpus, EveryImageDecodesOrFailsCleanly) {
    const auto entries = qlry::test::CorpusEntries("ico");
    ASSERT_GE(entries.size(), 39u);
    int decodedImages = 0;
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        const Bytes file = qlry::test::ReadCorpusBytes(entry.path);
        CxImage first;
        const bool ok = DecodeBytes(file, first, CXIMAGE_FORMAT_ICO);
        if (!entry.corrupt) {
            ASSERT_TRUE(ok);
        }
        if (!ok) {
            EXPECT_FALSE(first.IsValid());
            continue;
        }
        const int32_t frames = first.GetNumFrames();
        ASSERT_GE(frames, 1);
        for (int32_t frame = 0; frame < frames; ++frame) {
            CxImage image;
            const bool decoded = DecodeBytes(file, image, CXIMAGE_FORMAT_ICO, frame);
            if (!entry.corrupt && !kDeclined.count({entry.name, frame})) {
                ASSERT_TRUE(decoded) << "frame " << frame;
            }
            if (!decoded) {
                EXPECT_FALSE(image.IsValid());
                continue;
            }
            ++decodedImages;
            EXPECT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_ICO});
            EXPECT_EQ(image.GetNumFrames(), frames);
            if (!entry.corrupt) {
                const auto [width, height] = StatedSize(file, static_cast<uint32_t>(frame));
                EXPECT_EQ(image.GetWidth(), width) << "frame " << frame;
                EXPECT_EQ(image.GetHeight(), height) << "frame " << frame;
            }
            // What decodes encodes again when the icon format can hold it.
            if (image.GetWidth() < 256 && image.GetHeight() < 256) {
                bool written = false;
                const Bytes again = qlry::test::EncodeBytes(image, CXIMAGE_FORMAT_ICO, &written);
                EXPECT_TRUE(written);
                CxImage back;
                EXPECT_TRUE(DecodeBytes(again, back, CXIMAGE_FORMAT_ICO));
                EXPECT_EQ(back.GetWidth(), image.GetWidth());
            }
        }
    }
    EXPECT_GE(decodedImages, 60);  // 66 today
}

TEST(IcoCorpus, EveryTruncationFailsCleanlyOrDecodes) {
    for (const auto& entry : qlry::test::CorpusEntries("ico")) {
        if (entry.corrupt) continue;
        SCOPED_TRACE(entry.name);
        const Bytes file = qlry::test::ReadCorpusBytes(entry.path);
        // Small files are cut at every length, large ones within their first
        // 64 bytes and at 700 places over the whole.
        const auto lengths = qlry::test::TruncationLengths(file.size(), file.size() > 8192 ? 65 : file.size(), 700);
        qlry::test::ForEachTruncation(file, lengths, [&](const Bytes& prefix, size_t cut) {
            CxImage image(2, 2, 8);
            if (DecodeBytes(prefix, image, CXIMAGE_FORMAT_ICO)) {
                ASSERT_TRUE(image.IsValid()) << cut;
                ASSERT_EQ(image.GetType(), uint32_t{CXIMAGE_FORMAT_ICO}) << cut;
            } else {
                ASSERT_EQ(image.GetWidth(), 2u) << cut;  // the caller's image stays
            }
        });
    }
}

}  // namespace
