// Layout of clipboard bitmaps and the bitmap file header, including blocks that lie.
#include "clipboard/dib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct Header {
    uint32_t size = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t used = 0;
    uint32_t colorSpace = 0;  // V5 only
    uint32_t profileOffset = 0;
    uint32_t profileSize = 0;
};

void Put(std::vector<char>& b, size_t at, uint32_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// The header (room for at least 40 and at most 124 bytes, whatever its size field says)
// followed by payload bytes 0, 1, 2, ... so that a copy from a wrong offset shows.
std::vector<char> MakeDib(const Header& h, size_t payload) {
    std::vector<char> b(h.size < 40 ? 40 : h.size > 124 ? 124 : h.size);
    Put(b, 0, h.size, 4);
    Put(b, 4, static_cast<uint32_t>(h.width), 4);
    Put(b, 8, static_cast<uint32_t>(h.height), 4);
    Put(b, 12, 1, 2);
    Put(b, 14, h.bits, 2);
    Put(b, 16, h.compression, 4);
    Put(b, 20, h.sizeImage, 4);
    Put(b, 32, h.used, 4);
    if (b.size() >= 124) {
        Put(b, 56, h.colorSpace, 4);
        Put(b, 112, h.profileOffset, 4);
        Put(b, 116, h.profileSize, 4);
    }
    for (size_t i = 0; i < payload; ++i) b.push_back(static_cast<char>(i));
    return b;
}

// A heap block of exactly n bytes, so that the sanitizer reports any read past its end.
std::unique_ptr<char[]> ExactCopy(const std::vector<char>& b, size_t n) {
    std::unique_ptr<char[]> copy(new char[n]);
    std::memcpy(copy.get(), b.data(), n);
    return copy;
}

uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct PlainCase {
    uint16_t bits;
    int32_t width;
    int32_t height;
    size_t entries;
    size_t row;
    size_t image;
    uint32_t bitsOffset;  // in the file
    uint32_t fileSize;
};

TEST(DibLayout, PlainBitmapsGiveTheDocumentedSizes) {
    const PlainCase cases[] = {
        {24, 3, 2, 0, 12, 24, 54, 78},  {8, 5, 5, 256, 8, 40, 1078, 1118},
        {1, 33, 1, 2, 8, 8, 62, 70},  // a partly used last byte still takes a 32-bit unit
        {1, 32, 1, 2, 4, 4, 62, 66},    {2, 3, 1, 4, 4, 4, 70, 74},
        {4, 9, 2, 16, 8, 16, 118, 134}, {16, 3, 3, 0, 8, 24, 54, 78},
        {32, 2, 3, 0, 8, 24, 54, 78},
    };
    for (const PlainCase& c : cases) {
        Header h;
        h.bits = c.bits;
        h.width = c.width;
        h.height = c.height;
        std::vector<char> dib = MakeDib(h, 4 * c.entries + c.image);
        SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.width << "x" << c.height);
        auto block = ExactCopy(dib, dib.size());
        EXPECT_EQ(DibColorEntries(block.get(), dib.size()), c.entries);
        EXPECT_EQ(DibRowSize(block.get(), dib.size()), c.row);
        EXPECT_EQ(DibImageSize(block.get(), dib.size()), c.image);

        unsigned char header[kBmpFileHeaderSize];
        size_t dibBytes = 0;
        ASSERT_TRUE(MakeBmpFileHeader(block.get(), dib.size(), header, &dibBytes));
        EXPECT_EQ(header[0], 'B');
        EXPECT_EQ(header[1], 'M');
        EXPECT_EQ(Le32(header + 2), c.fileSize);
        EXPECT_EQ(Le32(header + 6), 0u) << "reserved words";
        EXPECT_EQ(Le32(header + 10), c.bitsOffset);
        EXPECT_EQ(dibBytes, dib.size());

        // One byte short of the last pixel row: nothing may be written.
        auto shorter = ExactCopy(dib, dib.size() - 1);
        EXPECT_FALSE(MakeBmpFileHeader(shorter.get(), dib.size() - 1, header, &dibBytes));
        EXPECT_EQ(DibImageSize(shorter.get(), dib.size() - 1), 0u);
    }
}

