// The byte format of the history (.hst) and registered-text (.use) files: NUL-terminated
// records, oldest first, LF stored as CR LF. Our own line-end translation, so the bytes are the
// same on every platform. Pure; store/listfile reads and writes the files.
#pragma once

#include "store/textstore.h"

#include <cstddef>
#include <cstdint>
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
    uint32_t ended = 0;      // records ended so far, dropped ones too: a record's place
};

// The sink may take the text away (move it into a list): the decoder starts the next record anew.
using TextRecordSink = std::function<void(std::string& text)>;

void feedTextRecords(TextRecordDecoder& decoder, const char* data, size_t size,
                     const TextRecordSink& sink);
// At end of file: a last record without its NUL (a cut file) is still delivered.
void finishTextRecords(TextRecordDecoder& decoder, const TextRecordSink& sink);

// Hands the file bytes of the whole list, oldest first, to write in blocks of 256 KB or more
// (a long run of a text without LF goes out as it is, uncopied; an empty list writes nothing).
// False as soon as write fails or memory runs out.
using ByteWriter = std::function<bool(const char* data, size_t size)>;
bool writeTextRecords(const TextChain& chain, const ByteWriter& write);

// The block a file of fileSize bytes is read in: the whole file up to 256 KB, so a small list
// costs a small buffer and a large one few reads.
size_t textFileReadBlock(uint64_t fileSize);

// The temporary file a save writes before it replaces path: same folder and same length (the
// last character becomes '~', or '_' where it is a '~'), so it fits wherever path fits, and a
// crash leaves at most this one file behind.
std::string tempSiblingPath(std::string_view path);
std::u16string tempSiblingPath(std::u16string_view path);
