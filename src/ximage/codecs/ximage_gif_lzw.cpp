// The LZW coder of GIF image data: codes packed least significant bit first
// into sub-blocks of at most 255 bytes, 3 to 12 bits wide.
#include "ximage/codecs/ximage_gif_lzw.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_stream.h"

namespace {

constexpr uint32_t kCodeMasks[17] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F, 0x003F, 0x007F, 0x00FF,
                                     0x01FF, 0x03FF, 0x07FF, 0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

// Pixels one at a time from the rows of a source.
class PixelCursor {
public:
    explicit PixelCursor(CxGifPixelSource& source) : source_(source) {}
    int Next() {
        if (x_ == length_) {
            row_ = source_.NextRow(length_);
            x_ = 0;
            if (!row_ || length_ == 0) {
                length_ = 0;
                return -1;
            }
        }
        return row_[x_++];
    }

private:
    CxGifPixelSource& source_;
    const uint8_t* row_ = nullptr;
    size_t length_ = 0;
    size_t x_ = 0;
};

}  // namespace

// ---- decoding --------------------------------------------------------------

// The next code, least significant bit first; a sub-block is read whole the
// first time one of its bits is needed. A zero-length sub-block ends the data
// (the end code), data that ends inside a sub-block is a failure (-1).
int CxGifLzwDecoder::NextCode(CxGifByteSource& bytes) {
    while (bitsLeft_ < codeSize_) {
        if (availBytes_ <= 0) {
            const int count = bytes.Next();
            if (count < 0) return -1;
            if (count == 0) return endCode_;
            if (!bytes.Take(subBlock_, count)) return -1;
            availBytes_ = static_cast<int16_t>(count);
            subPos_ = 0;
        }
        bitAccum_ |= uint32_t{subBlock_[subPos_++]} << bitsLeft_;
        bitsLeft_ = static_cast<int16_t>(bitsLeft_ + 8);
        --availBytes_;
    }
    const int code = static_cast<int>(bitAccum_ & kCodeMasks[codeSize_]);
    bitAccum_ >>= codeSize_;
    bitsLeft_ = static_cast<int16_t>(bitsLeft_ - codeSize_);
    return code;
}

