// Rules of the history search: the query's words, matching over Shift-JIS bytes and over UTF-16,
// the rows of the store the window lists, their display strings and the highlight keys. Pure: no
// platform calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TOOLS/toolwindrules.h"

struct TextStore;
struct TextEntry;

// The longest field the window takes, in UTF-16 units: the matcher's tables grow with a word.
constexpr int kSearchFieldLimit = 256;

// One word of the query over Shift-JIS texts: its characters folded (see FoldBytes), the table
// that lets a scan go on after a near match without reading a byte twice, and what finds its
// first character fast: the bytes that can start or end that character, each with where the
// character would begin (bit 0: at the byte, bit 1: one byte before it).
struct ByteWord {
    std::vector<uint16_t> chars;
    std::vector<uint32_t> fallback;
    unsigned char anchors[4];
    unsigned char anchorOffsets[4];
    int anchorCount;
};

// The same over UTF-16: a surrogate pair is one character (its code point).
struct WideWord {
    std::vector<uint32_t> chars;
    std::vector<uint32_t> fallback;
};

// The search field in both forms. A text with an exact (UTF-16) form is matched in UTF-16, any
// other text in Shift-JIS bytes.
struct SearchQuery {
    std::vector<ByteWord> byteWords;
    std::vector<WideWord> wideWords;
    // False when the field holds a character the code page cannot hold, or its conversion
    // failed: no Shift-JIS text can then contain every word.
    bool bytesPossible = true;
};

// The characters of a Shift-JIS text as the matcher compares them, one value per character:
// ASCII capitals as small letters, full-width letters and digits as half-width ones, hiragana
// and half-width katakana as full-width katakana (a half-width letter and the voiced or
// semi-voiced mark after it as one character), the half-width long vowel mark as the full-width
// one. A lead byte takes the next byte whatever it is (tooltext::CharLength).
std::vector<uint16_t> FoldBytes(std::string_view text);
// The same folding over UTF-16 (a surrogate pair is one value, its code point).
std::vector<uint32_t> FoldWide(std::u16string_view text);

// Splits the field at half-width and full-width blanks. bytes is the field in the code page,
// wide the same field in UTF-16; bytesFaithful is false when bytes lost a character or could not
// be made.
SearchQuery BuildSearchQuery(std::string_view bytes, std::u16string_view wide, bool bytesFaithful);

bool IsEmptyQuery(const SearchQuery& query);

// Whether the text holds every word, each starting and ending on a character boundary. An empty
// query matches every text. Linear in the text for a given query: reads, when given, receives how
// many characters were folded, which never exceeds a few per byte of the text and word.
bool MatchesBytes(const SearchQuery& query, std::string_view text, size_t* reads = nullptr);
bool MatchesWide(const SearchQuery& query, std::u16string_view text);

// One row of the window: the entry itself, never only its id, which a later text may take over
// while the window is open; and whether it is a registered text.
struct SearchRow {
    std::weak_ptr<const TextEntry> entry;
    bool registered;
};

// Every text the text menu would list: the registered texts in their order, then the history
// newest first, as many as the history count lets the menu show.
std::vector<SearchRow> AllSearchRows(const TextStore& store, int historyCount);

// The entry while the store still holds it, under its id; null once it went.
std::shared_ptr<const TextEntry> LiveEntry(const TextStore& store,
                                           const std::weak_ptr<const TextEntry>& held);

// Whether the entry holds the query, in its exact form when it has one.
bool EntryMatches(const TextEntry& entry, const SearchQuery& query);

// The rows of all that are still held and match, in their order.
std::vector<SearchRow> MatchingRows(const TextStore& store, const std::vector<SearchRow>& all,
                                    const SearchQuery& query);

// The row holding the same text as entry (its bytes and exact form), in the same section; -1.
int FindRow(const std::vector<SearchRow>& rows, const TextEntry& entry, bool registered);

// How many bytes or code units a row of that width can show even in its narrowest characters:
// what lies beyond is cut off before drawing, since measuring it for the ellipsis costs time.
size_t RowVisibleUnits(int rowWidth, int averageCharWidth);
// The start of a text as a row shows it, cut to at most units without splitting a character.
std::string RowBytes(const char* text, size_t units);
std::u16string RowWide(std::u16string_view text, size_t units);

// The preview shows at most about 64 KB of a text, cut on a character boundary: laying out tens
// of MB on every move of the highlight would freeze the window. A cut preview says so.
constexpr size_t kPreviewBytes = 65536;
size_t PreviewCutLength(const std::string& text);
size_t PreviewCutLength(std::u16string_view text);

// The keys that move the highlight while the focus stays in the search field.
enum class HighlightKey { Up, Down, PageUp, PageDown, First, Last };

// The highlighted row after a key, kept within 0..count-1; -1 when there are no rows. A page is
// pageRows rows (at least one).
int MoveHighlight(int current, int count, HighlightKey key, int pageRows);

// The window's layout when it is resized: the field and the status line follow the width, the
// list takes the height, the preview keeps its height at the bottom.
constexpr size_t kSearchAnchorCount = 4;
extern const AnchorRule kSearchAnchors[kSearchAnchorCount];
