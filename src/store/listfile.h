// Reading and writing the history and registered-text files beside the executable.
#pragma once

#include "store/exactfile.h"
#include "store/textstore.h"

// What a load found. Unreadable covers every failure other than a missing file (locked, no
// permission, a folder of that name, a read error): such a file holds texts we failed to read,
// so its list must not be saved over it in this run.
enum class ListFileLoad { Loaded, Missing, Unreadable };

// Adds the file's records to the list with addText, oldest first, so the last record ends at
// index 0. The list is not emptied first; records read before a read error stay added.
ListFileLoad loadTextFile(TextStore& store, ListKind kind, const char16_t* path);

// Writes the whole chain (an empty one as an empty file) to a flushed temporary beside path,
// which then replaces path in one step: at no moment is there no complete file. On any failure
// path keeps its old bytes, the temporary is removed and false is returned.
bool saveTextFile(const TextChain& chain, const char16_t* path);

// The exact-text file of a list (its records matched to the list's entries by their bytes), read
// after the list's own file. A damaged record is skipped; Unreadable as for loadTextFile.
ListFileLoad loadExactFile(TextStore& store, ListKind kind, const char16_t* path);

// Writes the records as saveTextFile writes a list; with none, path is removed instead, so texts
// that fit the code page leave no file. False when path keeps what it held.
bool saveExactFile(const ExactSnapshot& records, const char16_t* path);
