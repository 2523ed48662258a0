// Layout of clipboard bitmaps and the bitmap file header, including blocks that lie.
#include "clipboard/dib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

struct Header {
    uint32_t size = 40;
    int32_t width = 1, height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0, sizeImage = 0, used = 0;
    uint32_t colorSpace = 0, profileOffset = 0, profileSize = 0;  // V5
};

void Put(std::vector<char>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// The header (room for 40 to 124 bytes, whatever its size field says) and payload zero bytes.
std::vector<char> MakeDib(const Header& h, size_t payload) {
    std::vector<char> b(std::clamp<size_t>(h.size, 40, 124) + payload);
    Put(b, 0, h.size);
    Put(b, 4, h.width);
    Put(b, 8, h.height);
    Put(b, 12, 1u | uint32_t{h.bits} << 16);  // one plane
    Put(b, 16, h.compression);
    Put(b, 20, h.sizeImage);
    Put(b, 32, h.used);
    if (b.size() < 120) return b;  // a smaller header ignores these, whatever they say
    Put(b, 56, h.colorSpace);
    Put(b, 112, h.profileOffset);
    Put(b, 116, h.profileSize);
    return b;
}

// A heap block of exactly n bytes, so that the sanitizer reports any read past its end.
std::unique_ptr<char[]> ExactCopy(const std::vector<char>& b, size_t n) {
    std::unique_ptr<char[]> copy(new char[n]);
    std::copy(b.begin(), b.begin() + n, copy.get());
    return copy;
}

uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

const uint32_t kLink = 0x4C494E4B, kMbed = 0x4D424544, kSrgb = 0x73524742;

// fileOffset and fileSize are the bitmap file's; fileSize 0 means the block is refused.
struct Case {
    const char* what;
    Header h;
    size_t masks = 0, entries = 0, row = 0, image = 0;
    uint32_t fileOffset = 0, fileSize = 0;
};

const Case kCases[] = {
    {"24-bit 3x2", {40, 3, 2, 24}, 0, 0, 12, 24, 54, 78},
    {"8-bit 5x5", {40, 5, 5, 8}, 0, 256, 8, 40, 1078, 1118},
    {"1-bit 33x1: a partly used byte takes a 32-bit unit", {40, 33, 1, 1}, 0, 2, 8, 8, 62, 70},
    {"top-down", {40, 3, -2, 24}, 0, 0, 12, 24, 54, 78},
    {"used colours below the full table", {40, 2, 2, 8, 0, 0, 16}, 0, 16, 4, 8, 118, 126},
    {"used colours of the full table", {40, 2, 2, 4, 0, 0, 16}, 0, 16, 4, 8, 118, 126},
    {"more used colours than the bits allow", {40, 2, 2, 4, 0, 0, 17}},
    {"optimising table of a 24-bit bitmap", {40, 1, 1, 24, 0, 0, 3}, 0, 3, 4, 4, 66, 70},
    {"used colours whose table wraps in 32 bits", {40, 1, 1, 16, 0, 0, 0x40000000}},
    {"bit fields after a plain header", {40, 2, 1, 16, 3}, 12, 0, 4, 4, 66, 70},
    {"alpha bit fields after a V2 header", {52, 1, 1, 32, 6}, 4, 0, 4, 4, 70, 74},
    {"V4: masks inside, no profile", {108, 2, 1, 32, 3, 0, 0, kLink}, 0, 0, 8, 8, 122, 130},
    {"bit fields with 24 bits", {40, 1, 1, 24, 3}},
    // An sRGB header has no profile, whatever its profile fields say.
    {"8-bit V5, sRGB", {124, 1, 1, 8, 0, 0, 0, kSrgb, 5000, 5000}, 0, 256, 4, 4, 1162, 1166},
    {"V5, profile after pixels", {124, 1, 1, 24, 0, 0, 0, kMbed, 130, 20}, 0, 0, 4, 4, 138, 164},
    {"V5, linked profile name", {124, 1, 1, 24, 0, 0, 0, kLink, 128, 8}, 0, 0, 4, 4, 138, 150},
    {"V5, profile past 4 GB", {124, 1, 1, 24, 0, 0, 0, kMbed, 0xFFFFFFF0u, 0x20}},
    {"RLE8", {40, 7, 3, 8, 1, 10}, 0, 256, 0, 10, 1078, 1088},
    {"PNG", {40, 7, 3, 0, 5, 100}, 0, 0, 0, 100, 54, 154},
    {"RLE8 top-down", {40, 7, -3, 8, 1, 10}},
    {"RLE8 without its size", {40, 7, 3, 8, 1, 0}},
    {"RLE8 with 4 bits", {40, 7, 3, 4, 1, 10}},
    {"compressed size past the block", {40, 1, 1, 8, 1, 0xFFFFFFFF}},
    {"bit count 3", {40, 1, 1, 3}},
    {"bit count 0 uncompressed", {40, 1, 1, 0}},
    {"CMYK compression", {40, 1, 1, 32, 11}},
    {"zero width", {40, 0, 1, 24}},
    {"zero height", {40, 3, 0, 24}},
    {"core header", {12, 1, 1, 24}},
    {"unknown header size", {64, 1, 1, 24}},
    {"rows past 4 GB", {40, 0x7FFFFFFF, 1, 32}},
    {"image past 2^64", {40, 0x7FFFFFFF, INT32_MIN, 32}},
};

// An accepted block is checked in a heap block of exactly its used size, and every shorter
// block must be refused; a refused one is offered with 4 KB to spare.
TEST(DibLayout, BlocksArePlacedWhereTheyFitOrRefused) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        bool accepted = c.fileSize != 0;
        std::vector<char> dib = MakeDib(c.h, 4096);
        if (accepted) dib.resize(c.fileSize - kBmpFileHeaderSize);
        const size_t n = dib.size();
        auto block = ExactCopy(dib, n);
        DibLayout layout{};
        unsigned char header[kBmpFileHeaderSize];
        size_t dibBytes = 0;
        ASSERT_EQ(ReadDibLayout(block.get(), n, &layout), accepted);
        ASSERT_EQ(MakeBmpFileHeader(block.get(), n, header, &dibBytes), accepted);
        if (!accepted) continue;
        using Sizes = std::vector<size_t>;
        EXPECT_EQ((Sizes{layout.maskBytes, DibColorEntries(block.get(), n),
                         DibRowSize(block.get(), n), DibImageSize(block.get(), n)}),
                  (Sizes{c.masks, c.entries, c.row, c.image}));
        // "BM", file size, reserved words, offset of the pixels; then the bytes to copy.
        EXPECT_EQ((Sizes{header[0], header[1], Le32(header + 2), Le32(header + 6),
                         Le32(header + 10), dibBytes}),
                  (Sizes{'B', 'M', c.fileSize, 0, c.fileOffset, n}));
        for (size_t m = 0; m < n; ++m) {
            ASSERT_FALSE(ReadDibLayout(ExactCopy(dib, m).get(), m, &layout)) << "cut to " << m;
        }
        EXPECT_FALSE(ReadDibLayout(nullptr, n, &layout));
    }
}