int16_t CxGifLzwDecoder::Decode(CxGifByteSource& bytes, int32_t rowLength, CxGifRowSink& rows) {
    badCodes_ = 0;
    const int size = bytes.Next();
    if (size < 0) return kReadFailed;
    // Codes are at most 12 bits wide, so a minimum code size of 11 is the
    // largest a file can use (literal codes above 255 keep their low byte).
    if (size < 2 || size > 11) return kBadCodeSize;

    codeSize_ = static_cast<int16_t>(size + 1);
    topSlot_ = static_cast<int16_t>(1 << codeSize_);
    clearCode_ = static_cast<int16_t>(1 << size);
    endCode_ = static_cast<int16_t>(clearCode_ + 1);
    slot_ = firstFree_ = static_cast<int16_t>(clearCode_ + 2);
    availBytes_ = 0;
    bitsLeft_ = 0;
    bitAccum_ = 0;
    std::memset(stack_, 0, sizeof stack_);
    std::memset(suffix_, 0, sizeof suffix_);
    std::memset(prefix_, 0, sizeof prefix_);
    std::memset(length_, 0, sizeof length_);
    for (int i = 0; i < firstFree_; ++i) length_[i] = 1;

    // A row of no pixels would never fill: nothing to decode into.
    if (rowLength <= 0) return kNoRowBuffer;
    CxBuffer rowBuffer(uint64_t{static_cast<uint32_t>(rowLength)} + 1);
    if (!rowBuffer) return kNoRowBuffer;
    uint8_t* const row = rowBuffer.data();
    int32_t pos = 0;

    int oc = 0;
    int fc = 0;
    // The data starts as if after a clear code, whether or not it begins
    // with one: its first code is a character and adds no string.
    bool start = true;
    for (;;) {
        int c = NextCode(bytes);
        if (c == endCode_) break;
        if (c < 0) return 0;  // read failure: the row in progress is dropped

        if (c == clearCode_ || start) {
            start = false;
            codeSize_ = static_cast<int16_t>(size + 1);
            slot_ = firstFree_;
            topSlot_ = static_cast<int16_t>(1 << codeSize_);
            while (c == clearCode_) c = NextCode(bytes);
            if (c == endCode_) break;
            if (c < 0) return 0;
            if (c >= slot_) c = 0;
            oc = fc = c;
            row[pos++] = static_cast<uint8_t>(c);
            if (pos == rowLength) {
                const int r = rows.PutRow(row, pos);
                pos = 0;
                if (r < 0) return static_cast<int16_t>(r);
            }
            continue;
        }

        const int incode = c;
        int code = c;
        bool repeat = false;  // the code not yet in the table: previous string + its first character
        if (code >= slot_) {
            if (code > slot_) ++badCodes_;
            code = oc;
            repeat = true;
        }

        // While no bad code was seen every string's length is exact, and a
        // string that fits the row is written straight into it, last byte first.
        bool written = false;
        int first = 0;
        if (badCodes_ == 0) {
            const int32_t len = length_[code] + (repeat ? 1 : 0);
            if (len <= rowLength - pos) {
                uint8_t* const begin = row + pos;
                uint8_t* p = begin + len - 1;
                if (repeat) *p-- = static_cast<uint8_t>(fc);
                int walk = code;
                while (walk >= firstFree_ && p > begin) {
                    *p-- = suffix_[walk];
                    walk = prefix_[walk];
                }
                if (p == begin && walk < firstFree_) {
                    *p = static_cast<uint8_t>(walk);
                    first = walk;
                    pos += len;
                    written = true;
                }
            }
        }

        int32_t depth = 0;  // bytes on the stack, when the string went there
        if (!written) {
            uint8_t* sp = stack_ + kMaxCodes;
            if (repeat) *--sp = static_cast<uint8_t>(fc);
            int walk = code;
            while (walk >= firstFree_) {
                // Only a chain of codes that refer to each other can be this
                // long: the data is broken, stop here.
                if (sp == stack_) {
                    ++badCodes_;
                    return 0;
                }
                *--sp = suffix_[walk];
                walk = prefix_[walk];
            }
            if (sp == stack_) {
                ++badCodes_;
                return 0;
            }
            *--sp = static_cast<uint8_t>(walk);
            first = walk;
            depth = static_cast<int32_t>(stack_ + kMaxCodes - sp);
        }

        if (slot_ < topSlot_) {
            suffix_[slot_] = static_cast<uint8_t>(first);
            fc = static_cast<uint8_t>(first);
            prefix_[slot_] = static_cast<int16_t>(oc);
            length_[slot_] = static_cast<uint16_t>(std::min<int>(length_[oc] + 1, 0xFFFF));
            ++slot_;
            oc = incode;
        }
        if (slot_ >= topSlot_ && codeSize_ < 12) {
            topSlot_ = static_cast<int16_t>(topSlot_ << 1);
            ++codeSize_;
        }

        if (written) {
            if (pos == rowLength) {
                const int r = rows.PutRow(row, pos);
                pos = 0;
                if (r < 0) return static_cast<int16_t>(r);
            }
            continue;
        }
        const uint8_t* sp = stack_ + kMaxCodes - depth;
        while (sp < stack_ + kMaxCodes) {
            const int32_t n = std::min<int32_t>(static_cast<int32_t>(stack_ + kMaxCodes - sp), rowLength - pos);
            std::memcpy(row + pos, sp, static_cast<size_t>(n));
            pos += n;
            sp += n;
            if (pos == rowLength) {
                const int r = rows.PutRow(row, pos);
                pos = 0;
                if (r < 0) return static_cast<int16_t>(r);
            }
        }
    }
    if (pos > 0) return static_cast<int16_t>(rows.PutRow(row, pos));
    return 0;
}

