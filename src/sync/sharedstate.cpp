// The merge of the shared folder's views and the step from the local list to a view.
#include "sync/sharedstate.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace {

// Room left between neighbours, so that most inserts and moves change only the texts moved.
constexpr int64_t kPlaceGap = 1LL << 20;
// Places kept stay inside this bound and new ones inside half of it, so that no difference or
// sum below overflows whatever a file held.
constexpr int64_t kPlaceLimit = 1LL << 61;

auto orderKey(const SharedText& t) {
    return std::tie(t.clock, t.machine, t.deleted, t.place, t.deletedAt, t.text, t.exact);
}

bool placeBefore(const SharedText* a, const SharedText* b) {
    return a->place != b->place ? a->place < b->place : a->id < b->id;
}

std::vector<const SharedText*> liveRecords(const SharedState& state) {
    std::vector<const SharedText*> live;
    for (const auto& [id, record] : state.texts)
        if (!record.deleted) live.push_back(&record);
    std::sort(live.begin(), live.end(), placeBefore);
    return live;
}

// Indices of the longest run of rows, in list order, whose old records are already in list
// order: those keep their places and records.
std::vector<bool> rowsInOrder(const std::vector<const SharedText*>& old) {
    std::vector<size_t> tails;  // tails[k]: row ending the best run of length k + 1
    std::vector<size_t> before(old.size(), SIZE_MAX);
    for (size_t i = 0; i < old.size(); ++i) {
        if (!old[i]) continue;
        auto at = std::lower_bound(tails.begin(), tails.end(), i, [&old](size_t row, size_t i) {
            return placeBefore(old[row], old[i]);
        });
        if (at != tails.begin()) before[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> kept(old.size(), false);
    for (size_t row = tails.empty() ? SIZE_MAX : tails.back(); row != SIZE_MAX; row = before[row])
        kept[row] = true;
    return kept;
}

// Places for the rows in list order; the kept rows keep theirs. Nullopt when a run of new
// places does not fit between its neighbours.
std::optional<std::vector<int64_t>> fitPlaces(const std::vector<const SharedText*>& old,
                                              const std::vector<bool>& kept) {
    const size_t n = old.size();
    std::vector<int64_t> places(n);
    for (size_t i = 0; i < n;) {
        if (kept[i]) {
            places[i] = old[i]->place;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < n && !kept[end]) ++end;
        const int64_t count = static_cast<int64_t>(end - i);
        std::optional<int64_t> low, high;
        if (i > 0) low = places[i - 1];
        if (end < n) high = old[end]->place;
        int64_t first, step = kPlaceGap;
        if (!low && !high) {
            first = 0;
        } else if (!low) {
            first = *high - count * kPlaceGap;
        } else if (!high) {
            first = *low + kPlaceGap;
        } else {
            step = (*high - *low) / (count + 1);
            first = *low + step;
        }
        const int64_t last = first + (count - 1) * step;
        if (step < 1 || std::abs(first) > kPlaceLimit / 2 || std::abs(last) > kPlaceLimit / 2 ||
            (low && first <= *low) || (high && last >= *high))
            return std::nullopt;
        for (int64_t k = 0; k < count; ++k) places[i + k] = first + k * step;
        i = end;
    }
    return places;
}

bool clampedOut(int64_t place) {
    return place < -kPlaceLimit || place > kPlaceLimit;
}

}  // namespace

uint64_t sharedTextId(std::string_view text, std::u16string_view exact) {
    // FNV-1a over the bytes, a NUL (no text holds one), then the exact form's units.
    uint64_t hash = 0xcbf29ce484222325ULL;
    auto mix = [&hash](unsigned char byte) { hash = (hash ^ byte) * 0x100000001b3ULL; };
    for (char c : text) mix(static_cast<unsigned char>(c));
    mix(0);
    for (char16_t unit : exact) {
        mix(static_cast<unsigned char>(unit & 0xFF));
        mix(static_cast<unsigned char>(unit >> 8));
    }
    return hash;
}

bool supersedes(const SharedText& a, const SharedText& b) {
    return orderKey(b) < orderKey(a);
}

void mergeState(SharedState& into, const SharedState& from) {
    into.clock = std::max(into.clock, from.clock);
    for (const auto& [id, record] : from.texts) {
        auto [at, added] = into.texts.try_emplace(id, record);
        if (!added && supersedes(record, at->second)) at->second = record;
    }
}

std::vector<LocalText> liveTexts(const SharedState& state) {
    std::vector<LocalText> list;
    for (const SharedText* record : liveRecords(state))
        list.push_back(LocalText{record->text, record->exact});
    return list;
}

bool recordLocalList(SharedState& state, const std::vector<LocalText>& list, uint64_t machine,
                     int64_t now) {
    // One row per text id, at the place of its first appearance.
    std::vector<const LocalText*> rows;
    std::vector<uint64_t> ids;
    std::unordered_map<uint64_t, size_t> rowOfId;
    for (const LocalText& text : list) {
        uint64_t id = sharedTextId(text.text, text.exact);
        if (!rowOfId.emplace(id, rows.size()).second) continue;
        rows.push_back(&text);
        ids.push_back(id);
    }
    std::vector<const SharedText*> old(rows.size(), nullptr);
    for (size_t i = 0; i < rows.size(); ++i) {
        auto at = state.texts.find(ids[i]);
        if (at != state.texts.end() && !at->second.deleted && !clampedOut(at->second.place))
            old[i] = &at->second;
    }
    std::vector<bool> kept = rowsInOrder(old);
    std::optional<std::vector<int64_t>> places = fitPlaces(old, kept);
    if (!places) {
        // No room left somewhere: the whole list is placed afresh at even gaps.
        places.emplace(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) (*places)[i] = static_cast<int64_t>(i) * kPlaceGap;
    }
    const uint64_t clock = state.clock + 1;
    bool changed = false;
    auto stamp = [&](SharedText& record) {
        record.clock = clock;
        record.machine = machine;
        changed = true;
    };
    for (auto& [id, record] : state.texts) {
        if (record.deleted || rowOfId.count(id)) continue;
        record = SharedText{id, 0, 0, true, 0, now, {}, {}};
        stamp(record);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (old[i] && old[i]->place == (*places)[i]) continue;
        SharedText& record = state.texts[ids[i]];
        record = SharedText{ids[i], 0, 0, false, (*places)[i], 0, rows[i]->text, rows[i]->exact};
        stamp(record);
    }
    if (changed) state.clock = clock;
    return changed;
}

void expireTombstones(SharedState& state, int64_t now) {
    for (auto at = state.texts.begin(); at != state.texts.end();) {
        if (at->second.deleted && now - at->second.deletedAt > kTombstoneSeconds)
            at = state.texts.erase(at);
        else
            ++at;
    }
}
