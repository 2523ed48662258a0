// The byte format of the exact-text files (.hsu beside the .hst, .usu beside the .use): for each
// entry whose text the code page cannot hold, its code-page bytes and its exact text in UTF-8.
// Pure; store/listfile reads and writes the files.
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

// What the file of a list is written from: the entries with an exact text, oldest first, each
// with the form it had when the snapshot was taken (a later copy may give the entry a newer one
// while the snapshot is written on another thread).
struct ExactRecord {
    std::shared_ptr<const TextEntry> entry;
    ExactText exact;
};
using ExactSnapshot = std::vector<ExactRecord>;
// Taken on the list's own thread; empty when no entry has an exact text.
ExactSnapshot exactSnapshot(const TextChain& chain);

// One record per snapshot entry; nothing for an empty one. False as soon as write fails or
// memory runs out.
bool writeExactRecords(const ExactSnapshot& records, const ByteWriter& write);

// Each record carries a check sum and starts with a marker: a damaged record is skipped and the
// reader finds the next one, so a damaged or cut file costs only the records it damaged.
using ExactRecordSink = std::function<void(std::string_view ansi, std::u16string&& exact)>;
void readExactRecords(std::string_view bytes, const ExactRecordSink& sink);

// Attaches every record of the file bytes to the entry of the list whose bytes equal the
// record's; a record that matches no entry is ignored. Returns how many were attached.
size_t attachExactRecords(TextStore& store, ListKind kind, std::string_view bytes);
