// How long the list-file writer waits before the next write of a burst. Pure.
#pragma once

#include <cstdint>

// A write takes the disk and a share of the processor from the session (a flush, a replace, the
// file system's journal), enough to make a fast copier's next text come and go unseen. When
// more copies came in during a write, the next one waits ten times the last write's length,
// 50 ms at least and 1 s at most: a burst costs a few writes of its newest list, not one per
// copy, and a lone copy is written at once.
uint32_t pauseAfterWriteMs(double writeMs);
