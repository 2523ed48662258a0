// The text store: the History and the RegisteredTexts, the pool of store-wide text ids that
// double as menu item ids, and the policies of recording, registering and clearing. Pure.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Selects a list. Any other value (a cast integer) names no list; operations then refuse.
enum class ListKind : int { History = 1, RegisteredTexts = 2 };

constexpr int kFirstTextId = 4096;
constexpr int kTextIdCount = 8192;
constexpr int kLastTextId = kFirstTextId + kTextIdCount - 1;  // 12287

// One bit per id: bit b of byte i stands for id 4096 + 8 * i + b.
struct TextIdPool {
    unsigned char bits[kTextIdCount / 8] = {};
};

// Takes the lowest free id and marks it used; -1 when all 8192 are taken.
int allocateTextId(TextIdPool& pool);
// Frees an id; ids outside 4096..12287 are ignored.
void releaseTextId(TextIdPool& pool, int id);
bool isTextIdUsed(const TextIdPool& pool, int id);

// The exact UTF-16 form of a text the code page cannot hold (é, emoji, Korean...), kept beside
// its code-page bytes; null for every text that fits, so those carry nothing extra. Shared and
// never changed: it is part of the text's identity.
using ExactText = std::shared_ptr<const std::u16string>;

struct TextEntry {
    int id = -1;
    std::string text;  // never holds a NUL byte: texts are C strings end to end
    ExactText exact;   // fixed for the entry's life, like text
};

// A text's identity: its exact form where it has one, else its bytes. Two texts whose bytes
// agree but whose exact forms differ (two Korean words are both "?????" in the code page) are
// two texts; a code-page text and an exact one never equal each other.
struct TextKey {
    std::string_view text;
    const std::u16string* exact = nullptr;
};
bool operator==(const TextKey& a, const TextKey& b);

// Entries in list order reversed: the back of a chain is index 0 (the newest), the front the
// last index (the oldest), so adding to the front of the list is a push_back and trimming the
// oldest entries is one erase. Entries live on the heap so that `byText` may view their texts,
// and are shared so that a copy of the chain is a snapshot a save may write on another thread
// while the list changes (an entry's text never changes once it is in a list).
using TextChain = std::vector<std::shared_ptr<TextEntry>>;

// Hashes a whole text in 8-byte words: a full list is hashed on every load, so this must run at
// memory speed. Deliberately not noexcept: the map then keeps each text's hash beside it rather
// than hashing long texts again on every rehash and bucket walk.
struct TextHash {
    size_t operator()(std::string_view text) const;
    size_t operator()(const TextKey& key) const;
};

struct TextList {
    TextChain chain;
    std::unordered_map<TextKey, TextEntry*, TextHash> byText;  // never a text twice
};

// Called by recordHistoryText and registerText when the file of a list should be written.
// The owner decides whether the file is in use at all (the history file may be turned off).
using TextStoreSaver = std::function<void(ListKind)>;

struct TextStore {
    TextIdPool pool;
    TextList history;
    TextList registered;
    // Entry and list of each id, indexed by id - 4096; null entry for a free id.
    struct IdSlot {
        TextEntry* entry = nullptr;
        ListKind kind = ListKind::History;
    };
    std::vector<IdSlot> slots = std::vector<IdSlot>(kTextIdCount);
    TextStoreSaver saver;
};

// A new empty store, or null when memory is exhausted. destroyTextStore empties both lists
// (releasing every id) and frees the store; null is ignored.
TextStore* createTextStore();
void destroyTextStore(TextStore* store);

// Puts text, with exact as its exact form (null: a code-page text), at index 0 of the list. An
// equal text (see TextKey) already there moves to index 0 and keeps its id; otherwise a new
// entry takes the lowest free id. False when the kind names no list, text is null, or the text
// could not be stored (every id taken, or no memory); both lists are then unchanged.
bool addText(TextStore& store, ListKind kind, const char* text, ExactText exact = nullptr);
// The same for a text the caller gives up (a record just read from a file): it is moved into
// the list, not copied; it ends at its first NUL like a C string.
bool addText(TextStore& store, ListKind kind, std::string&& text, ExactText exact = nullptr);

// Removes every entry of the list and releases their ids. False when the kind names no list.
bool clearList(TextStore& store, ListKind kind);

// Drops the History entries at index maximum and beyond (the oldest); always true.
bool trimHistory(TextStore& store, int maximum);

// The text of the entry holding id in either list, null when none does. The pointer stays
// valid until that entry is removed: look ids up again after any modal loop.
const char* textOfId(const TextStore& store, int id);

// The exact form of the entry holding id, null when it has none or no entry holds the id; valid
// like the pointer of textOfId.
const std::u16string* exactTextOfId(const TextStore& store, int id);
// The same form shared, for a copy of the text that keeps its identity (a registration).
ExactText sharedExactTextOfId(const TextStore& store, int id);

// Id of the entry at index (0 = newest); -1 for a bad kind or an index outside 0..count-1.
int idAt(const TextStore& store, ListKind kind, int index);

// Number of entries; -1 when the kind names no list.
int listCount(const TextStore& store, ListKind kind);

// Whether the RegisteredTexts hold a text equal to text with that exact form (false for null).
bool isRegistered(const TextStore& store, const char* text, const std::u16string* exact = nullptr);

// Whether the History holds an entry with that id.
bool isHistoryId(const TextStore& store, int id);

// A text captured from the clipboard: ignored when it is registered; otherwise put at the
// front of the History, the History cut to historyCount entries, and the saver asked to
// write the History. The entry keeps exact as its exact form. False only when the text could not
// be stored.
bool recordHistoryText(TextStore& store, int historyCount, const char* text,
                       ExactText exact = nullptr);

// Registers text at the front of the RegisteredTexts and asks the saver to write them; an
// already registered text keeps its place and nothing is saved. False only when the text
// could not be stored. A History entry of the same text stays where it is. A new entry keeps
// exact as its exact form.
bool registerText(TextStore& store, const char* text, ExactText exact = nullptr);

// Empties the History. Its file is written at the next save, not now.
void clearHistory(TextStore& store);

// One row of the registered-text editor: a text and its exact form.
struct TextRow {
    std::string text;
    ExactText exact;
};

// Replaces the RegisteredTexts by rows, rows[0] ending at index 0; equal rows collapse into
// one entry at the place of the topmost. The caller saves the file afterwards. False when a row
// could not be stored (every id taken, or no memory): the RegisteredTexts then hold their texts
// as before, in their order.
bool replaceRegisteredTexts(TextStore& store, const std::vector<TextRow>& rows);

// The entry holding id in either list, null when none does; valid like the pointer of textOfId.
const TextEntry* entryOfId(const TextStore& store, int id);

// The one choice between a text's two forms: onExact gets its exact form when it has one, and
// onBytes its code-page bytes otherwise. Both return the same type.
template <typename OnExact, typename OnBytes>
auto withTextForm(const TextEntry& entry, OnExact&& onExact, OnBytes&& onBytes) {
    return entry.exact ? onExact(*entry.exact) : onBytes(entry.text);
}
