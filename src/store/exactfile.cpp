// Exact-text file records: marker, lengths, check sum, the code-page bytes and the UTF-8 text.
#include "store/exactfile.h"

#include <array>
#include <cstring>
#include <exception>
#include <new>
#include <unordered_map>

#include "TOOLS/tooltext.h"

namespace {

// The file header and each record start with a marker: a byte run the check sums then vouch
// for, so a marker that happens to stand inside a text is never taken for a record.
constexpr char kFileMarker[4] = {'\x1e', 'Q', 'X', 'H'};
constexpr char kRecordMarker[4] = {'\x1e', 'Q', 'X', '2'};
// Marker, position, two lengths, a check sum of those three, a check sum of the bytes and text.
constexpr size_t kRecordHeaderSize = 24;
// The records of the build before: marker, two lengths, one check sum of all; no position.
constexpr char kLegacyMarker[4] = {'\x1e', 'Q', 'X', '1'};
constexpr size_t kLegacyHeaderSize = 16;

// CRC-32 tables for eight bytes a step: a save takes the check sum of every byte of the list,
// and a byte at a time was most of its cost.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

void FillCrcTables(CrcTables& tables) {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (size_t k = 1; k < tables.size(); ++k)
        for (uint32_t n = 0; n < 256; ++n)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
}

// Made at the first use, on the heap: as a static object they would be 8 KB of the exe's data.
const CrcTables& Crc32Tables() {
    static const CrcTables* const tables = [] {
        auto* made = new CrcTables;
        FillCrcTables(*made);
        return made;
    }();
    return *tables;
}

uint32_t LoadU32(const unsigned char* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetU32(const char* p) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(p[i]);
    return value;
}

void PutU64(std::string& out, uint64_t value) {
    PutU32(out, static_cast<uint32_t>(value));
    PutU32(out, static_cast<uint32_t>(value >> 32));
}

uint64_t GetU64(const char* p) {
    return GetU32(p) | (uint64_t{GetU32(p + 4)} << 32);
}

}  // namespace

std::string utf8FromUtf16(std::u16string_view text) {
    return tooltext::Utf8FromWide(text);
}

bool utf16FromUtf8(std::string_view text, std::u16string& out) {
    return tooltext::WideFromExactUtf8(text, out);
}

