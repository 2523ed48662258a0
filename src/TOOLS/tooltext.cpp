// Shift-JIS text rules and path helpers shared by every subsystem.
#include "TOOLS/tooltext.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tooltext {

namespace {
unsigned char ByteAt(const char* s, size_t i) { return static_cast<unsigned char>(s[i]); }
}  // namespace

size_t CharLength(const char* s) {
    return CharLength(s, s[0] == '\0' ? 0 : 2);
}

size_t CharLength(const char* s, size_t n) {
    if (n == 0) return 0;
    if (n >= 2 && IsLeadByte(static_cast<unsigned char>(s[0])) && s[1] != '\0') return 2;
    return 1;
}

ByteKind KindOfByteAt(const char* s, size_t index) {
    size_t i = 0;
    while (i < index) {
        size_t len = CharLength(s + i);
        if (len == 0) return ByteKind::Single;
        if (len == 2 && i + 1 == index) return ByteKind::Trail;
        i += len;
    }
    return CharLength(s + i) == 2 ? ByteKind::Lead : ByteKind::Single;
}

size_t SafeCutLength(const char* s, size_t limit) {
    size_t i = 0;
    while (i < limit && s[i] != '\0') {
        size_t len = CharLength(s + i);
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

size_t CopyBounded(char* dest, size_t size, const char* src) {
    if (size == 0) return 0;
    size_t n = SafeCutLength(src, size - 1);
    std::memmove(dest, src, n);
    dest[n] = '\0';
    return n;
}

int FormatBoundedV(char* buf, size_t size, const char* format, va_list args) {
    if (size == 0) return -1;
#ifdef _WIN32
    // The system C library formats: the toolchain's own C99 formatter would add 25 KB to the exe,
    // and the program's formats (%d, %x, %s, %lu) mean the same to both. Only the length of a
    // cut output is asked again, as the system's formatter does not give it.
    va_list again;
    va_copy(again, args);
    int result = _vsnprintf(buf, size, format, args);
    if (result < 0 || static_cast<size_t>(result) >= size) result = _vscprintf(format, again);
    va_end(again);
#else
    int result = std::vsnprintf(buf, size, format, args);
#endif
    if (result < 0) buf[0] = '\0';
    buf[size - 1] = '\0';
    return result;
}

int FormatBounded(char* buf, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatBoundedV(buf, size, format, args);
    va_end(args);
    return result;
}

size_t FindLastSeparator(const char* path) {
    size_t found = kNotFound;
    for (size_t i = 0; path[i] != '\0';) {
        size_t len = CharLength(path + i);
        if (len == 1 && path[i] == '\\') found = i;
        i += len;
    }
    return found;
}

size_t FindExtension(const char* path) {
    size_t sep = FindLastSeparator(path);
    size_t start = sep == kNotFound ? 0 : sep + 1;
    size_t found = kNotFound;
    for (size_t i = start; path[i] != '\0';) {
        size_t len = CharLength(path + i);
        if (len == 1 && path[i] == '.') found = i;
        i += len;
    }
    return found;
}

void LowerAsciiInPlace(char* text) {
    for (size_t i = 0; text[i] != '\0';) {
        size_t len = CharLength(text + i);
        unsigned char c = ByteAt(text, i);
        if (len == 1 && c >= 'A' && c <= 'Z') text[i] = static_cast<char>(c - 'A' + 'a');
        i += len;
    }
}

bool JoinPath(char* buf, size_t size, const char* folder, const char* component) {
    if (size == 0) return false;
    size_t folderLen = std::strlen(folder);
    bool endsWithSeparator = folderLen > 0 && FindLastSeparator(folder) == folderLen - 1;
    size_t needed = folderLen + (endsWithSeparator ? 0 : 1) + std::strlen(component);
    // Built in a local copy so that folder may alias buf.
    char joined[2048];
    if (needed >= sizeof joined) {
        CopyBounded(buf, size, folder);
        return false;
    }
    std::memcpy(joined, folder, folderLen);
    size_t at = folderLen;
    if (!endsWithSeparator) joined[at++] = '\\';
    std::strcpy(joined + at, component);
    return CopyBounded(buf, size, joined) == needed;
}

bool MakeSiblingPath(char* buf, size_t size, const char* modulePath, const char* ext) {
    size_t dot = FindExtension(modulePath);
    size_t stemLen = dot == kNotFound ? std::strlen(modulePath) : dot;
    size_t needed = stemLen + std::strlen(ext);
    if (size == 0 || needed > size - 1) {
        if (size > 0) buf[0] = '\0';
        return false;
    }
    std::memmove(buf, modulePath, stemLen);
    std::strcpy(buf + stemLen, ext);
    LowerAsciiInPlace(buf);
    return true;
}

bool MakeFolderPath(char* buf, size_t size, const char* modulePath) {
    size_t sep = FindLastSeparator(modulePath);
    size_t len = sep == kNotFound ? 0 : sep;
    if (size == 0 || len > size - 1) {
        if (size > 0) buf[0] = '\0';
        return false;
    }
    std::memmove(buf, modulePath, len);
    buf[len] = '\0';
    return true;
}

bool ParseDecimalInt(const char* text, int32_t& value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (IsSpaceByte(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return false;
    // Accumulated in 64 bits and stopped just past the 32-bit range, so long digit runs
    // saturate instead of overflowing.
    constexpr int64_t kBeyond = int64_t{std::numeric_limits<int32_t>::max()} + 2;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = std::min(magnitude * 10 + (*p - '0'), kBeyond);
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    signedValue = std::clamp<int64_t>(signedValue, std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max());
    value = static_cast<int32_t>(signedValue);
    return true;
}

size_t WideCutLength(const char16_t* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    const bool splitsPair = limit > 0 && text[limit - 1] >= 0xD800 && text[limit - 1] <= 0xDBFF &&
                            text[limit] >= 0xDC00 && text[limit] <= 0xDFFF;
    return splitsPair ? limit - 1 : limit;
}

namespace {

bool IsAsciiUpper(char16_t c) { return c >= u'A' && c <= u'Z'; }

// Index of the '.' of the last component's extension, or npos.
size_t FindWideExtension(std::u16string_view path) {
    size_t start = path.rfind(u'\\');
    size_t dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos) return dot;
    return start != std::u16string_view::npos && dot < start ? std::u16string_view::npos : dot;
}

// The length of the UTF-8 sequence led by c and the bits of c it keeps; 0 for no lead byte.
size_t Utf8SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0;
}

// The code point of the sequence at text[at] of length n, or -1 when it is none (a missing
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF). Lone surrogates written
// in their three-byte form come back as themselves when allowSurrogates.
long DecodeUtf8At(std::string_view text, size_t at, size_t n, bool allowSurrogates) {
    if (n == 0 || at + n > text.size()) return -1;
    static const unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    long code = static_cast<unsigned char>(text[at]) & kLeadMask[n];
    for (size_t i = 1; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[at + i]);
        if ((c & 0xC0) != 0x80) return -1;
        code = (code << 6) | (c & 0x3F);
    }
    static const long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[n] || code > 0x10FFFF) return -1;
    if (code >= 0xD800 && code <= 0xDFFF && !allowSurrogates) return -1;
    return code;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes text into out, lone surrogates in their three-byte form included. A sequence that is
// no UTF-8 becomes U+FFFD when replaceBad, else ends the decoding with false.
bool DecodeUtf8Into(std::string_view text, std::u16string& out, bool replaceBad) {
    out.clear();
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        size_t n = Utf8SequenceLength(static_cast<unsigned char>(text[at]));
        long code = DecodeUtf8At(text, at, n, true);
        if (code < 0) {
            if (!replaceBad) return false;
            out += u'\uFFFD';
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        at += n;
    }
    return true;
}

}  // namespace

