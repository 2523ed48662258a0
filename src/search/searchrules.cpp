// The history search's matcher, rows and keys.
#include "search/searchrules.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "resource.h"
#include "store/textstore.h"
#include "TOOLS/tooltext.h"

const AnchorRule kSearchAnchors[kSearchAnchorCount] = {
    {IDC_SEARCH_FIELD, false, false, true, false},
    {IDC_SEARCH_LIST, false, false, true, true},
    {IDC_SEARCH_PREVIEW, false, true, true, false},
    {IDC_SEARCH_STATUS, false, true, true, false},
};

namespace {

using tooltext::IsLeadByte;
using tooltext::IsTrailByte;

// Full-width forms in Shift-JIS: lead byte 0x82, then the digits from 0x4F, the capitals from
// 0x60 and the small letters from 0x81.
constexpr unsigned char kFullWidthLead = 0x82;
constexpr unsigned char kFullWidthDigit0 = 0x4F;
constexpr unsigned char kFullWidthCapitalA = 0x60;
constexpr unsigned char kFullWidthSmallA = 0x81;

bool IsAsciiCapital(unsigned c) {
    return c >= 'A' && c <= 'Z';
}
bool IsAsciiSmall(unsigned c) {
    return c >= 'a' && c <= 'z';
}
bool IsAsciiDigit(unsigned c) {
    return c >= '0' && c <= '9';
}

uint16_t FoldSingle(unsigned char b) {
    return IsAsciiCapital(b) ? static_cast<uint16_t>(b + ('a' - 'A')) : b;
}

uint16_t FoldDouble(unsigned char lead, unsigned char trail) {
    if (lead == kFullWidthLead) {
        if (trail >= kFullWidthDigit0 && trail < kFullWidthDigit0 + 10)
            return static_cast<uint16_t>('0' + (trail - kFullWidthDigit0));
        if (trail >= kFullWidthCapitalA && trail < kFullWidthCapitalA + 26)
            return static_cast<uint16_t>('a' + (trail - kFullWidthCapitalA));
        if (trail >= kFullWidthSmallA && trail < kFullWidthSmallA + 26)
            return static_cast<uint16_t>('a' + (trail - kFullWidthSmallA));
    }
    return static_cast<uint16_t>(lead << 8 | trail);
}

// The folded character at s[i] and its length in bytes (i < n).
uint16_t FoldedCharAt(const unsigned char* s, size_t n, size_t i, size_t& length) {
    if (IsLeadByte(s[i]) && i + 1 < n && IsTrailByte(s[i + 1])) {
        length = 2;
        return FoldDouble(s[i], s[i + 1]);
    }
    length = 1;
    return FoldSingle(s[i]);
}

// The same forms in UTF-16 (written as numbers: the sources' wide literals must not depend on
// the execution character set).
constexpr char16_t kWideDigit0 = 0xFF10;
constexpr char16_t kWideCapitalA = 0xFF21;
constexpr char16_t kWideSmallA = 0xFF41;
constexpr char16_t kWideBlank = 0x3000;

char16_t FoldWide(char16_t c) {
    if (IsAsciiCapital(c)) return static_cast<char16_t>(c + ('a' - 'A'));
    if (c >= kWideCapitalA && c < kWideCapitalA + 26)
        return static_cast<char16_t>('a' + (c - kWideCapitalA));
    if (c >= kWideSmallA && c < kWideSmallA + 26)
        return static_cast<char16_t>('a' + (c - kWideSmallA));
    if (c >= kWideDigit0 && c < kWideDigit0 + 10)
        return static_cast<char16_t>('0' + (c - kWideDigit0));
    return c;
}

void AddAnchor(ByteWord& word, unsigned char byte, unsigned char offset) {
    word.anchors[word.anchorCount] = byte;
    word.anchorOffsets[word.anchorCount] = offset;
    ++word.anchorCount;
}

// Every byte form of the word's first character: a small letter also as a capital and in both
// full-width forms (found by their trail byte), a digit also full-width, any other double-byte
// character by its trail byte, which is spread far wider than its lead.
void SetAnchors(ByteWord& word) {
    word.anchorCount = 0;
    uint16_t c = word.chars[0];
    if (IsAsciiSmall(c)) {
        AddAnchor(word, static_cast<unsigned char>(c), 1);
        AddAnchor(word, static_cast<unsigned char>(c - ('a' - 'A')), 1);
        AddAnchor(word, static_cast<unsigned char>(kFullWidthSmallA + (c - 'a')), 2);
        AddAnchor(word, static_cast<unsigned char>(kFullWidthCapitalA + (c - 'a')), 2);
    } else if (IsAsciiDigit(c)) {
        AddAnchor(word, static_cast<unsigned char>(c), 1);
        AddAnchor(word, static_cast<unsigned char>(kFullWidthDigit0 + (c - '0')), 2);
    } else if (c > 0xFF) {
        AddAnchor(word, static_cast<unsigned char>(c & 0xFF), 2);
    } else {
        AddAnchor(word, static_cast<unsigned char>(c), 1);
    }
}

void AddByteWord(SearchQuery& query, std::vector<uint16_t>& chars) {
    if (chars.empty()) return;
    ByteWord word;
    word.chars.swap(chars);
    SetAnchors(word);
    query.byteWords.push_back(std::move(word));
}

void SplitByteWords(SearchQuery& query, std::string_view field) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(field.data());
    size_t n = field.size();
    std::vector<uint16_t> chars;
    for (size_t i = 0, length = 0; i < n; i += length) {
        uint16_t c = FoldedCharAt(s, n, i, length);
        if (c == ' ' || c == 0x8140) {  // half-width and full-width blanks
            AddByteWord(query, chars);
            continue;
        }
        chars.push_back(c);
    }
    AddByteWord(query, chars);
}

