#pragma once
// What every codec's tests share: decoding and encoding through memory, the
// check that a decode ended cleanly, the loop over truncated copies of a
// file and picture comparison. A codec's own tests then hold its table of
// files and its own assertions.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ximage/ximage.h"

namespace qlry::test {

using Bytes = std::vector<uint8_t>;

// Decodes from a memory stream of exactly these bytes (no slack behind them
// for a reader to hide in; no bytes: an open, empty stream). A failed
// detection (format 0) must leave the stream where it started.
bool DecodeBytes(const Bytes& bytes, CxImage& image, uint32_t format);
// The same for one frame (page, image, component) of the file.
bool DecodeBytes(const Bytes& bytes, CxImage& image, uint32_t format, int32_t frame);
// The same stream handed to a codec's own decoder, for what a format number
// cannot say (a metafile's device and size, a probe, a codec object).
bool DecodeBytes(const Bytes& bytes, const std::function<bool(CxStream*)>& decode);

// The encoded bytes; empty when the encoder refused (ok, if given, tells).
Bytes EncodeBytes(CxImage& image, uint32_t format, bool* ok = nullptr);
// The same where the test needs the encoder to succeed: a refusal or an
// empty file fails the test, with the encoder's lastError.
Bytes EncodeChecked(CxImage& image, uint32_t format);

// A decode that succeeded left a whole image; one that failed left none
// and said why in lastError.
::testing::AssertionResult DecodedCleanly(bool ok, const CxImage& image);

// Lengths to cut a file of `size` bytes at: every length below `head`,
// `spread` lengths evenly over the file, the extra ones asked for and
// size - 1; never size itself.
std::set<size_t> TruncationLengths(size_t size, size_t head, size_t spread, std::initializer_list<size_t> extra = {});

// Decodes the first `length` bytes of file for each length, and hands the
// result to check (decoded?, the image, the length).
void ForEachTruncation(const Bytes& file, const std::set<size_t>& lengths, uint32_t format,
                       const std::function<void(bool, CxImage&, size_t)>& check);
// Hands check the first `length` bytes of file for each length, for tests
// that decode them their own way.
void ForEachTruncation(const Bytes& file, const std::set<size_t>& lengths,
                       const std::function<void(const Bytes&, size_t)>& check);

// What SamePicture holds to besides size and colour.
enum class Opacity {
    Compared,    // every pixel's, 255 where a picture has no alpha plane
    Ignored,     // colour alone
    SamePlanes,  // compared, and both pictures have an alpha plane or neither
};

// Same size, and every pixel's colour (and opacity) equal; the first
// difference is named.
::testing::AssertionResult SamePicture(const CxImage& a, const CxImage& b, Opacity opacity = Opacity::Compared);

// The largest difference of a colour channel at any pixel (opacity aside);
// 256 when the sizes differ.
int MaxDifference(const CxImage& a, const CxImage& b);

}  // namespace qlry::test
