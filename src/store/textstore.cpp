// The text store's lists, id pool and policies.
#include "store/textstore.h"

#include <algorithm>
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

bool isValidId(int id) { return id >= kFirstTextId && id <= kLastTextId; }

// Forgets the entry everywhere but in the chain; the caller erases it from there.
void releaseEntry(TextStore& store, TextList& list, const TextEntry& entry) {
    list.byText.erase(entry.text);
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
void makeRoomForOne(std::vector<std::unique_ptr<TextEntry>>& chain) {
    if (chain.size() < chain.capacity()) return;
    chain.reserve(std::max<size_t>(16, chain.size() * 2));
}

bool addNewEntry(TextStore& store, TextList& list, ListKind kind, std::string_view text) {
    std::unique_ptr<TextEntry> entry;
    try {
        entry = std::make_unique<TextEntry>();
        entry->text.assign(text.data(), text.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A full pool refuses the new text; both lists stay as they were.
    int id = allocateTextId(store.pool);
    if (id < 0) return false;
    try {
        makeRoomForOne(list.chain);
        list.byText.emplace(entry->text, entry.get());
    } catch (const std::bad_alloc&) {
        releaseTextId(store.pool, id);
        return false;
    }
    entry->id = id;
    store.slots[id - kFirstTextId] = TextStore::IdSlot{entry.get(), kind};
    list.chain.push_back(std::move(entry));
    return true;
}

}  // namespace

int allocateTextId(TextIdPool& pool) {
    for (int byte = 0; byte < kTextIdCount / 8; ++byte) {
        if (pool.bits[byte] == 0xFF) continue;
        for (int bit = 0; bit < 8; ++bit) {
            if (pool.bits[byte] & (1u << bit)) continue;
            pool.bits[byte] = static_cast<unsigned char>(pool.bits[byte] | (1u << bit));
            return kFirstTextId + 8 * byte + bit;
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

bool addText(TextStore& store, ListKind kind, const char* text) {
    TextList* list = listOf(store, kind);
    if (!list || !text) return false;
    std::string_view key(text);
    auto found = list->byText.find(key);
    if (found != list->byText.end()) {
        moveToFront(*list, found->second);
        return true;
    }
    return addNewEntry(store, *list, kind, key);
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

int idAt(const TextStore& store, ListKind kind, int index) {
    const TextList* list = listOf(store, kind);
    if (!list || index < 0 || static_cast<size_t>(index) >= list->chain.size()) return -1;
    return list->chain[list->chain.size() - 1 - static_cast<size_t>(index)]->id;
}

int listCount(const TextStore& store, ListKind kind) {
    const TextList* list = listOf(store, kind);
    return list ? static_cast<int>(list->chain.size()) : -1;
}

bool isRegistered(const TextStore& store, const char* text) {
    return text && store.registered.byText.count(std::string_view(text)) != 0;
}

bool isHistoryId(const TextStore& store, int id) {
    if (!isValidId(id)) return false;
    const TextStore::IdSlot& slot = store.slots[id - kFirstTextId];
    return slot.entry && slot.kind == ListKind::History;
}

bool recordHistoryText(TextStore& store, int historyCount, const char* text) {
    // A registered text is reached from its own menu section; the History does not repeat it.
    if (isRegistered(store, text)) return true;
    if (!addText(store, ListKind::History, text)) {
        // The pool may be full of History entries beyond the count (a lowered count, a long
        // file): drop those the new text would push out anyway, then refuse only if still full.
        if (listCount(store, ListKind::History) < historyCount) return false;
        trimHistory(store, historyCount > 0 ? historyCount - 1 : 0);
        if (!addText(store, ListKind::History, text)) return false;
    }
    trimHistory(store, historyCount);
    if (store.saver) store.saver(ListKind::History);
    return true;
}

bool registerText(TextStore& store, const char* text) {
    if (isRegistered(store, text)) return true;
    if (!addText(store, ListKind::RegisteredTexts, text)) return false;
    if (store.saver) store.saver(ListKind::RegisteredTexts);
    return true;
}

void clearHistory(TextStore& store) { clearList(store, ListKind::History); }

bool replaceRegisteredTexts(TextStore& store, const std::vector<std::string>& rows) {
    clearList(store, ListKind::RegisteredTexts);
    bool allStored = true;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        allStored = addText(store, ListKind::RegisteredTexts, row->c_str()) && allStored;
    return allStored;
}