std::u16string MakeWideSiblingPath(std::u16string_view modulePath, const char* ext) {
    size_t dot = FindWideExtension(modulePath);
    std::u16string path(modulePath.substr(0, dot));
    for (; *ext; ++ext) path += static_cast<char16_t>(static_cast<unsigned char>(*ext));
    for (char16_t& c : path)
        if (IsAsciiUpper(c)) c = static_cast<char16_t>(c - u'A' + u'a');
    return path;
}

std::u16string MakeWideFolderPath(std::u16string_view modulePath) {
    size_t sep = modulePath.rfind(u'\\');
    return std::u16string(sep == std::u16string_view::npos ? std::u16string_view() : modulePath.substr(0, sep));
}

std::u16string JoinWidePath(std::u16string_view folder, const char* component) {
    std::u16string path(folder);
    if (path.empty() || path.back() != u'\\') path += u'\\';
    for (; *component; ++component)
        path += static_cast<char16_t>(static_cast<unsigned char>(*component));
    return path;
}

std::u16string WideFromUtf8(std::string_view text) {
    std::u16string out;
    DecodeUtf8Into(text, out, true);
    return out;
}

bool WideFromExactUtf8(std::string_view text, std::u16string& out) {
    return DecodeUtf8Into(text, out, false);
}

std::string Utf8FromWide(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long code = text[i];
        bool pair = code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() &&
                    text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        AppendUtf8(out, code);
    }
    return out;
}

bool IsStrictUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        size_t n = Utf8SequenceLength(static_cast<unsigned char>(text[at]));
        if (DecodeUtf8At(text, at, n, false) < 0) return false;
        at += n;
    }
    return true;
}

}  // namespace tooltext