uint32_t crc32Of(uint32_t crc, std::string_view bytes) {
    const CrcTables& t = Crc32Tables();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    crc = ~crc;
    for (; n >= 8; p += 8, n -= 8) {
        const uint32_t low = crc ^ LoadU32(p), high = LoadU32(p + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
              t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
              t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; n > 0; ++p, --n) crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool operator==(const ListFingerprint& a, const ListFingerprint& b) {
    return a.size == b.size && a.crc == b.crc;
}

void extendFingerprint(ListFingerprint& fingerprint, std::string_view bytes) {
    fingerprint.size += bytes.size();
    fingerprint.crc = crc32Of(fingerprint.crc, bytes);
}

bool fingerprintOfTextRecords(const TextChain& chain, ListFingerprint& fingerprint) {
    fingerprint = ListFingerprint{};
    return writeTextRecords(chain, [&fingerprint](const char* data, size_t size) {
        extendFingerprint(fingerprint, std::string_view(data, size));
        return true;
    });
}

ExactSnapshot exactSnapshot(const TextChain& chain) {
    ExactSnapshot records;
    for (size_t i = 0; i < chain.size(); ++i)
        if (chain[i]->exact) records.push_back({static_cast<uint32_t>(i), chain[i]});
    return records;
}

namespace {

std::string FileHeader(const ListFingerprint& listFile) {
    std::string fields;
    PutU64(fields, listFile.size);
    PutU32(fields, listFile.crc);
    std::string header(kFileMarker, sizeof kFileMarker);
    header += fields;
    PutU32(header, crc32Of(0, fields));
    return header;
}

void AppendRecord(std::string& block, uint32_t position, std::string_view ansi,
                  std::string_view utf8) {
    std::string fields;
    PutU32(fields, position);
    PutU32(fields, static_cast<uint32_t>(ansi.size()));
    PutU32(fields, static_cast<uint32_t>(utf8.size()));
    block.append(kRecordMarker, sizeof kRecordMarker);
    block += fields;
    PutU32(block, crc32Of(0, fields));
    PutU32(block, crc32Of(crc32Of(0, ansi), utf8));
    block += ansi;
    block += utf8;
}

}  // namespace

bool writeExactFile(const ExactSnapshot& records, const ListFingerprint& listFile,
                    const ByteWriter& write) {
    try {
        std::string block = FileHeader(listFile);
        for (const ExactRecord& record : records) {
            AppendRecord(block, record.position, record.entry->text,
                         utf8FromUtf16(*record.entry->exact));
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

bool readExactFingerprint(std::string_view bytes, ListFingerprint& fingerprint) {
    if (bytes.size() < kExactFileHeaderSize ||
        bytes.substr(0, sizeof kFileMarker) != std::string_view(kFileMarker, sizeof kFileMarker))
        return false;
    const std::string_view fields = bytes.substr(sizeof kFileMarker, 12);
    if (GetU32(bytes.data() + 16) != crc32Of(0, fields)) return false;
    fingerprint = ListFingerprint{GetU64(fields.data()), GetU32(fields.data() + 8)};
    return true;
}

namespace {

// Records of this build: a record's header has a check sum of its own, so a false or damaged
// one costs a few bytes; a sound header with a damaged text is skipped whole. Every byte is
// checked at most twice.
void ReadRecords(std::string_view bytes, const ExactRecordSink& sink) {
    const std::string_view marker(kRecordMarker, sizeof kRecordMarker);
    for (size_t at = bytes.find(marker); at != std::string_view::npos;) {
        const std::string_view rest = bytes.substr(at);
        size_t next = at + 1;
        if (rest.size() >= kRecordHeaderSize &&
            GetU32(rest.data() + 16) == crc32Of(0, rest.substr(4, 12))) {
            const uint64_t ansiSize = GetU32(rest.data() + 8);
            const uint64_t utf8Size = GetU32(rest.data() + 12);
            if (ansiSize + utf8Size <= rest.size() - kRecordHeaderSize) {
                const std::string_view ansi = rest.substr(kRecordHeaderSize, ansiSize);
                const std::string_view utf8 = rest.substr(kRecordHeaderSize + ansiSize, utf8Size);
                std::u16string exact;
                if (GetU32(rest.data() + 20) == crc32Of(crc32Of(0, ansi), utf8) &&
                    utf16FromUtf8(utf8, exact))
                    sink(GetU32(rest.data() + 4), ansi, std::move(exact));
                next = at + kRecordHeaderSize + ansiSize + utf8Size;
            }
        }
        at = bytes.find(marker, next);
    }
}

// Records of the build before, whose one check sum covers the text: a false marker may claim
// the whole rest of the file, so the bytes summed are capped at a few times the file's size
// and what lies past the cap is dropped.
void ReadLegacyRecords(std::string_view bytes, const ExactRecordSink& sink) {
    const std::string_view marker(kLegacyMarker, sizeof kLegacyMarker);
    uint64_t budget = 4 * uint64_t{bytes.size()};
    for (size_t at = bytes.find(marker); at != std::string_view::npos;) {
        const std::string_view rest = bytes.substr(at);
        size_t next = at + 1;
        if (rest.size() >= kLegacyHeaderSize) {
            const uint64_t ansiSize = GetU32(rest.data() + 4);
            const uint64_t utf8Size = GetU32(rest.data() + 8);
            const uint64_t summed = 8 + ansiSize + utf8Size;
            if (ansiSize + utf8Size <= rest.size() - kLegacyHeaderSize) {
                if (summed > budget) return;
                budget -= summed;
                const std::string_view ansi = rest.substr(kLegacyHeaderSize, ansiSize);
                const std::string_view utf8 = rest.substr(kLegacyHeaderSize + ansiSize, utf8Size);
                std::u16string exact;
                const uint32_t crc = crc32Of(crc32Of(crc32Of(0, rest.substr(4, 8)), ansi), utf8);
                if (GetU32(rest.data() + 12) == crc && utf16FromUtf8(utf8, exact)) {
                    sink(kNoPosition, ansi, std::move(exact));
                    next = at + kLegacyHeaderSize + ansiSize + utf8Size;
                }
            }
        }
        at = bytes.find(marker, next);
    }
}

}  // namespace

ExactFileKind readExactRecords(std::string_view bytes, const ListFingerprint& listFile,
                               const ExactRecordSink& sink) {
    ListFingerprint named;
    if (readExactFingerprint(bytes, named)) {
        if (!(named == listFile)) return ExactFileKind::Foreign;
        ReadRecords(bytes.substr(kExactFileHeaderSize), sink);
        return ExactFileKind::Matching;
    }
    if (bytes.substr(0, sizeof kFileMarker) == std::string_view(kFileMarker, sizeof kFileMarker))
        return ExactFileKind::Foreign;
    ReadLegacyRecords(bytes, sink);
    return ExactFileKind::Legacy;
}

std::vector<ExactText> exactFormsOf(const std::vector<std::string>& texts,
                                    const ListFingerprint& listFile, std::string_view exactFile) {
    std::vector<ExactText> forms;
    try {
        // The build before kept one entry per bytes: its record names the text by them.
        std::unordered_map<std::string_view, ExactText> legacy;
        const auto give = [&](size_t at, std::u16string&& exact) {
            if (forms.empty()) forms.resize(texts.size());
            forms[at] = std::make_shared<const std::u16string>(std::move(exact));
        };
        ExactFileKind kind = readExactRecords(
            exactFile, listFile,
            [&](uint32_t position, std::string_view ansi, std::u16string&& exact) {
                if (position == kNoPosition) {
                    legacy[ansi] = std::make_shared<const std::u16string>(std::move(exact));
                } else if (position < texts.size() && texts[position] == ansi) {
                    give(position, std::move(exact));
                }
            });
        if (kind != ExactFileKind::Legacy || legacy.empty()) return forms;
        forms.resize(texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            auto found = legacy.find(texts[i]);
            if (found != legacy.end()) forms[i] = found->second;
        }
        return forms;
    } catch (const std::exception&) {  // bad_alloc: the texts stay whole, without forms
        return {};
    }
}
