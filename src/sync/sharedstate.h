// The shared folder's state of the registered texts: one record per text id with a logical
// clock, the merge of several machines' views, and the step from the local list to a new view.
// Pure.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// One text of a view, or its tombstone. A text's id comes from its exact text, so the same text
// registered on two machines is one record wherever it was typed.
struct SharedText {
    uint64_t id = 0;
    uint64_t clock = 0;    // the view's clock when this record last changed
    uint64_t machine = 0;  // who changed it then
    bool deleted = false;
    int64_t place = 0;      // list order: smaller first, ties by id
    int64_t deletedAt = 0;  // tombstones only: seconds since 1970 (UTC)
    std::string text;       // code-page bytes, no NUL; empty in a tombstone
    std::u16string exact;   // the exact form where the bytes cannot hold it; empty otherwise
};

struct SharedState {
    uint64_t clock = 0;  // the highest clock this view has seen: the next change takes one more
    std::map<uint64_t, SharedText> texts;
};

// A text of the local list, in list order (index 0 first).
struct LocalText {
    std::string text;
    std::u16string exact;
};

// Tombstones are kept this long, so a machine that was away for less still learns of a delete.
constexpr int64_t kTombstoneSeconds = 90LL * 24 * 60 * 60;

uint64_t sharedTextId(std::string_view text, std::u16string_view exact);

// Whether a's change supersedes b's: the higher (clock, machine); records equal in both are
// ordered by their content, so every replica picks the same one whatever the order of merging.
bool supersedes(const SharedText& a, const SharedText& b);

// Takes every record of from that supersedes into's record of its id. Idempotent, commutative
// and associative, so views that arrive late, twice or in any order end the same.
void mergeState(SharedState& into, const SharedState& from);

// The live texts in list order.
std::vector<LocalText> liveTexts(const SharedState& state);

// Brings the view to the local list: texts gone from it become tombstones dated now, new texts
// and moved ones take the next clock under machine; texts left in place keep their records.
// Returns whether anything changed.
bool recordLocalList(SharedState& state, const std::vector<LocalText>& list, uint64_t machine,
                     int64_t now);

// Drops the tombstones older than kTombstoneSeconds.
void expireTombstones(SharedState& state, int64_t now);