struct LayoutCase {
    const char* what;
    Header header;
    bool accepted;
    size_t masks = 0;
    size_t entries = 0;
    size_t row = 0;
    size_t image = 0;
    size_t bitsOffset = 0;
    size_t used = 0;
};

Header H(uint32_t size, int32_t w, int32_t h, uint16_t bits, uint32_t compression = 0,
         uint32_t sizeImage = 0, uint32_t used = 0) {
    Header r;
    r.size = size;
    r.width = w;
    r.height = h;
    r.bits = bits;
    r.compression = compression;
    r.sizeImage = sizeImage;
    r.used = used;
    return r;
}

Header WithProfile(Header h, uint32_t type, uint32_t offset, uint32_t size) {
    h.colorSpace = type;
    h.profileOffset = offset;
    h.profileSize = size;
    return h;
}

const uint32_t kLink = 0x4C494E4B;
const uint32_t kMbed = 0x4D424544;
const uint32_t kSrgb = 0x73524742;

// Each accepted case is checked in a block of exactly its used size, and again one byte short.
const LayoutCase kLayoutCases[] = {
    {"fewer used colours", H(40, 2, 2, 8, 0, 0, 16), true, 0, 16, 4, 8, 104, 112},
    {"used colours of the full table", H(40, 2, 2, 4, 0, 0, 16), true, 0, 16, 4, 8, 104, 112},
    {"more used colours than bits allow", H(40, 2, 2, 4, 0, 0, 17), false},
    {"optimising table of a 24-bit bitmap", H(40, 1, 1, 24, 0, 0, 3), true, 0, 3, 4, 4, 52, 56},
    {"absurd used colours", H(40, 1, 1, 24, 0, 0, 0xFFFFFFFF), false},
    {"top-down", H(40, 3, -2, 24), true, 0, 0, 12, 24, 40, 64},
    {"bit fields after a plain header", H(40, 2, 1, 16, 3), true, 12, 0, 4, 4, 52, 56},
    {"bit fields inside a V4 header", H(108, 2, 1, 32, 3), true, 0, 0, 8, 8, 108, 116},
    {"bit fields inside a V3 header", H(56, 2, 1, 32, 3), true, 0, 0, 8, 8, 56, 64},
    {"alpha bit fields after a V2 header", H(52, 1, 1, 32, 6), true, 4, 0, 4, 4, 56, 60},
    {"bit fields with 24 bits", H(40, 1, 1, 24, 3), false},
    {"8-bit V5 header", H(124, 1, 1, 8), true, 0, 256, 4, 4, 1148, 1152},
    {"V5 with sRGB (no profile)", WithProfile(H(124, 1, 1, 24), kSrgb, 5000, 5000), true, 0, 0, 4,
     4, 124, 128},
    {"V5 with an embedded profile after the pixels", WithProfile(H(124, 1, 1, 24), kMbed, 130, 20),
     true, 0, 0, 4, 4, 124, 150},
    {"V5 with a linked profile name", WithProfile(H(124, 1, 1, 24), kLink, 128, 8), true, 0, 0, 4,
     4, 124, 136},
    {"V5 profile past 4 GB", WithProfile(H(124, 1, 1, 24), kMbed, 0xFFFFFFF0u, 0x20), false},
    {"RLE8", H(40, 7, 3, 8, 1, 10), true, 0, 256, 0, 10, 1064, 1074},
    {"RLE4", H(40, 7, 3, 4, 2, 6), true, 0, 16, 0, 6, 104, 110},
    {"RLE8 top-down", H(40, 7, -3, 8, 1, 10), false},
    {"RLE8 without its size", H(40, 7, 3, 8, 1, 0), false},
    {"RLE8 with 4 bits", H(40, 7, 3, 4, 1, 10), false},
    {"PNG", H(40, 7, 3, 0, 5, 100), true, 0, 0, 0, 100, 40, 140},
    {"JPEG with a bit count", H(40, 7, 3, 24, 4, 100), false},
    {"bit count 3", H(40, 1, 1, 3), false},
    {"bit count 0 uncompressed", H(40, 1, 1, 0), false},
    {"bit count 64", H(40, 1, 1, 64), false},
    {"CMYK compression", H(40, 1, 1, 32, 11), false},
    {"zero width", H(40, 0, 1, 24), false},
    {"negative width", H(40, -3, 1, 24), false},
    {"zero height", H(40, 3, 0, 24), false},
    {"core header", H(12, 1, 1, 24), false},
    {"unknown header size", H(64, 1, 1, 24), false},
    {"header size 0", H(0, 1, 1, 24), false},
    {"rows past 4 GB", H(40, 0x7FFFFFFF, 1, 32), false},
    {"image past 2^64", H(40, 0x7FFFFFFF, INT32_MIN, 32), false},
    {"most negative height", H(40, 1, INT32_MIN, 32), false},
    {"compressed size past the block", H(40, 1, 1, 8, 1, 0xFFFFFFFF), false},
    {"used colours whose 4-byte table wraps in 32 bits", H(40, 1, 1, 16, 0, 0, 0x40000000), false},
};