void SplitWideWords(SearchQuery& query, std::u16string_view field) {
    std::u16string word;
    for (char16_t c : field) {
        if (c == u' ' || c == kWideBlank) {
            if (!word.empty()) query.wideWords.push_back(std::move(word));
            word.clear();
            continue;
        }
        word.push_back(FoldWide(c));
    }
    if (!word.empty()) query.wideWords.push_back(std::move(word));
}

// Whether s[i] starts a character. Every byte from 0x81 up that can be a lead byte is also a
// trail byte, so walking back over such bytes to one that surely ends a character (or to a
// position known to start one) and counting them settles it. known is such a position at or
// before i, kept from call to call so that the walks together stay linear.
bool StartsCharacter(const unsigned char* s, size_t i, size_t& known) {
    size_t j = i;
    while (j > known && IsLeadByte(s[j - 1])) --j;
    bool starts = (i - j) % 2 == 0 || !IsTrailByte(s[i]);
    known = starts ? i : i - 1;
    return starts;
}

bool WordAt(const unsigned char* s, size_t n, size_t i, const std::vector<uint16_t>& chars) {
    for (uint16_t c : chars) {
        if (i >= n) return false;
        size_t length;
        if (FoldedCharAt(s, n, i, length) != c) return false;
        i += length;
    }
    return true;
}

// The first position at or after i holding one of the word's anchor bytes, or n.
size_t NextAnchor(const ByteWord& word, const unsigned char* s, size_t n, size_t i) {
#if defined(__SSE2__)
    __m128i a[4];
    for (int k = 0; k < 4; ++k)
        a[k] = _mm_set1_epi8(static_cast<char>(word.anchors[k < word.anchorCount ? k : 0]));
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, a[0]), _mm_cmpeq_epi8(v, a[1])),
                                   _mm_or_si128(_mm_cmpeq_epi8(v, a[2]), _mm_cmpeq_epi8(v, a[3])));
        if (int mask = _mm_movemask_epi8(hit)) return i + static_cast<size_t>(__builtin_ctz(mask));
    }
#endif
    for (; i < n; ++i) {
        for (int k = 0; k < word.anchorCount; ++k) {
            if (s[i] == word.anchors[k]) return i;
        }
    }
    return n;
}

unsigned char OffsetsOf(const ByteWord& word, unsigned char byte) {
    unsigned char offsets = 0;
    for (int k = 0; k < word.anchorCount; ++k) {
        if (word.anchors[k] == byte) offsets |= word.anchorOffsets[k];
    }
    return offsets;
}

// Whether the word begins at s[start]: its first character there (cheap, so first), start a
// character boundary, the rest following.
bool WordStartsAt(const ByteWord& word, const unsigned char* s, size_t n, size_t start,
                  size_t& known) {
    size_t length;
    if (FoldedCharAt(s, n, start, length) != word.chars[0]) return false;
    if (start < known) known = 0;
    return StartsCharacter(s, start, known) && WordAt(s, n, start, word.chars);
}

