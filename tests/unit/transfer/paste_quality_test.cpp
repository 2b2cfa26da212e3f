// The quality of the settings reaches a JPEG or JPEG-2000 paste.
#include <string>

#include <gtest/gtest.h>

#include "support/fake_services.h"
#include "transfer/image_transfer.h"
#include "ximage/ximage.h"

namespace {

using qlry::test::FakeServices;

struct PasteQuality : ::testing::Test {
    FakeServices fake;
    CImageTransfer transfer{fake.services};

    // A 64 x 64 picture with detail, so that the quality shows in the file.
    void PutPicture() {
        CxImage image(CXIMAGE_FORMAT_UNKNOWN);
        ASSERT_NE(image.Create(64, 64, 24, CXIMAGE_FORMAT_UNKNOWN), nullptr);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                image.SetPixelColor(x, y, CxRgbQuad{uint8_t(x * 37 + y * 11), uint8_t(x * y), uint8_t(y * 53), 0});
        fake.clipboard.Put(qlry::kCfDib, image.ExportDibHandle(fake.memory));
    }

    // Pastes into `name` with the stored quality (none: not stored).
    std::string PasteWith(const wchar_t* name, int quality) {
        fake.profile.ints.clear();
        if (quality != 0) fake.profile.ints[{L"Settings", L"Quality"}] = quality;
        const std::wstring path = std::wstring(L"C:\\pics\\") + name;
        EXPECT_EQ(transfer.PasteIntoFile(path, 0), kTransferOk);
        return fake.files.files[path];
    }

    // The first value of a JPEG file's first quantisation table: 1 at
    // quality 100, larger as the quality falls. A table with values above
    // 255 holds 16-bit values.
    static int FirstQuantValue(const std::string& jpeg) {
        const size_t at = jpeg.find("\xFF\xDB");
        if (at == std::string::npos || at + 6 >= jpeg.size()) return -1;
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(jpeg[at + i]); };
        return (byte(4) >> 4) != 0 ? byte(5) << 8 | byte(6) : byte(5);
    }
};

TEST_F(PasteQuality, JpegUsesTheStoredQualityAndNinetyWithout) {
    ASSERT_NO_FATAL_FAILURE(PutPicture());
    const int best = FirstQuantValue(PasteWith(L"a.jpg", 100));
    const int usual = FirstQuantValue(PasteWith(L"a.jpg", 0));
    const int poor = FirstQuantValue(PasteWith(L"a.jpg", 10));
    EXPECT_EQ(best, 1);
    EXPECT_EQ(usual, FirstQuantValue(PasteWith(L"a.jpg", 90)));
    EXPECT_LT(usual, poor);
    // A value out of range stands for the default.
    EXPECT_EQ(usual, FirstQuantValue(PasteWith(L"a.jpg", 400)));
    EXPECT_EQ(usual, FirstQuantValue(PasteWith(L"a.jpe", -3)));
}

TEST_F(PasteQuality, Jpeg2000RateFollowsTheQuality) {
    ASSERT_NO_FATAL_FAILURE(PutPicture());
    for (const wchar_t* name : {L"a.jp2", L"a.j2c"}) {
        const size_t poor = PasteWith(name, 5).size();
        const size_t best = PasteWith(name, 100).size();
        EXPECT_GT(poor, 0u);
        EXPECT_LT(poor * 2, best) << "the file at quality 5 should be far smaller";
    }
}

}  // namespace