// ---- encoding --------------------------------------------------------------

void CxGifLzwEncoder::FlushPacket() {
    if (packetCount_ <= 0) return;
    // After a refused write the rest is not offered: the image fails anyway.
    if (!writeFailed_) {
        const auto count = static_cast<size_t>(packetCount_);
        writeFailed_ = !out_->PutC(static_cast<uint8_t>(packetCount_)) || out_->Write(packet_, 1, count) != count;
    }
    packetCount_ = 0;
}

void CxGifLzwEncoder::PutByte(uint8_t byte) {
    packet_[packetCount_++] = byte;
    if (packetCount_ >= kPacketMax) FlushPacket();
}

void CxGifLzwEncoder::EmitCode(int32_t code) {
    curAccum_ &= kCodeMasks[curBits_];
    curAccum_ = curBits_ > 0 ? curAccum_ | (static_cast<uint32_t>(code) << curBits_) : static_cast<uint32_t>(code);
    curBits_ += nBits_;
    while (curBits_ >= 8) {
        PutByte(static_cast<uint8_t>(curAccum_ & 0xFF));
        curAccum_ >>= 8;
        curBits_ -= 8;
    }
    if (freeEnt_ > maxCode_ || clearFlag_) {
        if (clearFlag_) {
            nBits_ = initBits_;
            maxCode_ = static_cast<int16_t>((1 << nBits_) - 1);
            clearFlag_ = false;
        } else {
            ++nBits_;
            maxCode_ = static_cast<int16_t>(nBits_ == 12 ? kMaxCodes : (1 << nBits_) - 1);
        }
    }
}

bool CxGifLzwEncoder::Encode(int32_t initialWidth, CxGifPixelSource& pixels, CxStream* out) {
    out_ = out;
    writeFailed_ = false;
    initBits_ = initialWidth;
    nBits_ = initialWidth;
    maxCode_ = static_cast<int16_t>((1 << nBits_) - 1);
    clearCode_ = 1 << (initialWidth - 1);
    endCode_ = clearCode_ + 1;
    freeEnt_ = static_cast<int16_t>(clearCode_ + 2);
    clearFlag_ = false;
    curAccum_ = 0;
    curBits_ = 0;
    packetCount_ = 0;
    std::fill(std::begin(htab_), std::end(htab_), -1);

    PixelCursor cursor(pixels);
    int32_t ent = cursor.Next();
    EmitCode(clearCode_);
    if (ent >= 0) {
        int c;
        while ((c = cursor.Next()) >= 0) {
            const int32_t fcode = (c << 12) + ent;
            int32_t i = (c << 4) ^ ent;
            if (htab_[i] == fcode) {
                ent = codetab_[i];
                continue;
            }
            if (htab_[i] >= 0) {
                const int32_t disp = i == 0 ? 1 : kHashSize - i;
                bool found = false;
                do {
                    if ((i -= disp) < 0) i += kHashSize;
                    if (htab_[i] == fcode) {
                        found = true;
                        break;
                    }
                } while (htab_[i] > 0);
                if (found) {
                    ent = codetab_[i];
                    continue;
                }
            }
            EmitCode(ent);
            ent = c;
            if (freeEnt_ < kMaxCodes) {
                codetab_[i] = static_cast<uint16_t>(freeEnt_++);
                htab_[i] = fcode;
            } else {
                std::fill(std::begin(htab_), std::end(htab_), -1);
                freeEnt_ = static_cast<int16_t>(clearCode_ + 2);
                clearFlag_ = true;
                EmitCode(clearCode_);
            }
        }
        EmitCode(ent);
    }
    EmitCode(endCode_);
    while (curBits_ > 0) {
        PutByte(static_cast<uint8_t>(curAccum_ & 0xFF));
        curAccum_ >>= 8;
        curBits_ -= 8;
    }
    FlushPacket();
    out->Flush();
    return !writeFailed_ && out->Error() == 0;
}
