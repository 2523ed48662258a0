// Where the parts of a clipboard device-independent bitmap lie, and the bitmap file header
// made from it. Pure; nothing is ever read beyond the given size.
#pragma once

#include <cstddef>

// The parts of a packed DIB (info header, colour masks, colour table, pixels), all of them
// inside its block.
struct DibLayout {
    size_t headerSize;    // the info header's own size field: 40 or a larger header's
    size_t maskBytes;     // colour masks after a header too small to hold them
    size_t colorEntries;  // 4-byte colour-table entries after the masks
    size_t rowSize;       // bytes per pixel row, padded to 32 bits; 0 for compressed pixels
    size_t imageSize;     // bytes of pixel data
    size_t bitsOffset;    // offset of the pixels from the start of the block
    size_t usedSize;      // bytes of the block a bitmap file carries (up to the pixels' end, or
                          // an embedded colour profile's end when that lies further)
};

// False when the block is too short for its own header, describes a bitmap we cannot place
// (unknown header size, bit count or compression, zero or negative width, zero height, a
// compressed top-down bitmap, more used colours than the bit count allows), or when any part
// lies beyond size bytes.
bool ReadDibLayout(const char* dib, size_t size, DibLayout* layout);

// The layout's numbers, 0 when ReadDibLayout refuses the block.
size_t DibColorEntries(const char* dib, size_t size);
size_t DibRowSize(const char* dib, size_t size);
size_t DibImageSize(const char* dib, size_t size);

constexpr size_t kBmpFileHeaderSize = 14;

// The bitmap file's 14-byte header ("BM", file size, two zero reserved words, offset of the
// pixels), all little-endian. The file is this header followed by the first *dibBytes bytes of
// the block, unchanged. False (nothing to write) when ReadDibLayout refuses the block or the
// file would exceed 4 GB.
bool MakeBmpFileHeader(const char* dib, size_t size, unsigned char header[kBmpFileHeaderSize],
                       size_t* dibBytes);
