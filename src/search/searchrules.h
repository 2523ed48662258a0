// Rules of the history search: the query's words, matching over Shift-JIS bytes and over UTF-16,
// the rows of the store the window lists, their display strings and the highlight keys. Pure: no
// platform calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "TOOLS/toolwindrules.h"

struct TextStore;

// One word of the query over Shift-JIS texts: its characters folded (ASCII capitals to small
// letters, full-width letters and digits to half-width ones), and what finds its first
// character fast: the bytes that can start or end that character, each with where the
// character would begin (bit 0: at the byte, bit 1: one byte before it).
struct ByteWord {
    std::vector<uint16_t> chars;
    unsigned char anchors[4];
    unsigned char anchorOffsets[4];
    int anchorCount;
};

// The search field in both forms. A text with an exact (UTF-16) form is matched in UTF-16, any
// other text in Shift-JIS bytes.
struct SearchQuery {
    std::vector<ByteWord> byteWords;
    std::vector<std::u16string> wideWords;  // folded like the byte words
    // False when the field holds a character the code page cannot hold: no Shift-JIS text can
    // then contain every word.
    bool bytesPossible = true;
};

// Splits the field at half-width and full-width blanks. bytes is the field in the code page,
// wide the same field in UTF-16; bytesFaithful is false when bytes lost a character.
SearchQuery BuildSearchQuery(std::string_view bytes, std::u16string_view wide, bool bytesFaithful);

bool IsEmptyQuery(const SearchQuery& query);

// Whether the text holds every word, each starting and ending on a character boundary. An empty
// query matches every text.
bool MatchesBytes(const SearchQuery& query, std::string_view text);
bool MatchesWide(const SearchQuery& query, std::u16string_view text);

// One row of the window: a text by its id (never a pointer: the store may change under the
// window), and whether it is a registered text.
struct SearchRow {
    int id;
    bool registered;
};

// Every text the text menu would list: the registered texts in their order, then the history
// newest first, as many as the history count lets the menu show.
std::vector<SearchRow> AllSearchRows(const TextStore& store, int historyCount);

// Whether the text with that id holds the query, in its exact form when it has one. False for
// an id no entry holds.
bool RowMatches(const TextStore& store, int id, const SearchQuery& query);

// The rows of all that match, in their order.
std::vector<SearchRow> MatchingRows(const TextStore& store, const std::vector<SearchRow>& all,
                                    const SearchQuery& query);

// What a row shows of an exact text: control characters dropped, at most 256 code units, one
// fewer rather than split a surrogate pair. (A Shift-JIS text shows as the registered-text
// dialog shows its items.)
std::u16string WideDisplayString(std::u16string_view text);

// The keys that move the highlight while the focus stays in the search field.
enum class HighlightKey { Up, Down, PageUp, PageDown, First, Last };

// The highlighted row after a key, kept within 0..count-1; -1 when there are no rows. A page is
// pageRows rows (at least one).
int MoveHighlight(int current, int count, HighlightKey key, int pageRows);

// The window's layout when it is resized: the field and the status line follow the width, the
// list takes the height, the preview keeps its height at the bottom.
constexpr size_t kSearchAnchorCount = 4;
extern const AnchorRule kSearchAnchors[kSearchAnchorCount];
