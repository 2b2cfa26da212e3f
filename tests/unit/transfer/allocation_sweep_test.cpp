// Copies and pastes with each of the image library's allocations refused in
// turn: a failed transfer leaves the files and the clipboard as they were,
// one that succeeds leaves what an unhindered one leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/allocation_sweep.h"
#include "support/fake_services.h"
#include "transfer/image_transfer.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::FakeServices;
using qlry::test::SweepAllocations;

// All a transfer may change: the files, and the clipboard's blocks.
struct Snapshot {
    std::map<std::wstring, std::string> files;
    std::map<uint32_t, std::string> clipboard;
    size_t liveBlocks;
    bool operator==(const Snapshot& other) const {
        return files == other.files && clipboard == other.clipboard && liveBlocks == other.liveBlocks;
    }
};

struct TransferSweep : ::testing::Test {
    FakeServices fake;
    CImageTransfer transfer{fake.services};
    const uint32_t png = fake.clipboard.Registered(L"PNG");

    Snapshot Take() {
        Snapshot s{fake.files.files, {}, fake.memory.LiveBlocks()};
        for (const uint32_t format : {qlry::kCfDib, qlry::kCfDibV5, qlry::kCfUnicodeText, png}) {
            const qlry::HGlobal block = fake.clipboard.Block(format);
            if (!block) continue;
            qlry::GlobalLockGuard lock(fake.memory, block);
            s.clipboard[format].assign(static_cast<const char*>(lock.get()), fake.memory.Size(block));
        }
        return s;
    }
    void Restore(const Snapshot& s) {
        fake.files.files = s.files;
        EXPECT_TRUE(fake.clipboard.Open());
        fake.clipboard.Empty();
        fake.clipboard.Close();
        for (const auto& [format, bytes] : s.clipboard) {
            const qlry::HGlobal block = fake.memory.Alloc(qlry::kGmemMoveable, bytes.size());
            qlry::GlobalLockGuard lock(fake.memory, block);
            std::copy(bytes.begin(), bytes.end(), static_cast<char*>(lock.get()));
            fake.clipboard.Put(format, block);
        }
    }

    // Runs the transfer once unhindered and then under the sweep, from the
    // same state each time.
    void Sweep(const std::function<int()>& run) {
        const Snapshot before = Take();
        const int expected = run();
        const Snapshot after = Take();
        Restore(before);
        const uint64_t requests = SweepAllocations([&] {
            const int result = run();
            const Snapshot now = Take();
            Restore(before);
            if (result == kTransferOk && expected != kTransferOk) return ::testing::AssertionFailure() << "succeeded";
            if (now == (result == kTransferOk ? after : before)) return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << (result == kTransferOk ? "other result" : "changed on failure");
        });
        EXPECT_GT(requests, 0u) << "the image library was never asked";
    }
};

// 9 x 5, its alpha running from clear to opaque: a copy hands the clipboard
// three blocks.
void PaintTransparent(CxImage& image) {
    ASSERT_NE(image.Create(9, 5, 24), nullptr);
    image.AlphaCreate();
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 9; ++x) {
            image.SetPixelColorRef(x, y, (x * 29 + y * 71) * 0x010203u);
            image.AlphaSet(x, y, static_cast<uint8_t>(x * 30 + y));
        }
}

TEST_F(TransferSweep, CopyLeavesTheClipboardWholeOrAsItWas) {
    CxImage picture;
    PaintTransparent(picture);
    for (const uint32_t format : {CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_GIF}) {
        SCOPED_TRACE(format);
        const std::wstring path = L"C:\\pics\\copied." + std::to_wstring(format);
        ASSERT_TRUE(picture.Save(path, format, fake.files));
        fake.clipboard.PutText(u"before");
        Sweep([&] { return transfer.CopyToClipboard(path); });
    }
}

TEST_F(TransferSweep, PasteLeavesTheFileWholeOrAsItWas) {
    CxImage picture;
    PaintTransparent(picture);
    ASSERT_TRUE(picture.Save(L"C:\\pics\\logo.png", CXIMAGE_FORMAT_PNG, fake.files));
    ASSERT_EQ(transfer.CopyToClipboard(L"C:\\pics\\logo.png"), kTransferOk);
    for (const char* extension :
         {"bmp", "gif", "jpg", "png", "ico", "tif", "tga", "pcx", "wbmp", "jp2", "j2k", "pgx", "pnm", "ras", "webp"}) {
        SCOPED_TRACE(extension);
        const std::wstring path = L"C:\\pics\\pasted." + std::wstring(extension, extension + std::strlen(extension));
        fake.files.files[path] = "old contents";
        Sweep([&] { return transfer.PasteIntoFile(path, 0); });
    }
}

}  // namespace