TEST(DibLayout, BlocksBeyondThePlainFormAreWrittenWhereTheyFitOrRefused) {
    for (const LayoutCase& c : kLayoutCases) {
        SCOPED_TRACE(c.what);
        std::vector<char> dib = MakeDib(c.header, 4096);
        if (c.accepted) dib.resize(c.used);
        auto block = ExactCopy(dib, dib.size());
        DibLayout layout{};
        ASSERT_EQ(ReadDibLayout(block.get(), dib.size(), &layout), c.accepted);
        if (!c.accepted) continue;
        EXPECT_EQ(layout.maskBytes, c.masks);
        EXPECT_EQ(layout.colorEntries, c.entries);
        EXPECT_EQ(layout.rowSize, c.row);
        EXPECT_EQ(layout.imageSize, c.image);
        EXPECT_EQ(layout.bitsOffset, c.bitsOffset);
        EXPECT_EQ(layout.usedSize, c.used);
        auto shorter = ExactCopy(dib, dib.size() - 1);
        EXPECT_FALSE(ReadDibLayout(shorter.get(), dib.size() - 1, &layout));
    }
}

TEST(DibLayout, EveryPrefixOfABlockIsSafeAndOnlyWholeOnesAreAccepted) {
    const Header headers[] = {
        H(40, 5, 5, 8),
        H(40, 2, 1, 16, 3),
        WithProfile(H(124, 1, 1, 24), kMbed, 130, 20),
    };
    for (const Header& h : headers) {
        std::vector<char> dib = MakeDib(h, 2000);
        DibLayout whole;
        ASSERT_TRUE(ReadDibLayout(dib.data(), dib.size(), &whole));
        DibLayout unused;
        EXPECT_FALSE(ReadDibLayout(nullptr, whole.usedSize, &unused));
        for (size_t n = 0; n <= whole.usedSize; ++n) {
            auto block = ExactCopy(dib, n);
            DibLayout layout;
            EXPECT_EQ(ReadDibLayout(block.get(), n, &layout), n == whole.usedSize) << n;
        }
    }
}

