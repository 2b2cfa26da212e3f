// CxImageGIF: the LZW coders of the image data, the read-ahead buffer they
// read through and the encoder's pixel source.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ximage/codecs/ximage_gif.h"
#include "ximage/toolkit/cx_buffer.h"
#include "ximage/toolkit/cx_stream.h"

namespace {

constexpr uint32_t kCodeMasks[17] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F, 0x003F, 0x007F, 0x00FF,
                                     0x01FF, 0x03FF, 0x07FF, 0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

}  // namespace

// ---- decoding --------------------------------------------------------------

int CxImageGIF::ReadAheadByte(CxStream* stream) {
    if (readPos == kReadAheadFill) {
        validBytes = static_cast<int32_t>(stream->Read(readAhead, 1, kReadAheadFill));
        if (validBytes < kReadAheadFill) readAhead[validBytes] = 0xFF;
        readPos = 0;
    }
    if (readPos >= validBytes) return -1;
    return readAhead[readPos++];
}

// The next code, least significant bit first; a sub-block is read whole the
// first time one of its bits is needed. A zero-length sub-block ends the data
// (the end code), a stream that ends inside a sub-block is a failure (-1).
int CxImageGIF::NextCode(CxStream* stream) {
    while (bitsLeft < currSize) {
        if (availBytes <= 0) {
            const int count = ReadAheadByte(stream);
            if (count < 0) return -1;
            if (count == 0) return endingCode;
            if (validBytes - readPos >= count) {
                std::memcpy(subBlock, readAhead + readPos, static_cast<size_t>(count));
                readPos += count;
            } else {
                for (int i = 0; i < count; ++i) {
                    const int b = ReadAheadByte(stream);
                    if (b < 0) return -1;
                    subBlock[i] = static_cast<uint8_t>(b);
                }
            }
            availBytes = static_cast<int16_t>(count);
            subPos = 0;
        }
        bitAccum |= uint32_t{subBlock[subPos++]} << bitsLeft;
        bitsLeft = static_cast<int16_t>(bitsLeft + 8);
        --availBytes;
    }
    const int code = static_cast<int>(bitAccum & kCodeMasks[currSize]);
    bitAccum >>= currSize;
    bitsLeft = static_cast<int16_t>(bitsLeft - currSize);
    return code;
}

