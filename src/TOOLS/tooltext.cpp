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
    int result = std::vsnprintf(buf, size, format, args);
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

}  // namespace tooltext