// Random blocks, each in a heap block of exactly its size so that any read past the end stops
// the sanitizer build: plausible headers with one field made absurd, pure noise, and cuts at
// random lengths.
TEST(DibLayout, RandomAndTruncatedBlocksNeverReadPastTheirEnd) {
    std::mt19937 rng(20210930);
    auto below = [&rng](uint32_t n) {
        return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng);
    };
    const uint32_t sizes[] = {40, 52, 56, 108, 124};
    const uint16_t plainBits[] = {1, 2, 4, 8, 16, 24, 32};
    const uint32_t absurd[] = {0, 3, 12, 64, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x40000000};
    int accepted = 0;
    int plainChecked = 0;
    for (int round = 0; round < 20000; ++round) {
        Header h = H(sizes[below(5)], 1 + below(40), below(2) ? 1 + below(20) : -1 - below(20),
                     plainBits[below(7)], below(4) ? 0 : below(7), below(3) ? 0 : below(600),
                     below(3) ? 0 : below(300));
        h = WithProfile(h, below(2) ? kMbed : kLink, below(1500), below(3) ? 0 : below(100));
        uint32_t wild = absurd[below(8)];
        switch (below(10)) {
            case 0: h.size = wild; break;
            case 1: h.width = static_cast<int32_t>(wild); break;
            case 2: h.height = static_cast<int32_t>(wild); break;
            case 3: h.bits = static_cast<uint16_t>(wild); break;
            case 4: h.used = wild; break;
            case 5: h.sizeImage = wild; break;
            case 6: h.profileSize = wild; break;
            default: break;
        }
        std::vector<char> dib = MakeDib(h, below(1400));
        if (round % 10 == 0) {
            for (char& c : dib) c = static_cast<char>(rng());
        }
        size_t n = below(3) ? dib.size() : below(static_cast<uint32_t>(dib.size()) + 1);
        auto block = ExactCopy(dib, n);
        DibLayout layout;
        unsigned char header[kBmpFileHeaderSize];
        size_t dibBytes;
        bool ok = ReadDibLayout(block.get(), n, &layout);
        ASSERT_EQ(MakeBmpFileHeader(block.get(), n, header, &dibBytes), ok);

        // The plain form (40-byte header, no compression, no used-colours count) is accepted
        // whenever its pixels fit, with the table that its bit count alone gives.
        bool tableBits =
            std::find(std::begin(plainBits), std::end(plainBits), h.bits) != std::end(plainBits);
        if (round % 10 != 0 && h.size == 40 && h.compression == 0 && h.used == 0 && h.width > 0 &&
            h.height != 0 && tableBits) {
            uint64_t entries = h.bits <= 8 ? uint64_t{1} << h.bits : 0;
            uint64_t row = (uint64_t(h.width) * h.bits + 31) / 32 * 4;
            uint64_t rows = h.height < 0 ? -int64_t(h.height) : h.height;
            bool fits = 40 + 4 * entries + row * rows <= n;
            ASSERT_EQ(ok, fits) << h.bits << " bits " << h.width << "x" << h.height << " in " << n;
            if (fits) {
                ++plainChecked;
                ASSERT_EQ(Le32(header + 10), 54 + 4 * entries);
                ASSERT_EQ(Le32(header + 2), 54 + 4 * entries + row * rows);
            }
        }
        if (!ok) continue;
        ++accepted;
        ASSERT_EQ(layout.bitsOffset,
                  layout.headerSize + layout.maskBytes + 4 * layout.colorEntries);
        ASSERT_LE(layout.bitsOffset + layout.imageSize, layout.usedSize);
        ASSERT_LE(layout.usedSize, n);
        ASSERT_EQ(dibBytes, layout.usedSize);
        ASSERT_EQ(Le32(header + 2), kBmpFileHeaderSize + layout.usedSize);
        ASSERT_EQ(Le32(header + 10), kBmpFileHeaderSize + layout.bitsOffset);
        std::vector<char> file(block.get(), block.get() + dibBytes);  // what the writer copies
        ASSERT_EQ(file.size(), dibBytes);
    }
    EXPECT_GT(accepted, 2000) << "the generator should reach accepted layouts too";
    EXPECT_GT(plainChecked, 500);
}

}  // namespace
