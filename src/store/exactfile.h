// The byte format of the exact-text files (.hsu beside the .hst, .usu beside the .use): a header
// naming the one list file it belongs to, then for each entry whose text the code page cannot
// hold, its place in that file, its code-page bytes and its exact text in UTF-8. Pure;
// store/listfile reads and writes the files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/textfile.h"
#include "store/textstore.h"

// UTF-16 to UTF-8. A lone surrogate is kept as its own three-byte sequence, so that any text the
// clipboard gave comes back unit for unit.
std::string utf8FromUtf16(std::u16string_view text);
// The reverse, also of such three-byte surrogates; false (out unspecified) for bytes that are no
// such UTF-8 (a bad or overlong sequence, a cut one, a value past U+10FFFF).
bool utf16FromUtf8(std::string_view text, std::u16string& out);

// CRC-32 as zlib's, continued from crc (0 to start).
uint32_t crc32Of(uint32_t crc, std::string_view bytes);

// What ties an exact-text file to its list file: the list file's length and CRC-32.
struct ListFingerprint {
    uint64_t size = 0;
    uint32_t crc = 0;
};
bool operator==(const ListFingerprint& a, const ListFingerprint& b);
void extendFingerprint(ListFingerprint& fingerprint, std::string_view bytes);
// The fingerprint of the list file writeTextRecords makes of chain; false when memory ran out.
bool fingerprintOfTextRecords(const TextChain& chain, ListFingerprint& fingerprint);

// What the file of a list is written from: the entries with an exact text, oldest first, each
// with its place in the chain (the record it is in the list file).
struct ExactRecord {
    uint32_t position = 0;
    std::shared_ptr<const TextEntry> entry;
};
using ExactSnapshot = std::vector<ExactRecord>;
// Taken on the list's own thread; empty when no entry has an exact text.
ExactSnapshot exactSnapshot(const TextChain& chain);

// The header for the list file of that fingerprint, then one record per snapshot entry. False as
// soon as write fails or memory runs out.
bool writeExactFile(const ExactSnapshot& records, const ListFingerprint& listFile,
                    const ByteWriter& write);

// The bytes an exact file must begin with to be read by readExactFingerprint.
constexpr size_t kExactFileHeaderSize = 20;
// The list file an exact file's header names; false when it has no sound header.
bool readExactFingerprint(std::string_view bytes, ListFingerprint& fingerprint);

// Each record carries check sums and starts with a marker: a damaged record is skipped and the
// reader finds the next one, so a damaged or cut file costs only the records it damaged. The
// work is linear in the size of the file, whatever its bytes.
enum class ExactFileKind {
    Matching,  // its header names the list file given: records carry their position
    Foreign,   // it names another list file (or its header is damaged): nothing is read
    Legacy,    // the build before wrote it, with no header: records carry no position
};
constexpr uint32_t kNoPosition = 0xFFFFFFFF;
using ExactRecordSink =
    std::function<void(uint32_t position, std::string_view ansi, std::u16string&& exact)>;
ExactFileKind readExactRecords(std::string_view bytes, const ListFingerprint& listFile,
                               const ExactRecordSink& sink);

// The exact form of each of texts, the records of the list file of that fingerprint, oldest
// first: a record's form goes to the text at its position when that text has its bytes. A file
// of the build before gives a form to every text with the record's bytes. Empty when no text
// gets one. Never throws: what memory does not allow is dropped.
std::vector<ExactText> exactFormsOf(const std::vector<std::string>& texts,
                                    const ListFingerprint& listFile, std::string_view exactFile);
