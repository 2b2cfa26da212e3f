// Every allocation of a decode, an encode and the clipboard exchange refused
// in turn: each run fails cleanly with a reason, or, where the refusal could
// be absorbed, gives exactly what an unhindered run gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/allocation_sweep.h"
#include "support/codec_test_support.h"
#include "support/corpus.h"
#include "support/fake_global_memory.h"
#include "ximage/dib/ximage_dibv5.h"
#include "ximage/toolkit/cx_mem_stream.h"
#include "ximage/ximage.h"

namespace {

using namespace qlry::test;

struct SweepFile {
    std::string path;
    Bytes bytes;
    uint32_t format;
};

// Of a folder's intact files that decode: the smallest, and three more
// spread over the sizes up to 64 KB.
std::vector<SweepFile> FilesToSweep(const std::string& folder) {
    std::vector<SweepFile> decodable;
    for (const CorpusEntry& entry : CorpusEntries(folder)) {
        SweepFile file{entry.path, ReadCorpusBytes(entry.path),
                       FormatFromExtension(std::wstring(entry.name.begin(), entry.name.end()))};
        CxImage image;
        if (entry.corrupt || file.bytes.size() > 65536 || !DecodeBytes(file.bytes, image, file.format)) continue;
        decodable.push_back(std::move(file));
    }
    std::sort(decodable.begin(), decodable.end(),
              [](const SweepFile& a, const SweepFile& b) { return a.bytes.size() < b.bytes.size(); });
    std::vector<SweepFile> chosen;
    for (size_t quarter = 0; quarter < 4 && !decodable.empty(); ++quarter) {
        const size_t i = quarter * (decodable.size() - 1) / 3;
        if (chosen.empty() || chosen.back().path != decodable[i].path) chosen.push_back(decodable[i]);
    }
    return chosen;
}

::testing::AssertionResult FailedWithAReason(const CxImage& image) {
    if (image.GetLastError()[0] != '\0') return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "failed without a reason";
}

TEST(AllocationSweep, DecodesFailCleanlyOrGiveTheWholePicture) {
    for (const char* folder : {"bmp", "gif", "ico", "jp2", "jpeg", "pcx", "pgx", "png", "pnm", "ras", "tga", "tiff",
                               "wbmp", "webp"}) {
        const std::vector<SweepFile> files = FilesToSweep(folder);
        EXPECT_FALSE(files.empty()) << folder;
        for (const SweepFile& file : files) {
            CxImage first;
            ASSERT_TRUE(DecodeBytes(file.bytes, first, file.format)) << file.path;
            // The last frame too, which a GIF draws on a canvas of the earlier ones.
            std::vector<int32_t> frames{0};
            if (first.GetNumFrames() > 1) frames.push_back(first.GetNumFrames() - 1);
            for (const int32_t frame : frames) {
                SCOPED_TRACE(file.path + " frame " + std::to_string(frame));
                CxImage reference;
                if (frame == 0) reference.Copy(first);
                else ASSERT_TRUE(DecodeBytes(file.bytes, reference, file.format, frame));
                SweepAllocations([&] {
                    CxImage image;
                    const bool ok = DecodeBytes(file.bytes, image, file.format, frame);
                    return ok ? SamePicture(image, reference) : DecodedCleanly(ok, image);
                });
            }
        }
    }
}

// A 24-bit picture with alpha, a palette picture with a transparent index,
// and a two-colour one: every encoder meets each.
std::vector<CxImage> PicturesToEncode() {
    std::vector<CxImage> pictures(3);
    const uint32_t depths[] = {24, 8, 1};
    for (size_t i = 0; i < pictures.size(); ++i) {
        CxImage& image = pictures[i];
        image.Create(33, 7, depths[i], CXIMAGE_FORMAT_BMP);
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 33; ++x) image.SetPixelColorRef(x, y, (x * 7 + y * 13) * 0x010305u);
    }
    pictures[0].AlphaCreate();
    for (uint32_t x = 0; x < 33; ++x) pictures[0].AlphaSet(x, 3, static_cast<uint8_t>(x * 7));
    pictures[1].SetTransIndex(5);
    return pictures;
}

TEST(AllocationSweep, EncodesFailWithAReasonOrWriteTheSameBytes) {
    std::vector<CxImage> pictures = PicturesToEncode();
    for (uint32_t format = CXIMAGE_FORMAT_BMP; format <= CXIMAGE_MAX_FORMAT; ++format) {
        if (format == CXIMAGE_FORMAT_WMF) continue;  // read only
        for (CxImage& picture : pictures) {
            SCOPED_TRACE("format " + std::to_string(format) + ", " + std::to_string(picture.GetBpp()) + " bits");
            bool encodes = false;
            const Bytes reference = EncodeBytes(picture, format, &encodes);
            SweepAllocations([&] {
                CxMemStream stream;
                if (!stream.Open()) return ::testing::AssertionSuccess();  // the caller's stream, not the encoder
                picture.SetLastErrorText("");
                if (!picture.Encode(&stream, format)) return FailedWithAReason(picture);
                if (!encodes) return ::testing::AssertionFailure() << "encoded what it refuses unhindered";
                const uint8_t* data = stream.GetBuffer(false);
                if (Bytes(data, data + stream.Size()) == reference) return ::testing::AssertionSuccess();
                return ::testing::AssertionFailure() << "other bytes";
            });
        }
    }
}

// The bytes of a clipboard block, freed.
Bytes TakeBlock(qlry::GlobalMemory& memory, qlry::HGlobal block) {
    const auto* bytes = static_cast<const uint8_t*>(memory.Lock(block));
    Bytes copy(bytes, bytes + memory.Size(block));
    memory.Unlock(block);
    memory.Free(block);
    return copy;
}

TEST(AllocationSweep, ClipboardBlocksAreWholeOrNone) {
    FakeGlobalMemory memory;
    for (CxImage& picture : PicturesToEncode()) {
        SCOPED_TRACE(std::to_string(picture.GetBpp()) + " bits");
        for (const bool v5 : {false, true}) {
            const auto exportBlock = [&] { return v5 ? cximage::ExportDibV5Handle(picture, memory) : picture.ExportDibHandle(memory); };
            const Bytes reference = TakeBlock(memory, exportBlock());
            SweepAllocations([&] {
                const qlry::HGlobal block = exportBlock();
                if (block) {
                    if (TakeBlock(memory, block) == reference) return ::testing::AssertionSuccess();
                    return ::testing::AssertionFailure() << "another block";
                }
                if (memory.LiveBlocks() == 0) return ::testing::AssertionSuccess();
                return ::testing::AssertionFailure() << "a block is left behind";
            });
        }
        const qlry::HGlobal block = picture.ExportDibHandle(memory);
        CxImage reference;
        ASSERT_TRUE(reference.ImportDibHandle(block, memory));
        SweepAllocations([&] {
            CxImage back;
            const bool ok = back.ImportDibHandle(block, memory);
            return ok ? SamePicture(back, reference) : DecodedCleanly(ok, back);
        });
        memory.Free(block);
    }
}

}  // namespace
