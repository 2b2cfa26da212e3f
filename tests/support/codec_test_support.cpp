#include "support/codec_test_support.h"

#include <algorithm>
#include <cstdlib>

#include "ximage/toolkit/cx_mem_stream.h"

namespace qlry::test {

bool DecodeBytes(const Bytes& bytes, const std::function<bool(CxStream*)>& decode) {
    Bytes exact(bytes);
    CxMemStream stream(exact.empty() ? nullptr : exact.data(), static_cast<int32_t>(exact.size()));
    if (exact.empty()) stream.Open();
    return decode(&stream);
}

bool DecodeBytes(const Bytes& bytes, CxImage& image, uint32_t format) {
    return DecodeBytes(bytes, [&](CxStream* stream) {
        const bool ok = image.Decode(stream, format);
        if (!ok && format == CXIMAGE_FORMAT_UNKNOWN) {
            EXPECT_EQ(stream->Tell(), 0) << "detection must restore the position";
        }
        return ok;
    });
}

bool DecodeBytes(const Bytes& bytes, CxImage& image, uint32_t format, int32_t frame) {
    image.SetFrame(frame);
    return DecodeBytes(bytes, image, format);
}

Bytes EncodeBytes(CxImage& image, uint32_t format, bool* ok) {
    CxMemStream stream;
    const bool encoded = stream.Open() && image.Encode(&stream, format);
    if (ok) *ok = encoded;
    const int32_t size = stream.Size();
    const uint8_t* data = stream.GetBuffer(false);
    if (!encoded || !data || size <= 0) return {};
    return Bytes(data, data + size);
}

Bytes EncodeChecked(CxImage& image, uint32_t format) {
    Bytes bytes = EncodeBytes(image, format);
    EXPECT_FALSE(bytes.empty()) << "encoding failed: " << image.GetLastError();
    return bytes;
}

::testing::AssertionResult DecodedCleanly(bool ok, const CxImage& image) {
    if (ok && !image.IsValid()) return ::testing::AssertionFailure() << "decoded, but no image";
    if (!ok && image.IsValid()) return ::testing::AssertionFailure() << "refused, but an image is left";
    if (!ok && image.GetLastError()[0] == '\0') return ::testing::AssertionFailure() << "refused without a reason";
    return ::testing::AssertionSuccess();
}

std::set<size_t> TruncationLengths(size_t size, size_t head, size_t spread, std::initializer_list<size_t> extra) {
    std::set<size_t> lengths;
    for (size_t n = 0; n < head && n < size; ++n) lengths.insert(n);
    for (size_t i = 0; i < spread; ++i) lengths.insert(size * i / spread);
    for (const size_t n : extra)
        if (n < size) lengths.insert(n);
    if (size > 0) lengths.insert(size - 1);
    return lengths;
}

void ForEachTruncation(const Bytes& file, const std::set<size_t>& lengths,
                       const std::function<void(const Bytes&, size_t)>& check) {
    for (const size_t length : lengths) {
        if (length >= file.size()) continue;
        SCOPED_TRACE("cut at " + std::to_string(length));
        check(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)), length);
    }
}

void ForEachTruncation(const Bytes& file, const std::set<size_t>& lengths, uint32_t format,
                       const std::function<void(bool, CxImage&, size_t)>& check) {
    ForEachTruncation(file, lengths, [&](const Bytes& cut, size_t length) {
        CxImage image;
        const bool ok = DecodeBytes(cut, image, format);
        check(ok, image, length);
    });
}

::testing::AssertionResult SamePicture(const CxImage& a, const CxImage& b, Opacity opacity) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return ::testing::AssertionFailure() << "size " << a.GetWidth() << "x" << a.GetHeight() << " against "
                                             << b.GetWidth() << "x" << b.GetHeight();
    if (opacity == Opacity::SamePlanes && a.AlphaIsValid() != b.AlphaIsValid())
        return ::testing::AssertionFailure() << "alpha plane " << a.AlphaIsValid() << " against " << b.AlphaIsValid();
    const bool withAlpha = opacity != Opacity::Ignored;
    for (uint32_t y = 0; y < a.GetHeight(); ++y) {
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            CxRgbQuad p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            p.rgbReserved = withAlpha && a.AlphaIsValid() ? a.AlphaGet(x, y) : 255;
            q.rgbReserved = withAlpha && b.AlphaIsValid() ? b.AlphaGet(x, y) : 255;
            if (!(p == q))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << ": " << int(p.rgbRed) << "/" << int(p.rgbGreen) << "/"
                       << int(p.rgbBlue) << " a" << int(p.rgbReserved) << " against " << int(q.rgbRed) << "/"
                       << int(q.rgbGreen) << "/" << int(q.rgbBlue) << " a" << int(q.rgbReserved);
        }
    }
    return ::testing::AssertionSuccess();
}

int MaxDifference(const CxImage& a, const CxImage& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return 256;
    int worst = 0;
    for (uint32_t y = 0; y < a.GetHeight(); ++y)
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const CxRgbQuad p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            for (const int d : {p.rgbRed - q.rgbRed, p.rgbGreen - q.rgbGreen, p.rgbBlue - q.rgbBlue})
                worst = std::max(worst, std::abs(d));
        }
    return worst;
}

}  // namespace qlry::test
