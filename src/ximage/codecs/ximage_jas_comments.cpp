// Comment segments out of a JPEG-2000 code stream that OpenJPEG wrote: its
// encoder puts "Created by OpenJPEG version ..." into every main header,
// which at a small picture's rate takes a good part of the budget.
#include <cstring>

#include "ximage/codecs/ximage_jas_internal.h"
#include "ximage/toolkit/cx_checked.h"

namespace cxjas {
namespace {

constexpr uint16_t kStartOfCodeStream = 0xFF4F;
constexpr uint16_t kComment = 0xFF64;
constexpr uint16_t kStartOfTile = 0xFF90;

// Where the code stream starts (after the jp2c box's header) and where that
// box's length field is, with its size in bytes (0: the box runs to the end).
struct CodeStreamBox {
    size_t start = 0;
    size_t lengthField = 0;
    size_t lengthBytes = 0;
};

bool FindCodeStream(const uint8_t* bytes, size_t size, CodeStreamBox& box) {
    size_t at = 0;
    while (at + 8 <= size) {
        uint64_t length = cximage::LoadU32BE(bytes + at);
        size_t header = 8;
        size_t field = at, fieldBytes = 4;
        if (length == 1) {
            if (at + 16 > size) return false;
            length = (uint64_t{cximage::LoadU32BE(bytes + at + 8)} << 32) | cximage::LoadU32BE(bytes + at + 12);
            header = 16;
            field = at + 8;
            fieldBytes = 8;
        }
        if (std::memcmp(bytes + at + 4, "jp2c", 4) == 0) {
            box = {at + header, field, length == 0 ? 0 : fieldBytes};
            return true;
        }
        if (length < header || length > size - at) return false;
        at += static_cast<size_t>(length);
    }
    return false;
}

}  // namespace

size_t DropMainHeaderComments(uint8_t* bytes, size_t size, bool jp2) {
    CodeStreamBox box;
    if (jp2 && !FindCodeStream(bytes, size, box)) return size;
    size_t at = box.start;
    if (at + 2 > size || cximage::LoadU16BE(bytes + at) != kStartOfCodeStream) return size;
    at += 2;
    size_t removed = 0;
    // Every marker of the main header up to the first tile has a length.
    while (at + 4 <= size) {
        const uint16_t marker = cximage::LoadU16BE(bytes + at);
        if (marker == kStartOfTile || (marker >> 8) != 0xFF) break;
        const size_t segment = 2 + size_t{cximage::LoadU16BE(bytes + at + 2)};
        if (segment > size - at) break;
        if (marker != kComment) {
            at += segment;
            continue;
        }
        std::memmove(bytes + at, bytes + at + segment, size - at - segment);
        size -= segment;
        removed += segment;
    }
    if (box.lengthBytes == 4) {
        cximage::StoreU32BE(bytes + box.lengthField,
                            static_cast<uint32_t>(cximage::LoadU32BE(bytes + box.lengthField) - removed));
    } else if (box.lengthBytes == 8) {
        const uint32_t low = cximage::LoadU32BE(bytes + box.lengthField + 4);
        // Code streams we write are far below 4 GiB: the low word holds the change.
        cximage::StoreU32BE(bytes + box.lengthField + 4, static_cast<uint32_t>(low - removed));
    }
    return size;
}

}  // namespace cxjas
