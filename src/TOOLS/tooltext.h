// Double-byte (Shift-JIS) text rules, bounded copy and print, "C" character classes and
// path helpers shared by every subsystem. Pure: no platform calls.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tooltext {

constexpr size_t kNotFound = static_cast<size_t>(-1);

// Lead bytes take the next byte with them; these ranges hold whatever the system's code page.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// "C" locale classes; no byte from 0x80 up belongs to any class.
inline bool IsSpaceByte(unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20; }
inline bool IsControlByte(unsigned char c) { return c <= 0x1F || c == 0x7F; }

enum class ByteKind { Single, Lead, Trail };

// Classifies s[index] by walking from the start of the NUL-terminated string s. A lead byte
// right before the NUL counts as a single byte. index must lie within the string.
ByteKind KindOfByteAt(const char* s, size_t index);

// Length of the character starting at s: 2 for a lead byte followed by a non-NUL byte, else 1
// (0 at the NUL). This is the one rule of a character: a lead byte takes the next byte whatever
// it is, as the system's own walk does.
size_t CharLength(const char* s);
// The same for the n bytes at s, which need not end at a NUL (0 when n is 0).
size_t CharLength(const char* s, size_t n);

// Largest cut <= limit that does not separate a lead byte from its trail byte, walking the
// first limit bytes of s (which holds at least limit bytes or ends at a NUL before).
size_t SafeCutLength(const char* s, size_t limit);

// Copies at most size-1 bytes of src into dest, one fewer rather than split a double-byte
// character, and always terminates (when size > 0). Returns the bytes copied.
size_t CopyBounded(char* dest, size_t size, const char* src);

// printf-style into buf of size bytes: at most size-1 characters, always terminated.
// Returns the formatter's result (the length the full output would have), -1 on error.
int FormatBounded(char* buf, size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
int FormatBoundedV(char* buf, size_t size, const char* format, va_list args);

// Index of the last '\' of path that is not the trail byte of a double-byte character.
size_t FindLastSeparator(const char* path);

// Index of the '.' that starts the extension of the last path component, or kNotFound.
size_t FindExtension(const char* path);

// Turns ASCII capitals into small letters in place, stepping over double-byte characters.
void LowerAsciiInPlace(char* text);

// Joins folder and component with exactly one '\' between them into buf of size bytes.
// Returns false (buf holding the cut result) when the whole path did not fit.
bool JoinPath(char* buf, size_t size, const char* folder, const char* component);

// The module path with its extension replaced by ext (or ext appended when it has none),
// lower-cased: the rule for the .ini, .hst and .use files. False when it does not fit.
bool MakeSiblingPath(char* buf, size_t size, const char* modulePath, const char* ext);

// The folder part of the module path (cut at its last separator, no trailing '\', case kept).
bool MakeFolderPath(char* buf, size_t size, const char* modulePath);

// A number as scanf's "%d" reads it: leading white space, an optional sign, digits; anything
// after them is ignored. False when no digit follows. Numbers beyond the 32-bit range saturate.
bool ParseDecimalInt(const char* text, int32_t& value);

// UTF-16 texts (the exact form of a text the code page cannot hold): the longest length of at
// most limit units that does not end between the two halves of a surrogate pair.
size_t WideCutLength(const char16_t* text, size_t length, size_t limit);

// The UTF-16 forms of MakeSiblingPath and MakeFolderPath, for paths the code page cannot hold.
std::u16string MakeWideSiblingPath(std::u16string_view modulePath, const char* ext);
std::u16string MakeWideFolderPath(std::u16string_view modulePath);
// A folder and an ASCII component joined with exactly one '\' between them.
std::u16string JoinWidePath(std::u16string_view folder, const char* component);

// UTF-8 and UTF-16 without the system: a byte sequence that is no UTF-8 becomes U+FFFD, and a
// lone surrogate its three-byte form (so any UTF-16 text comes back unchanged).
std::u16string WideFromUtf8(std::string_view text);
// The same, but false (out unspecified) for bytes that are no such UTF-8, lone surrogates in
// their three-byte form allowed.
bool WideFromExactUtf8(std::string_view text, std::u16string& out);
std::string Utf8FromWide(std::u16string_view text);
// Whether text is UTF-8 as the standard has it: no overlong form, no surrogate, nothing past
// U+10FFFF, no cut sequence.
bool IsStrictUtf8(std::string_view text);

}  // namespace tooltext
