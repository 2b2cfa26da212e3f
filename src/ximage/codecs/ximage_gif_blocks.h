#pragma once
// CxGifBlockScanner: the one walk over the blocks of a GIF file that follow
// the logical screen and the global colour table, shared by frame counting
// and decoding.
//
// Bytes are taken one at a time. A byte is acted upon only right after a
// zero byte (or at the start, or when it is itself zero); other bytes are
// skipped, so that stray bytes between blocks are passed over until a zero
// re-arms the scanner. Acted upon, 0x21 starts an extension, 0x2C an image
// and 0x3B ends the file.
#include <cstdint>

class CxStreamReader;

// One image descriptor: position and size on the logical screen, and flags
// (0x80 local colour table, 0x40 interlaced, bits 0-2 the table's size).
struct CxGifDescriptor {
    uint32_t left = 0, top = 0, width = 0, height = 0;
    uint8_t flags = 0;

    bool HasLocalTable() const { return (flags & 0x80) != 0; }
    bool Interlaced() const { return (flags & 0x40) != 0; }
};

// Entries of a colour table whose size bits are those of packed.
inline uint32_t CxGifTableEntries(uint8_t packed) { return 1u << ((packed & 7) + 1); }

class CxGifBlockScanner {
public:
    enum class Block {
        Extension,  // the introducer was read; the label is next
        Image,      // the descriptor was read and lies within the screen
        End,        // trailer, end of the data or a short descriptor
        Stopped,    // escape was positive when a byte was to be acted upon
    };

    // escape, when given, is the image's escape field: a positive value
    // stops the scan (a decode in progress is abandoned).
    CxGifBlockScanner(CxStreamReader& reader, uint32_t screenWidth, uint32_t screenHeight,
                      const int32_t* escape = nullptr);
    // The next block. Images that do not fit the screen are passed over:
    // their data bytes are then skipped as stray bytes.
    Block Next(CxGifDescriptor& descriptor);

private:
    CxStreamReader& reader_;
    uint32_t screenWidth_;
    uint32_t screenHeight_;
    const int32_t* escape_;
    bool previousZero_ = true;
};
