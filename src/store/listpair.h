// A list's two files, its texts and the exact forms of those the code page cannot hold, written
// and read as one: whatever stops a save, every entry comes back with its own exact form or
// with none, never with another text's. Pure; store/listfile does the file operations.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/exactfile.h"
#include "store/textfile.h"
#include "store/textstore.h"

// Hands a file's bytes to a writer; false when it failed.
using FileContent = std::function<bool(const ByteWriter& write)>;

// The file operations of one list's save, each on its own file. A replace leaves the old file
// or the new one, whole; removeExact is true also when there was no file.
struct ListFileOps {
    std::function<bool(const FileContent& content)> replaceTexts;
    std::function<bool(const FileContent& content)> replaceExact;
    std::function<bool()> removeExact;
    // The first kExactFileHeaderSize bytes of the exact file, fewer when it is shorter; false
    // when it exists but cannot be read. Empty when there is none.
    std::function<bool(std::string& head)> readExactHead;
};

// What a save did, for its trace.
enum class ListSave { Saved, ExactNotSaved, TextsNotSaved, Held };

// Writes the exact file first, then the texts: the exact file names the list file it goes with,
// so a stop between the two leaves a pair that does not match (no forms) or, when the texts did
// not change, the right one. When the exact file could not be replaced or removed and the one
// left there names the list file about to be written, that write is held back (Held): the old
// forms would be taken for the new texts'. Without ops.replaceExact only the texts are written.
ListSave saveListFiles(const TextChain& chain, const ListFileOps& ops);

// Reads a list file fed in blocks: its texts, oldest first, and its fingerprint.
struct ListFileReader {
    TextRecordDecoder decoder;
    ListFingerprint fingerprint;
    std::vector<std::string> texts;  // by place in the file
    std::vector<size_t> dropped;     // places of records too long for the memory there was
    bool shortOfMemory = false;      // texts is incomplete
};
void feedListFile(ListFileReader& reader, const char* data, size_t size);
void finishListFile(ListFileReader& reader);

// Adds the texts read to the list, oldest first, each with its form from the exact file's
// bytes (none, or empty bytes: no forms), so the last text ends at index 0.
void addListTexts(TextStore& store, ListKind kind, ListFileReader& reader,
                  std::string_view exactFile);
