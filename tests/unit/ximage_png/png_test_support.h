#pragma once
// Helpers of the PNG tests: whole files in memory and a chunk walker that
// reads a file independently of libpng.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/codec_test_support.h"
#include "ximage/ximage.h"

namespace qlry::test::png {

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> ReadBytes(const std::string& path);

// The chunks after the signature, up to the first one that does not fit.
std::vector<Chunk> ReadChunks(const std::vector<uint8_t>& file);
const Chunk* FindChunk(const std::vector<Chunk>& chunks, const std::string& type);
const Chunk* FindChunk(std::vector<Chunk>&& chunks, const std::string& type) = delete;  // would dangle
uint32_t BigEndian32(const uint8_t* bytes);
// Where the IEND chunk ends (bytes behind it are not part of the image), or the file size.
size_t ImageDataEnd(const std::vector<uint8_t>& file);

// The codec helpers every test here uses.
using qlry::test::DecodeBytes;
using qlry::test::EncodeBytes;
using qlry::test::EncodeChecked;
using qlry::test::SamePicture;

}  // namespace qlry::test::png
