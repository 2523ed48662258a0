// Shared pieces of the fuzz targets: an invariant check that stops the run with a message, an
// input reader, and the double-byte walk the targets check cuts against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Takes numbers from the front of the input and hands out the rest as text.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return size_ > 0 ? (--size_, *data_++) : 0; }
    uint16_t U16() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    uint32_t U32() { return U16() | static_cast<uint32_t>(U16()) << 16; }
    int32_t I32() { return static_cast<int32_t>(U32()); }

    // The rest as a C string: bytes after an embedded NUL are not part of it.
    std::string Text() {
        std::string text(reinterpret_cast<const char*>(data_), size_);
        text.resize(std::strlen(text.c_str()));
        size_ = 0;
        return text;
    }
    // The next n bytes (fewer at the end) as a string that may hold NULs.
    std::string Bytes(size_t n) {
        if (n > size_) n = size_;
        std::string bytes(reinterpret_cast<const char*>(data_), n);
        data_ += n;
        size_ -= n;
        return bytes;
    }
    size_t left() const { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
};

inline bool IsLead(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}

// Whether a cut of s (a text without NULs) after cut bytes falls between two characters: a lead
// byte takes the next byte with it, a lead byte at the very end stands alone.
inline bool IsCharBoundary(const std::string& s, size_t cut) {
    size_t i = 0;
    while (i < cut) i += IsLead(s[i]) && i + 1 < s.size() ? 2 : 1;
    return i == cut;
}

// The longest prefix of s of at most limit bytes that ends on a character boundary.
inline size_t BoundaryCut(const std::string& s, size_t limit) {
    size_t cut = limit < s.size() ? limit : s.size();
    while (!IsCharBoundary(s, cut)) --cut;
    return cut;
}

inline bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

inline std::string WithoutControls(const std::string& s) {
    std::string out;
    for (char c : s) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u > 0x1F && u != 0x7F) out += c;
    }
    return out;
}

}  // namespace fuzz
