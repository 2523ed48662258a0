// The history (.hst) and registered-text (.use) files: NUL-terminated records, oldest first,
// LF stored as CR LF. Binary stdio with our own line-end translation, so the bytes are the same
// on every platform. Pure.
#pragma once

#include "store/textstore.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Splits file bytes into texts, fed in pieces of any size. CR LF becomes LF; any other CR and
// every other byte (0x1A included) is kept. A record is read whole however long; one that
// cannot get the memory is dropped up to its NUL, never split.
struct TextRecordDecoder {
    std::string record;
    bool started = false;    // a byte of the current record was taken
    bool pendingCr = false;  // a CR waits for the next byte: CR LF or a lone CR
    bool skipping = false;   // memory ran out on this record
};

using TextRecordSink = std::function<void(const std::string& text)>;

void feedTextRecords(TextRecordDecoder& decoder, const char* data, size_t size,
                     const TextRecordSink& sink);
// At end of file: a last record without its NUL (a cut file) is still delivered.
void finishTextRecords(TextRecordDecoder& decoder, const TextRecordSink& sink);

// Appends the file bytes of one text to out: every LF as CR LF, then one NUL.
void appendTextRecord(std::string& out, std::string_view text);

// Adds the file's records to the list with addText, oldest first, so the last record ends at
// index 0. The list is not emptied first. False when the file cannot be opened or read (the
// records read before a read error stay added).
bool loadTextFile(TextStore& store, ListKind kind, const char* path);

// Writes the whole list (an empty list as an empty file). The bytes go to path + ".tmp", which
// then replaces path; on a failed write path is left untouched and the temporary removed.
// False on any failure.
bool saveTextFile(const TextStore& store, ListKind kind, const char* path);
