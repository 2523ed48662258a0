// Exact-text file records: marker, lengths, check sum, the code-page bytes and the UTF-8 text.
#include "store/exactfile.h"

#include <array>
#include <cstring>
#include <new>

namespace {

// Starts every record; a byte run the check sum then vouches for, so a marker that happens to
// stand inside a text is never taken for a record.
constexpr char kMarker[4] = {'\x1e', 'Q', 'X', '1'};
constexpr size_t kHeaderSize = sizeof kMarker + 3 * 4;  // marker, two lengths, check sum

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

uint32_t Crc32(uint32_t crc, std::string_view bytes) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    crc = ~crc;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetU32(const char* p) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(p[i]);
    return value;
}

uint32_t RecordCrc(std::string_view lengths, std::string_view ansi, std::string_view utf8) {
    return Crc32(Crc32(Crc32(0, lengths), ansi), utf8);
}

bool IsHighSurrogate(uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// A code point of up to four UTF-8 bytes at text[at]; 0 bytes taken when they are no such.
size_t DecodeUtf8(std::string_view text, size_t at, uint32_t& point) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    size_t length;
    uint32_t minimum;
    if (lead < 0x80) {
        point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, point = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (byte(i) & 0x3F);
    }
    return point >= minimum && point <= 0x10FFFF ? length : 0;
}

void PutUtf8(std::string& out, uint32_t u) {
    if (u < 0x80) {
        out.push_back(static_cast<char>(u));
        return;
    }
    // Lead byte, then six bits per continuation byte, highest first.
    const int continuations = u < 0x800 ? 1 : u < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLeadBits[] = {0, 0xC0, 0xE0, 0xF0};
    out.push_back(static_cast<char>(kLeadBits[continuations] | (u >> (6 * continuations))));
    for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6)
        out.push_back(static_cast<char>(0x80 | ((u >> shift) & 0x3F)));
}

}  // namespace

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            u = 0x10000 + ((u - 0xD800) << 10) + (text[++i] - 0xDC00u);
        PutUtf8(out, u);
    }
    return out;
}

bool utf16FromUtf8(std::string_view text, std::u16string& out) {
    out.clear();
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        uint32_t point = 0;
        size_t taken = DecodeUtf8(text, at, point);
        if (taken == 0) return false;
        at += taken;
        if (point < 0x10000) {
            out.push_back(static_cast<char16_t>(point));
            continue;
        }
        point -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    }
    return true;
}

ExactSnapshot exactSnapshot(const TextChain& chain) {
    ExactSnapshot records;
    for (const auto& entry : chain)
        if (entry->exact) records.push_back({entry, entry->exact});
    return records;
}

bool writeExactRecords(const ExactSnapshot& records, const ByteWriter& write) {
    try {
        std::string block;
        for (const ExactRecord& record : records) {
            const std::string& ansi = record.entry->text;
            const std::string utf8 = utf8FromUtf16(*record.exact);
            std::string lengths;
            PutU32(lengths, static_cast<uint32_t>(ansi.size()));
            PutU32(lengths, static_cast<uint32_t>(utf8.size()));
            block.append(kMarker, sizeof kMarker);
            block += lengths;
            PutU32(block, RecordCrc(lengths, ansi, utf8));
            block += ansi;
            block += utf8;
            if (block.size() >= (256u << 10)) {
                if (!write(block.data(), block.size())) return false;
                block.clear();
            }
        }
        return block.empty() || write(block.data(), block.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void readExactRecords(std::string_view bytes, const ExactRecordSink& sink) {
    const std::string_view marker(kMarker, sizeof kMarker);
    size_t at = bytes.find(marker);
    while (at != std::string_view::npos) {
        const std::string_view rest = bytes.substr(at);
        size_t next = at + 1;  // a damaged record: look for the next marker after its own
        if (rest.size() >= kHeaderSize) {
            const uint64_t ansiSize = GetU32(rest.data() + 4);
            const uint64_t utf8Size = GetU32(rest.data() + 8);
            if (ansiSize + utf8Size <= rest.size() - kHeaderSize) {
                const std::string_view ansi = rest.substr(kHeaderSize, ansiSize);
                const std::string_view utf8 = rest.substr(kHeaderSize + ansiSize, utf8Size);
                std::u16string exact;
                if (GetU32(rest.data() + 12) == RecordCrc(rest.substr(4, 8), ansi, utf8) &&
                    utf16FromUtf8(utf8, exact)) {
                    sink(ansi, std::move(exact));
                    next = at + kHeaderSize + ansiSize + utf8Size;
                }
            }
        }
        at = bytes.find(marker, next);
    }
}

size_t attachExactRecords(TextStore& store, ListKind kind, std::string_view bytes) {
    size_t attached = 0;
    readExactRecords(bytes, [&](std::string_view ansi, std::u16string&& exact) {
        // A text without its exact form is still whole: a record short of memory is skipped.
        try {
            auto form = std::make_shared<const std::u16string>(std::move(exact));
            if (attachExactText(store, kind, ansi, std::move(form))) ++attached;
        } catch (const std::bad_alloc&) {
        }
    });
    return attached;
}
