// Layout of clipboard device-independent bitmaps and the bitmap file header made from them.
#include "clipboard/dib.h"

#include <cstdint>

namespace {

constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kV5HeaderSize = 124;

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kJpeg = 4;
constexpr uint32_t kPng = 5;
constexpr uint32_t kAlphaBitFields = 6;

// Colour-space types of a V5 header whose profile data lie in the block itself.
constexpr uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK'
constexpr uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'

uint32_t U16(const char* p, size_t at) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(p) + at;
    return static_cast<uint32_t>(b[0] | (b[1] << 8));
}

uint32_t U32(const char* p, size_t at) {
    return U16(p, at) | (U16(p, at + 2) << 16);
}

int64_t I32(const char* p, size_t at) {
    uint32_t v = U32(p, at);
    return v < 0x80000000u ? static_cast<int64_t>(v) : static_cast<int64_t>(v) - 0x100000000LL;
}

void PutU16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(unsigned char* p, uint32_t v) {
    PutU16(p, v);
    PutU16(p + 2, v >> 16);
}

// The V2 and V3 headers end after the RGB and after the alpha mask; V4 and V5 hold all masks.
bool IsKnownHeaderSize(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool IsUncompressedBitCount(uint32_t bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
           bits == 32;
}

struct PixelFormat {
    bool compressed;
    uint64_t maskBytes;  // masks the pixels need, wherever they lie
};

// Which bit counts go with which compression; false for a pairing no DIB has.
bool ReadPixelFormat(uint32_t compression, uint32_t bits, PixelFormat* format) {
    *format = PixelFormat{false, 0};
    switch (compression) {
        case kRgb: return IsUncompressedBitCount(bits);
        case kBitFields: format->maskBytes = 12; return bits == 16 || bits == 32;
        case kAlphaBitFields: format->maskBytes = 16; return bits == 16 || bits == 32;
        case kRle8: format->compressed = true; return bits == 8;
        case kRle4: format->compressed = true; return bits == 4;
        case kJpeg:
        case kPng: format->compressed = true; return bits == 0;
        default: return false;
    }
}

// A table of up to 2^bits colours for palette bit counts; above that (and for bit count 0)
// only the optimising table the header counts.
bool ReadColorEntries(uint32_t bits, uint32_t used, uint64_t* entries) {
    if (bits == 0 || bits > 8) {
        *entries = used;
        return true;
    }
    uint64_t full = uint64_t{1} << bits;
    if (used > full) return false;
    *entries = used != 0 ? used : full;
    return true;
}

// End of a colour profile kept in the block, or 0 when there is none; false when it does not fit.
bool ReadProfileEnd(const char* dib, size_t size, size_t headerSize, uint64_t* end) {
    *end = 0;
    if (headerSize < kV5HeaderSize) return true;
    uint32_t type = U32(dib, 56);
    if (type != kProfileLinked && type != kProfileEmbedded) return true;
    uint64_t offset = U32(dib, 112);
    uint64_t length = U32(dib, 116);
    if (length == 0) return true;
    if (offset > size || length > size - offset) return false;
    *end = offset + length;
    return true;
}

}  // namespace

bool ReadDibLayout(const char* dib, size_t size, DibLayout* layout) {
    if (dib == nullptr || size < kInfoHeaderSize) return false;
    uint32_t headerSize = U32(dib, 0);
    if (!IsKnownHeaderSize(headerSize) || headerSize > size) return false;
    int64_t width = I32(dib, 4);
    int64_t height = I32(dib, 8);
    uint32_t bits = U16(dib, 14);
    uint32_t compression = U32(dib, 16);
    uint32_t sizeImage = U32(dib, 20);
    uint32_t colorsUsed = U32(dib, 32);
    if (width <= 0 || height == 0) return false;

    PixelFormat format;
    uint64_t entries;
    if (!ReadPixelFormat(compression, bits, &format)) return false;
    if (!ReadColorEntries(bits, colorsUsed, &entries)) return false;

    uint64_t rowSize = 0;
    uint64_t imageSize = sizeImage;
    if (format.compressed) {
        // Compressed pixels cannot be stored top-down, and only the header knows their size.
        if (height < 0 || sizeImage == 0) return false;
    } else {
        uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
        rowSize = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
        if (rows > size / rowSize) return false;
        imageSize = rowSize * rows;
    }

    uint64_t masksInHeader = headerSize - kInfoHeaderSize;
    uint64_t maskBytes = format.maskBytes > masksInHeader ? format.maskBytes - masksInHeader : 0;
    uint64_t bitsOffset = headerSize + maskBytes + 4 * entries;
    if (bitsOffset > size || imageSize > size - bitsOffset) return false;
    uint64_t profileEnd;
    if (!ReadProfileEnd(dib, size, headerSize, &profileEnd)) return false;

    uint64_t pixelsEnd = bitsOffset + imageSize;
    *layout = DibLayout{headerSize,
                        static_cast<size_t>(maskBytes),
                        static_cast<size_t>(entries),
                        static_cast<size_t>(rowSize),
                        static_cast<size_t>(imageSize),
                        static_cast<size_t>(bitsOffset),
                        static_cast<size_t>(profileEnd > pixelsEnd ? profileEnd : pixelsEnd)};
    return true;
}

size_t DibColorEntries(const char* dib, size_t size) {
    DibLayout layout;
    return ReadDibLayout(dib, size, &layout) ? layout.colorEntries : 0;
}

size_t DibRowSize(const char* dib, size_t size) {
    DibLayout layout;
    return ReadDibLayout(dib, size, &layout) ? layout.rowSize : 0;
}

size_t DibImageSize(const char* dib, size_t size) {
    DibLayout layout;
    return ReadDibLayout(dib, size, &layout) ? layout.imageSize : 0;
}

bool MakeBmpFileHeader(const char* dib, size_t size, unsigned char header[kBmpFileHeaderSize],
                       size_t* dibBytes) {
    DibLayout layout;
    if (!ReadDibLayout(dib, size, &layout)) return false;
    uint64_t fileSize = uint64_t{kBmpFileHeaderSize} + layout.usedSize;
    if (fileSize > UINT32_MAX) return false;
    PutU16(header, 0x4D42);  // "BM"
    PutU32(header + 2, static_cast<uint32_t>(fileSize));
    PutU16(header + 6, 0);
    PutU16(header + 8, 0);
    PutU32(header + 10, static_cast<uint32_t>(kBmpFileHeaderSize + layout.bitsOffset));
    *dibBytes = layout.usedSize;
    return true;
}
