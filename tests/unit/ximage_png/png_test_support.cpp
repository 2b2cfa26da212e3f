#include "png_test_support.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace qlry::test::png {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

std::vector<Chunk> ReadChunks(const std::vector<uint8_t>& file) {
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint64_t length = BigEndian32(&file[at]);
        if (at + 12 + length > file.size()) break;
        Chunk chunk;
        chunk.type.assign(reinterpret_cast<const char*>(&file[at + 4]), 4);
        chunk.data.assign(file.begin() + static_cast<ptrdiff_t>(at + 8),
                          file.begin() + static_cast<ptrdiff_t>(at + 8 + length));
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    return chunks;
}

size_t ImageDataEnd(const std::vector<uint8_t>& file) {
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint64_t length = BigEndian32(&file[at]);
        if (at + 12 + length > file.size()) break;
        at += 12 + static_cast<size_t>(length);
        if (std::memcmp(&file[at - 8 - length], "IEND", 4) == 0) return at;
    }
    return file.size();
}

const Chunk* FindChunk(const std::vector<Chunk>& chunks, const std::string& type) {
    for (const Chunk& chunk : chunks)
        if (chunk.type == type) return &chunk;
    return nullptr;
}

}  // namespace qlry::test::png
