// The text store's lists, id pool and policies.
#include "store/textstore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>

namespace {

TextList* listOf(TextStore& store, ListKind kind) {
    switch (kind) {
        case ListKind::History: return &store.history;
        case ListKind::RegisteredTexts: return &store.registered;
    }
    return nullptr;
}

const TextList* listOf(const TextStore& store, ListKind kind) {
    return listOf(const_cast<TextStore&>(store), kind);
}

bool isValidId(int id) {
    return id >= kFirstTextId && id <= kLastTextId;
}

TextKey keyOf(const TextEntry& entry) {
    return TextKey{entry.text, entry.exact.get()};
}

// Forgets the entry everywhere but in the chain; the caller erases it from there.
void releaseEntry(TextStore& store, TextList& list, const TextEntry& entry) {
    list.byText.erase(keyOf(entry));
    store.slots[entry.id - kFirstTextId] = TextStore::IdSlot{};
    releaseTextId(store.pool, entry.id);
}

// Removes the chain's first `count` entries: the oldest of the list.
void removeOldest(TextStore& store, TextList& list, size_t count) {
    auto end = list.chain.begin() + static_cast<std::ptrdiff_t>(count);
    for (auto it = list.chain.begin(); it != end; ++it) releaseEntry(store, list, **it);
    list.chain.erase(list.chain.begin(), end);
}

void moveToFront(TextList& list, const TextEntry* entry) {
    auto& chain = list.chain;
    // From the newest end: a text used again is usually a recent one.
    auto found = std::find_if(chain.rbegin(), chain.rend(),
                              [entry](const auto& held) { return held.get() == entry; });
    auto at = std::prev(found.base());
    std::rotate(at, std::next(at), chain.end());
}

// Capacity grows geometrically here; push_back after it cannot throw.
void makeRoomForOne(TextChain& chain) {
    if (chain.size() < chain.capacity()) return;
    chain.reserve(std::max<size_t>(16, chain.size() * 2));
}

// Makes entry (its text in place) index 0 of the list, or moves an equal text there; one hash of
// the text either way. False, with both lists unchanged, when it cannot be stored.
bool placeEntry(TextStore& store, TextList& list, ListKind kind, std::shared_ptr<TextEntry> entry) {
    std::pair<decltype(list.byText)::iterator, bool> placed;
    try {
        makeRoomForOne(list.chain);
        placed = list.byText.emplace(keyOf(*entry), entry.get());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!placed.second) {
        moveToFront(list, placed.first->second);
        return true;
    }
    // A full pool refuses the new text; both lists stay as they were.
    int id = allocateTextId(store.pool);
    if (id < 0) {
        list.byText.erase(placed.first);
        return false;
    }
    entry->id = id;
    store.slots[id - kFirstTextId] = TextStore::IdSlot{entry.get(), kind};
    list.chain.push_back(std::move(entry));
    return true;
}

uint64_t loadWord(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

uint64_t rotateLeft(uint64_t x, int bits) {
    return (x << bits) | (x >> (64 - bits));
}

}  // namespace

int allocateTextId(TextIdPool& pool) {
    // Eight bytes at a time: a load fills thousands of ids from the bottom, one after another.
    constexpr int kWordBytes = 8;
    for (int at = 0; at < kTextIdCount / 8; at += kWordBytes) {
        uint64_t word;
        std::memcpy(&word, pool.bits + at, kWordBytes);
        if (word == ~uint64_t{0}) continue;
        for (int byte = at; byte < at + kWordBytes; ++byte) {
            if (pool.bits[byte] == 0xFF) continue;
            for (int bit = 0; bit < 8; ++bit) {
                if (pool.bits[byte] & (1u << bit)) continue;
                pool.bits[byte] = static_cast<unsigned char>(pool.bits[byte] | (1u << bit));
                return kFirstTextId + 8 * byte + bit;
            }
        }
    }
    return -1;
}

void releaseTextId(TextIdPool& pool, int id) {
    if (!isValidId(id)) return;
    int n = id - kFirstTextId;
    pool.bits[n / 8] = static_cast<unsigned char>(pool.bits[n / 8] & ~(1u << (n % 8)));
}

bool isTextIdUsed(const TextIdPool& pool, int id) {
    if (!isValidId(id)) return false;
    int n = id - kFirstTextId;
    return (pool.bits[n / 8] >> (n % 8)) & 1u;
}

TextStore* createTextStore() {
    try {
        return new TextStore();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void destroyTextStore(TextStore* store) {
    if (!store) return;
    clearList(*store, ListKind::History);
    clearList(*store, ListKind::RegisteredTexts);
    delete store;
}

bool operator==(const TextKey& a, const TextKey& b) {
    if (a.text != b.text || !a.exact != !b.exact) return false;
    return !a.exact || *a.exact == *b.exact;
}

size_t TextHash::operator()(const TextKey& key) const {
    size_t hash = (*this)(key.text);
    if (!key.exact) return hash;
    // Byte-equal texts of different exact forms are the common case here (all "?"): the form
    // must spread them.
    const std::u16string& exact = *key.exact;
    std::string_view units(reinterpret_cast<const char*>(exact.data()), exact.size() * 2);
    return hash ^ rotateLeft((*this)(units) + 0x9E3779B97F4A7C15ull, 23);
}

size_t TextHash::operator()(std::string_view text) const {
    constexpr uint64_t kOdd1 = 0x9E3779B97F4A7C15ull, kOdd2 = 0xC2B2AE3D27D4EB4Full;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    // Two independent lanes keep both multipliers busy.
    uint64_t a = kOdd1 ^ n, b = kOdd2;
    for (; n >= 16; p += 16, n -= 16) {
        a = rotateLeft((a ^ loadWord(p)) * kOdd2, 31);
        b = rotateLeft((b ^ loadWord(p + 8)) * kOdd1, 29);
    }
    unsigned char tail[16] = {};
    std::memcpy(tail, p, n);
    a = rotateLeft((a ^ loadWord(tail)) * kOdd2, 31);
    b = rotateLeft((b ^ loadWord(tail + 8)) * kOdd1, 29);
    uint64_t h = a ^ rotateLeft(b, 17);
    h = (h ^ (h >> 33)) * kOdd2;
    h ^= h >> 29;
    return static_cast<size_t>(h ^ (h >> 32));
}

bool addText(TextStore& store, ListKind kind, const char* text, ExactText exact) {
    TextList* list = listOf(store, kind);
    if (!list || !text) return false;
    // A text already held moves without a copy, even when memory is short.
    auto found = list->byText.find(TextKey{text, exact.get()});
    if (found != list->byText.end()) {
        moveToFront(*list, found->second);
        return true;
    }
    std::string owned;
    try {
        owned = text;
    } catch (const std::exception&) {
        return false;
    }
    return addText(store, kind, std::move(owned), std::move(exact));
}

bool addText(TextStore& store, ListKind kind, std::string&& text, ExactText exact) {
    TextList* list = listOf(store, kind);
    if (!list) return false;
    std::shared_ptr<TextEntry> entry;
    try {
        entry = std::make_shared<TextEntry>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    entry->text = std::move(text);
    size_t nul = entry->text.find('\0');
    if (nul != std::string::npos) entry->text.resize(nul);
    entry->exact = std::move(exact);
    return placeEntry(store, *list, kind, std::move(entry));
}

bool clearList(TextStore& store, ListKind kind) {
    TextList* list = listOf(store, kind);
    if (!list) return false;
    removeOldest(store, *list, list->chain.size());
    return list->chain.empty();
}

bool trimHistory(TextStore& store, int maximum) {
    size_t keep = static_cast<size_t>(std::max(maximum, 0));
    size_t count = store.history.chain.size();
    if (count > keep) removeOldest(store, store.history, count - keep);
    return true;
}

const char* textOfId(const TextStore& store, int id) {
    if (!isValidId(id)) return nullptr;
    const TextEntry* entry = store.slots[id - kFirstTextId].entry;
    return entry ? entry->text.c_str() : nullptr;
}

const std::u16string* exactTextOfId(const TextStore& store, int id) {
    if (!isValidId(id)) return nullptr;
    const TextEntry* entry = store.slots[id - kFirstTextId].entry;
    return entry ? entry->exact.get() : nullptr;
}

ExactText sharedExactTextOfId(const TextStore& store, int id) {
    if (!isValidId(id)) return nullptr;
    const TextEntry* entry = store.slots[id - kFirstTextId].entry;
    return entry ? entry->exact : nullptr;
}

int idAt(const TextStore& store, ListKind kind, int index) {
    const TextList* list = listOf(store, kind);
    if (!list || index < 0 || static_cast<size_t>(index) >= list->chain.size()) return -1;
    return list->chain[list->chain.size() - 1 - static_cast<size_t>(index)]->id;
}

int listCount(const TextStore& store, ListKind kind) {
    const TextList* list = listOf(store, kind);
    return list ? static_cast<int>(list->chain.size()) : -1;
}

bool isRegistered(const TextStore& store, const char* text, const std::u16string* exact) {
    return text && store.registered.byText.count(TextKey{text, exact}) != 0;
}

bool isHistoryId(const TextStore& store, int id) {
    if (!isValidId(id)) return false;
    const TextStore::IdSlot& slot = store.slots[id - kFirstTextId];
    return slot.entry && slot.kind == ListKind::History;
}

bool recordHistoryText(TextStore& store, int historyCount, const char* text, ExactText exact) {
    // A registered text is reached from its own menu section; the History does not repeat it.
    if (isRegistered(store, text, exact.get())) return true;
    if (!addText(store, ListKind::History, text, exact)) {
        // The pool may be full of History entries beyond the count (a lowered count, a long
        // file): drop those the new text would push out anyway, then refuse only if still full.
        if (listCount(store, ListKind::History) < historyCount) return false;
        trimHistory(store, historyCount > 0 ? historyCount - 1 : 0);
        if (!addText(store, ListKind::History, text, std::move(exact))) return false;
    }
    trimHistory(store, historyCount);
    if (store.saver) store.saver(ListKind::History);
    return true;
}

bool registerText(TextStore& store, const char* text, ExactText exact) {
    if (isRegistered(store, text, exact.get())) return true;
    if (!addText(store, ListKind::RegisteredTexts, text, std::move(exact))) return false;
    if (store.saver) store.saver(ListKind::RegisteredTexts);
    return true;
}

void clearHistory(TextStore& store) {
    clearList(store, ListKind::History);
}

bool replaceRegisteredTexts(TextStore& store, const std::vector<TextRow>& rows) {
    // The entries as they were, so that a replace that cannot be completed is undone whole.
    TextChain before;
    try {
        before = store.registered.chain;
    } catch (const std::bad_alloc&) {
        return false;
    }
    clearList(store, ListKind::RegisteredTexts);
    bool allStored = true;
    for (auto row = rows.rbegin(); row != rows.rend() && allStored; ++row)
        allStored = addText(store, ListKind::RegisteredTexts, row->text.c_str(), row->exact);
    if (allStored) return true;
    // The old entries go back in their order, on the ids they freed (a save that holds them
    // reads only their texts).
    clearList(store, ListKind::RegisteredTexts);
    for (auto& entry : before)
        placeEntry(store, store.registered, ListKind::RegisteredTexts, std::move(entry));
    return false;
}

const TextEntry* entryOfId(const TextStore& store, int id) {
    return isValidId(id) ? store.slots[id - kFirstTextId].entry : nullptr;
}
