// The recent copies a machine shares beside its registered texts: its own copies with their
// stamps, and the step that takes other machines' new copies into the local history. Pure.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/textstore.h"

// A history text as a machine's file carries it.
struct SharedCopy {
    uint64_t stamp = 0;  // milliseconds since 1970 (UTC) when copied, rising on each machine
    std::string text;    // code-page bytes, no NUL
    std::u16string exact;
};

struct SharedHistory {
    std::vector<SharedCopy> copies;  // this machine's own copies, newest first, one per text
    // The newest stamp seen of each machine, this one's own too: a copy is taken only once, and
    // this machine's stamps keep rising over a clock set back.
    std::map<uint64_t, uint64_t> seen;
};

// A copy made on this machine now: it goes to the front with a stamp past every earlier one of
// the machine (an equal text moves there); at most keep copies stay. The text already at the
// front keeps its stamp.
void noteOwnCopy(SharedHistory& history, uint64_t machine, uint64_t nowMs, const std::string& text,
                 const std::u16string& exact, size_t keep);

// Two reads of one machine's history (its file and a conflicted copy of it) as one.
void mergeOwnHistory(SharedHistory& into, const SharedHistory& from);

struct HistorySource {
    uint64_t machine = 0;
    const SharedHistory* history = nullptr;
};
struct ArrivingCopy {
    uint64_t machine = 0;
    const SharedCopy* copy = nullptr;
};

// The copies of other machines newer than any seen of them before, oldest first, one per text
// (its newest copy); seen then holds them. The copies stay owned by sources.
std::vector<ArrivingCopy> takeNewCopies(SharedHistory& own, uint64_t machine,
                                        const std::vector<HistorySource>& sources);

// Records the arrivals into the History as copies made in that order, under the History's own
// rules (registered texts are left out, an equal text moves, the count holds).
void recordArrivals(TextStore& store, int historyCount, const std::vector<ArrivingCopy>& arrivals);

// What this machine's file carries: its newest count own copies that are still in the History.
std::vector<SharedCopy> copiesToShare(const SharedHistory& own, const TextStore& store, int count);

// The machine each text came from (by its shared id): the one of its newest copy, when that
// copy is not this machine's own.
std::map<uint64_t, uint64_t> copyOrigins(const SharedHistory& own, uint64_t machine,
                                         const std::vector<HistorySource>& sources);