bool ContainsByteWord(const ByteWord& word, const unsigned char* s, size_t n) {
    size_t known = 0;
    for (size_t p = NextAnchor(word, s, n, 0); p < n; p = NextAnchor(word, s, n, p + 1)) {
        unsigned char offsets = OffsetsOf(word, s[p]);
        // The earlier start first, so that `known` only moves on.
        if ((offsets & 2) && p > 0 && WordStartsAt(word, s, n, p - 1, known)) return true;
        if ((offsets & 1) && WordStartsAt(word, s, n, p, known)) return true;
    }
    return false;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool ContainsWideWord(std::u16string_view word, std::u16string_view text) {
    if (word.size() > text.size()) return false;
    for (size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (FoldWide(text[i]) != word[0]) continue;
        // Neither end may fall between the two halves of a surrogate pair.
        if (i > 0 && IsLowSurrogate(text[i]) && IsHighSurrogate(text[i - 1])) continue;
        size_t end = i + word.size();
        if (end < text.size() && IsLowSurrogate(text[end]) && IsHighSurrogate(text[end - 1]))
            continue;
        size_t k = 1;
        while (k < word.size() && FoldWide(text[i + k]) == word[k]) ++k;
        if (k == word.size()) return true;
    }
    return false;
}

}  // namespace

SearchQuery BuildSearchQuery(std::string_view bytes, std::u16string_view wide, bool bytesFaithful) {
    SearchQuery query;
    SplitByteWords(query, bytes);
    SplitWideWords(query, wide);
    query.bytesPossible = bytesFaithful;
    return query;
}

bool IsEmptyQuery(const SearchQuery& query) {
    return query.byteWords.empty() && query.wideWords.empty();
}

bool MatchesBytes(const SearchQuery& query, std::string_view text) {
    if (IsEmptyQuery(query)) return true;
    if (!query.bytesPossible) return false;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
    for (const ByteWord& word : query.byteWords) {
        if (!ContainsByteWord(word, s, text.size())) return false;
    }
    return true;
}

bool MatchesWide(const SearchQuery& query, std::u16string_view text) {
    for (const std::u16string& word : query.wideWords) {
        if (!ContainsWideWord(word, text)) return false;
    }
    return true;
}

std::vector<SearchRow> AllSearchRows(const TextStore& store, int historyCount) {
    std::vector<SearchRow> rows;
    int registered = listCount(store, ListKind::RegisteredTexts);
    int history = std::min(listCount(store, ListKind::History), std::max(historyCount, 0));
    rows.reserve(static_cast<size_t>(registered + history));
    for (int i = 0; i < registered; ++i)
        rows.push_back(SearchRow{idAt(store, ListKind::RegisteredTexts, i), true});
    for (int i = 0; i < history; ++i)
        rows.push_back(SearchRow{idAt(store, ListKind::History, i), false});
    return rows;
}

bool RowMatches(const TextStore& store, int id, const SearchQuery& query) {
    if (id < kFirstTextId || id > kLastTextId) return false;
    const TextEntry* entry = store.slots[static_cast<size_t>(id - kFirstTextId)].entry;
    if (!entry) return false;
    if (entry->exact) return MatchesWide(query, *entry->exact);
    return MatchesBytes(query, entry->text);
}

std::vector<SearchRow> MatchingRows(const TextStore& store, const std::vector<SearchRow>& all,
                                    const SearchQuery& query) {
    std::vector<SearchRow> rows;
    rows.reserve(all.size());
    for (const SearchRow& row : all) {
        if (RowMatches(store, row.id, query)) rows.push_back(row);
    }
    return rows;
}

std::u16string WideDisplayString(std::u16string_view text) {
    constexpr size_t kMax = 256;
    std::u16string shown;
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F) continue;
        if (shown.size() == kMax) break;
        shown.push_back(c);
    }
    if (shown.size() == kMax && IsHighSurrogate(shown.back())) shown.pop_back();
    return shown;
}

int MoveHighlight(int current, int count, HighlightKey key, int pageRows) {
    if (count <= 0) return -1;
    int page = std::max(pageRows, 1);
    int next = current;
    switch (key) {
    case HighlightKey::Up: next = current - 1; break;
    case HighlightKey::Down: next = current + 1; break;
    case HighlightKey::PageUp: next = current - page; break;
    case HighlightKey::PageDown: next = current + page; break;
    case HighlightKey::First: next = 0; break;
    case HighlightKey::Last: next = count - 1; break;
    }
    return std::clamp(next, 0, count - 1);
}
