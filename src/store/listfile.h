// Reading and writing the history and registered-text files beside the executable.
#pragma once

#include "store/listpair.h"
#include "store/textstore.h"

// What a load found. Unreadable covers every failure other than a missing file (locked, no
// permission, a folder of that name, a read error): such a file holds texts we failed to read,
// so its list must not be saved over it in this run.
enum class ListFileLoad { Loaded, Missing, Unreadable };

// What a load of a list's two files found.
struct ListFilesLoad {
    ListFileLoad texts;
    ListFileLoad exactForms;
};

// Adds the file's records to the list with addText, oldest first, so the last record ends at
// index 0, each with its exact form from the file at exactPath (null: none) where that file
// belongs to this very list file. The list is not emptied first; on a read error nothing is
// added.
ListFilesLoad loadListFiles(TextStore& store, ListKind kind, const char16_t* path,
                            const char16_t* exactPath);

// Writes the whole chain (an empty one as an empty file) to a flushed temporary beside path,
// which then replaces path in one step: at no moment is there no complete file. On any failure
// path keeps its old bytes and the temporary is removed. With exactPath the exact forms go
// there first, in the same way (no file when there are none), so that any stop leaves each
// entry its own form or none.
ListSave writeListFiles(const TextChain& chain, const char16_t* path, const char16_t* exactPath);