// Random blocks, each in a heap block of exactly its size so that any read past the end stops
// the sanitizer build: the table's shapes resized, given a profile or an absurd size field and
// cut at random, and pure noise. The plain form (40-byte header, no compression, no used-colours
// count) is accepted exactly when the table its bit count gives and its pixels fit.
TEST(DibLayout, RandomAndTruncatedBlocksNeverReadPastTheirEnd) {
    std::mt19937 rng(20210930);
    auto below = [&rng](uint32_t n) {
        return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng);
    };
    const uint16_t plainBits[] = {1, 2, 4, 8, 16, 24, 32};
    const uint32_t absurd[] = {0, 3, 12, 64, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x40000000};
    int accepted = 0, plainChecked = 0;
    for (int round = 0; round < 20000; ++round) {
        Header h = kCases[below(std::size(kCases))].h;
        if (below(4)) {
            h.width = 1 + below(40);
            h.height = static_cast<int32_t>(below(41)) - 20;
        }
        if (below(2)) h.bits = plainBits[below(7)];
        if (below(2)) h.colorSpace = below(2) ? kMbed : kLink;
        h.profileOffset = below(1500);
        h.profileSize = below(3) ? 0 : below(100);
        uint32_t* sizeFields[] = {&h.size, &h.used, &h.sizeImage, &h.profileSize};
        if (below(2)) *sizeFields[below(4)] = absurd[below(8)];
        std::vector<char> dib = MakeDib(h, below(1400));
        bool noise = round % 10 == 0;
        if (noise) std::generate(dib.begin(), dib.end(), [&rng] { return char(rng()); });
        size_t n = below(3) ? dib.size() : below(static_cast<uint32_t>(dib.size()) + 1);
        auto block = ExactCopy(dib, n);
        DibLayout layout;
        unsigned char header[kBmpFileHeaderSize];
        size_t dibBytes;
        bool ok = ReadDibLayout(block.get(), n, &layout);
        ASSERT_EQ(MakeBmpFileHeader(block.get(), n, header, &dibBytes), ok);
        if (ok) {
            ++accepted;
            ASSERT_LE(layout.bitsOffset + layout.imageSize, layout.usedSize);
            ASSERT_LE(layout.usedSize, n);
            ASSERT_EQ(dibBytes, layout.usedSize);
        }

        if (noise || h.size != 40 || h.compression != 0 || h.used != 0 || h.width <= 0 ||
            h.height == 0 || !std::count(std::begin(plainBits), std::end(plainBits), h.bits)) {
            continue;
        }
        uint64_t entries = h.bits <= 8 ? uint64_t{1} << h.bits : 0;
        uint64_t image = (uint64_t(h.width) * h.bits + 31) / 32 * 4 * std::abs(int64_t{h.height});
        uint64_t end = 40 + 4 * entries + image;
        ASSERT_EQ(ok, end <= n) << h.bits << " bits " << h.width << "x" << h.height << " in " << n;
        if (!ok) continue;
        ++plainChecked;
        ASSERT_EQ(layout.bitsOffset, 40 + 4 * entries);
        ASSERT_EQ(layout.usedSize, end);
    }
    EXPECT_GT(accepted, 2000) << "the generator should reach accepted layouts too";
    EXPECT_GT(plainChecked, 500);
}

}  // namespace