int16_t CxImageGIF::LzwDecode(CxStream* stream, int32_t rowLength, int32_t& badCodes) {
    badCodes = 0;
    const int size = ReadAheadByte(stream);
    if (size < 0) return kLzwReadFailed;
    if (size < 2 || size > 9) return kLzwBadCodeSize;

    currSize = static_cast<int16_t>(size + 1);
    topSlot = static_cast<int16_t>(1 << currSize);
    clearCode = static_cast<int16_t>(1 << size);
    endingCode = static_cast<int16_t>(clearCode + 1);
    slot = firstFree = static_cast<int16_t>(clearCode + 2);
    availBytes = 0;
    bitsLeft = 0;
    bitAccum = 0;
    std::memset(stack, 0, sizeof stack);
    std::memset(suffix, 0, sizeof suffix);
    std::memset(prefix, 0, sizeof prefix);
    std::memset(length, 0, sizeof length);
    for (int i = 0; i < firstFree; ++i) length[i] = 1;

    // A row of no pixels would never fill: nothing to decode into.
    if (rowLength <= 0) return kLzwNoRowBuffer;
    CxBuffer rowBuffer(uint64_t{static_cast<uint32_t>(rowLength)} + 1);
    if (!rowBuffer) return kLzwNoRowBuffer;
    uint8_t* const row = rowBuffer.data();
    int32_t pos = 0;

    int oc = 0;
    int fc = 0;
    // The data starts as if after a clear code, whether or not it begins
    // with one: its first code is a character and adds no string.
    bool start = true;
    for (;;) {
        int c = NextCode(stream);
        if (c == endingCode) break;
        if (c < 0) return 0;  // read failure: the row in progress is dropped

        if (c == clearCode || start) {
            start = false;
            currSize = static_cast<int16_t>(size + 1);
            slot = firstFree;
            topSlot = static_cast<int16_t>(1 << currSize);
            while (c == clearCode) c = NextCode(stream);
            if (c == endingCode) break;
            if (c < 0) return 0;
            if (c >= slot) c = 0;
            oc = fc = c;
            row[pos++] = static_cast<uint8_t>(c);
            if (pos == rowLength) {
                const int r = DeliverRow(row, pos);
                pos = 0;
                if (r < 0) return static_cast<int16_t>(r);
            }
            continue;
        }

        const int incode = c;
        int code = c;
        bool repeat = false;  // the code not yet in the table: previous string + its first character
        if (code >= slot) {
            if (code > slot) ++badCodes;
            code = oc;
            repeat = true;
        }

        // While no bad code was seen every string's length is exact, and a
        // string that fits the row is written straight into it, last byte first.
        bool written = false;
        int first = 0;
        if (badCodes == 0) {
            const int32_t len = length[code] + (repeat ? 1 : 0);
            if (len <= rowLength - pos) {
                uint8_t* const start = row + pos;
                uint8_t* p = start + len - 1;
                if (repeat) *p-- = static_cast<uint8_t>(fc);
                int walk = code;
                while (walk >= firstFree && p > start) {
                    *p-- = suffix[walk];
                    walk = prefix[walk];
                }
                if (p == start && walk < firstFree) {
                    *p = static_cast<uint8_t>(walk);
                    first = walk;
                    pos += len;
                    written = true;
                }
            }
        }

        int32_t depth = 0;  // bytes on the stack, when the string went there
        if (!written) {
            uint8_t* sp = stack + kMaxCodes;
            if (repeat) *--sp = static_cast<uint8_t>(fc);
            int walk = code;
            while (walk >= firstFree) {
                // Only a chain of codes that refer to each other can be this
                // long: the data is broken, stop here.
                if (sp == stack) {
                    ++badCodes;
                    return 0;
                }
                *--sp = suffix[walk];
                walk = prefix[walk];
            }
            if (sp == stack) {
                ++badCodes;
                return 0;
            }
            *--sp = static_cast<uint8_t>(walk);
            first = walk;
            depth = static_cast<int32_t>(stack + kMaxCodes - sp);
        }

        if (slot < topSlot) {
            suffix[slot] = static_cast<uint8_t>(first);
            fc = static_cast<uint8_t>(first);
            prefix[slot] = static_cast<int16_t>(oc);
            length[slot] = static_cast<uint16_t>(std::min<int>(length[oc] + 1, 0xFFFF));
            ++slot;
            oc = incode;
        }
        if (slot >= topSlot && currSize < 12) {
            topSlot = static_cast<int16_t>(topSlot << 1);
            ++currSize;
        }

        if (written) {
            if (pos == rowLength) {
                const int r = DeliverRow(row, pos);
                pos = 0;
                if (r < 0) return static_cast<int16_t>(r);
            }
            continue;
        }
        const uint8_t* sp = stack + kMaxCodes - depth;
        while (sp < stack + kMaxCodes) {
            const int32_t n = std::min<int32_t>(static_cast<int32_t>(stack + kMaxCodes - sp), rowLength - pos);
            std::memcpy(row + pos, sp, static_cast<size_t>(n));
            pos += n;
            sp += n;
            if (pos == rowLength) {
                const int r = DeliverRow(row, pos);
                pos = 0;
                if (r < 0) return static_cast<int16_t>(r);
            }
        }
    }
    if (pos > 0) return static_cast<int16_t>(DeliverRow(row, pos));
    return 0;
}

// ---- encoding --------------------------------------------------------------

