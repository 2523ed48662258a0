// Writes the list files on a thread of their own: a copy is recorded at once instead of waiting
// for the disk, and a burst of copies costs one write of the newest list, not one per copy.
#pragma once

#include "store/textstore.h"

// Queues a write of the chain as it is now (a snapshot: later changes to the list do not reach
// it) to path. A write of the same path still waiting takes the newer snapshot and keeps its
// turn, so files are written in the order they were first queued. Where no snapshot or thread
// can be had, the file is written at once, after the writes queued before it.
// With exactPath, the exact texts of the chain's entries go to that file in the same write, so
// the pause between the writes of a burst never falls between the two files of one list.
void queueListSave(const TextChain& chain, const char16_t* path, const char16_t* exactPath = nullptr);

// Blocks until every queued write is done: before the program ends or the session closes, and
// wherever the files are read back.
void waitForListSaves();
