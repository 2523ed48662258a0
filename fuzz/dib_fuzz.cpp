// Fuzz target of the CF_DIB layout and the bitmap file made from it: every part lies inside the
// block, and the file's header agrees with the bytes written after it.
#include "clipboard/dib.h"
#include "fuzzcheck.h"

namespace {

uint32_t U16(const std::string& s, size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
uint32_t U32(const std::string& s, size_t at) {
    return U16(s, at) | U16(s, at + 2) << 16;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* dib = reinterpret_cast<const char*>(data);
    DibLayout layout;
    unsigned char header[kBmpFileHeaderSize];
    size_t dibBytes = 0;
    if (!ReadDibLayout(dib, size, &layout)) {
        FUZZ_CHECK(!MakeBmpFileHeader(dib, size, header, &dibBytes));
        FUZZ_CHECK(DibColorEntries(dib, size) == 0 && DibRowSize(dib, size) == 0 &&
                   DibImageSize(dib, size) == 0);
        return 0;
    }
    FUZZ_CHECK(layout.headerSize >= 40 && layout.headerSize <= size);
    FUZZ_CHECK(layout.bitsOffset == layout.headerSize + layout.maskBytes + 4 * layout.colorEntries);
    FUZZ_CHECK(layout.bitsOffset <= size && layout.imageSize <= size - layout.bitsOffset);
    FUZZ_CHECK(layout.usedSize >= layout.bitsOffset + layout.imageSize);
    FUZZ_CHECK(layout.usedSize <= size);
    FUZZ_CHECK(DibColorEntries(dib, size) == layout.colorEntries);
    FUZZ_CHECK(DibRowSize(dib, size) == layout.rowSize);
    FUZZ_CHECK(DibImageSize(dib, size) == layout.imageSize);

    if (!MakeBmpFileHeader(dib, size, header, &dibBytes)) return 0;
    const std::string file = std::string(reinterpret_cast<const char*>(header), sizeof header) +
                             std::string(dib, dibBytes);
    FUZZ_CHECK(file[0] == 'B' && file[1] == 'M');
    FUZZ_CHECK(U32(file, 2) == file.size());
    FUZZ_CHECK(U32(file, 6) == 0);
    const uint32_t offBits = U32(file, 10);
    FUZZ_CHECK(offBits == kBmpFileHeaderSize + layout.bitsOffset);
    FUZZ_CHECK(U32(file, 14) == layout.headerSize);
    // What a reader of the file computes from the header must lie inside the file.
    const int64_t width = static_cast<int32_t>(U32(file, 18));
    const int64_t height = static_cast<int32_t>(U32(file, 22));
    const uint32_t bits = U16(file, 28);
    const uint32_t compression = U32(file, 30);
    uint64_t pixels = U32(file, 34);
    if (compression == 0 || compression == 3 || compression == 6) {
        FUZZ_CHECK(width > 0 && height != 0);
        const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
        const uint64_t row = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
        FUZZ_CHECK(row == layout.rowSize);
        pixels = row * rows;
    }
    FUZZ_CHECK(pixels == layout.imageSize);
    FUZZ_CHECK(offBits <= file.size() && pixels <= file.size() - offBits);
    return 0;
}