int CxImageGIF::NextPixel() {
    if (pixelsLeft <= 0) return -1;
    if (curX == 0) {
        const uint8_t* bits = GetBits(static_cast<uint32_t>(curY));
        if (!bits) return -1;
        const uint32_t bpp = GetBpp();
        if (bpp == 8 || !rowIndices) {
            pixelRow = bits;
        } else {
            const uint32_t width = GetWidth();
            for (uint32_t x = 0; x < width; ++x)
                rowIndices[x] = bpp == 4 ? static_cast<uint8_t>((bits[x >> 1] >> (4 * (1 - (x & 1)))) & 0x0F)
                                         : static_cast<uint8_t>((bits[x >> 3] >> (7 - (x & 7))) & 0x01);
            pixelRow = rowIndices;
        }
    }
    const int value = pixelRow[curX];
    if (++curX == static_cast<int32_t>(GetWidth())) {
        curX = 0;
        --curY;
    }
    --pixelsLeft;
    return value;
}

void CxImageGIF::FlushPacket() {
    if (packetCount <= 0) return;
    outStream->PutC(static_cast<uint8_t>(packetCount));
    outStream->Write(packet, 1, static_cast<size_t>(packetCount));
    packetCount = 0;
}

void CxImageGIF::EmitCode(int32_t code) {
    curAccum &= kCodeMasks[curBits];
    curAccum = curBits > 0 ? curAccum | (static_cast<uint32_t>(code) << curBits) : static_cast<uint32_t>(code);
    curBits += nBits;
    while (curBits >= 8) {
        packet[packetCount++] = static_cast<uint8_t>(curAccum & 0xFF);
        if (packetCount >= kPacketMax) FlushPacket();
        curAccum >>= 8;
        curBits -= 8;
    }
    if (freeEnt > maxCode || clearFlag) {
        if (clearFlag) {
            nBits = initBits;
            maxCode = static_cast<int16_t>((1 << nBits) - 1);
            clearFlag = 0;
        } else {
            ++nBits;
            maxCode = static_cast<int16_t>(nBits == 12 ? kMaxCodes : (1 << nBits) - 1);
        }
    }
}

bool CxImageGIF::LzwEncode(int32_t initialWidth, CxStream* stream) {
    outStream = stream;
    initBits = initialWidth;
    nBits = initialWidth;
    maxCode = static_cast<int16_t>((1 << nBits) - 1);
    encClear = 1 << (initialWidth - 1);
    encEnd = encClear + 1;
    freeEnt = static_cast<int16_t>(encClear + 2);
    clearFlag = 0;
    curAccum = 0;
    curBits = 0;
    packetCount = 0;
    std::fill(std::begin(htab), std::end(htab), -1);

    int32_t ent = NextPixel();
    EmitCode(encClear);
    if (ent >= 0) {
        int c;
        while ((c = NextPixel()) >= 0) {
            const int32_t fcode = (c << 12) + ent;
            int32_t i = (c << 4) ^ ent;
            if (htab[i] == fcode) {
                ent = codetab[i];
                continue;
            }
            if (htab[i] >= 0) {
                const int32_t disp = i == 0 ? 1 : kHashSize - i;
                bool found = false;
                do {
                    if ((i -= disp) < 0) i += kHashSize;
                    if (htab[i] == fcode) {
                        found = true;
                        break;
                    }
                } while (htab[i] > 0);
                if (found) {
                    ent = codetab[i];
                    continue;
                }
            }
            EmitCode(ent);
            ent = c;
            if (freeEnt < kMaxCodes) {
                codetab[i] = static_cast<uint16_t>(freeEnt++);
                htab[i] = fcode;
            } else {
                std::fill(std::begin(htab), std::end(htab), -1);
                freeEnt = static_cast<int16_t>(encClear + 2);
                clearFlag = 1;
                EmitCode(encClear);
            }
        }
        EmitCode(ent);
    }
    EmitCode(encEnd);
    while (curBits > 0) {
        packet[packetCount++] = static_cast<uint8_t>(curAccum & 0xFF);
        if (packetCount >= kPacketMax) FlushPacket();
        curAccum >>= 8;
        curBits -= 8;
    }
    FlushPacket();
    stream->Flush();
    if (stream->Error()) return Fail("Write Error in GIF file");
    return true;
}
