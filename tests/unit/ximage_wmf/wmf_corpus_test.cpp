// Third-party metafiles over the fake device: the header checks take every
// placeable WMF of the corpus as one, with the size its header gives, and
// leave the rest to the EMF loader; nothing is left unreleased.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "support/allocation_sweep.h"
#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "wmf_test_support.h"

namespace {

using namespace qlry::test::wmf;
using qlry::test::FakeRenderDevice;

int32_t Signed16(const Bytes& b, size_t at) { return static_cast<int16_t>(b[at] | (b[at + 1] << 8)); }

bool IsPlaceable(const Bytes& file) {
    return file.size() >= 40 && file[0] == 0xD7 && file[1] == 0xCD && file[2] == 0xC6 && file[3] == 0x9A;
}

// Where a placeable file's metafile ends, by its header (0 for other files).
size_t MetafileEnd(const Bytes& file) {
    if (!IsPlaceable(file)) return 0;
    return 22 + 2 * size_t(file[28] | file[29] << 8 | file[30] << 16 | uint32_t(file[31]) << 24);
}

// Placeable files not marked broken that are refused, with the reason.
const std::set<std::string> kDeclined = {
    // Their headers count the placeable header in the metafile's length, so
    // that length is more than the whole file.
    "libemf2svg_test_libuemf_ref.wmf",
    "pillow_drawing.wmf",
};

TEST(WmfCorpus, PlaceableFilesAreSizedFromTheirHeaders) {
    int placeable = 0;
    for (const char* folder : {"wmf", "emf"}) {
        for (const auto& entry : qlry::test::CorpusEntries(folder)) {
            SCOPED_TRACE(entry.name);
            const Bytes file = qlry::test::ReadCorpusBytes(entry.path);
            FakeRenderDevice device;
            device.refuseEmf = true;
            CxImageWMF image(&device);
            const bool ok = DecodeMetafile(file, image);
            EXPECT_EQ(device.liveMetafiles, 0);
            EXPECT_EQ(device.liveSurfaces, 0);
            if (!IsPlaceable(file) || entry.corrupt || kDeclined.count(entry.name)) {
                if (!ok) {
                    EXPECT_STREQ(image.GetLastError(), "corrupted WMF");
                }
                continue;
            }
            ++placeable;
            ASSERT_TRUE(ok) << image.GetLastError();
            const int64_t upi = file[14] | (file[15] << 8);
            int64_t w = (Signed16(file, 10) - Signed16(file, 6)) * 96 / upi;
            int64_t h = (Signed16(file, 12) - Signed16(file, 8)) * 96 / upi;
            if (w > 4000) h = h * 4000 / w, w = 4000;
            if (h > 4000) w = w * 4000 / h, h = 4000;
            EXPECT_EQ(image.GetWidth(), uint64_t(w));
            EXPECT_EQ(image.GetHeight(), uint64_t(h));
            EXPECT_EQ(device.emfLoads, 0);
        }
    }
    EXPECT_GE(placeable, 12);
}

TEST(WmfCorpus, EveryTruncationFailsCleanly) {
    for (const char* folder : {"wmf", "emf"}) {
        for (const auto& entry : qlry::test::CorpusEntries(folder)) {
            const Bytes file = qlry::test::ReadCorpusBytes(entry.path);
            // Small files are cut at every length, large ones within their
            // first 64 bytes and at 300 places over the whole.
            const auto lengths = qlry::test::TruncationLengths(file.size(), file.size() > 4096 ? 65 : file.size(), 300);
            qlry::test::ForEachTruncation(file, lengths, [&](const Bytes& prefix, size_t cut) {
                FakeRenderDevice device;
                device.refuseEmf = true;
                CxImageWMF image(&device);
                // A WMF cut before the end of its metafile fails; what lies
                // after the metafile is not read. No EMF loads here.
                const bool ok = DecodeMetafile(prefix, image);
                if (cut < MetafileEnd(file) || !IsPlaceable(file)) {
                    ASSERT_FALSE(ok) << entry.name << " cut at " << cut;
                }
                ASSERT_EQ(device.liveMetafiles, 0);
                ASSERT_EQ(device.liveSurfaces, 0);
            });
        }
    }
}

}  // namespace

namespace {

// Each allocation of a metafile decode refused in turn: a clean failure with
// a reason or the same picture, and the device's objects released either way.
TEST(WmfCorpus, RefusedAllocationsEndCleanly) {
    int swept = 0;
    for (const char* folder : {"wmf", "emf"}) {
        for (const auto& entry : qlry::test::CorpusEntries(folder)) {
            const Bytes file = qlry::test::ReadCorpusBytes(entry.path);
            FakeRenderDevice device;
            CxImageWMF reference(&device);
            if (swept == 8 || entry.corrupt || !DecodeMetafile(file, reference)) continue;
            ++swept;
            SCOPED_TRACE(entry.name);
            qlry::test::SweepAllocations([&] {
                FakeRenderDevice fresh;
                CxImageWMF image(&fresh);
                const bool ok = DecodeMetafile(file, image);
                if (fresh.liveMetafiles || fresh.liveSurfaces) return ::testing::AssertionFailure() << "left unreleased";
                if (ok) return qlry::test::SamePicture(image, reference);
                if (image.GetLastError()[0]) return ::testing::AssertionSuccess();
                return ::testing::AssertionFailure() << "failed without a reason";
            });
        }
    }
    EXPECT_EQ(swept, 8);
}

}  // namespace
