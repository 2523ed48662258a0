// The history search's matcher, rows and keys.
#include "search/searchrules.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "resource.h"
#include "regedit/regeditrules.h"
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

// Full-width forms in Shift-JIS: lead byte 0x82, then the digits from 0x4F, the capitals from
// 0x60 and the small letters from 0x81.
constexpr unsigned char kFullWidthLead = 0x82;
constexpr unsigned char kFullWidthDigit0 = 0x4F;
constexpr unsigned char kFullWidthCapitalA = 0x60;
constexpr unsigned char kFullWidthSmallA = 0x81;

// Kana in Shift-JIS: hiragana ぁ..ん, katakana ァ..ヶ (0x837F is no character, so katakana from
// ム on lie one code higher than their hiragana), the long vowel mark ー, and the half-width
// katakana ｦ..ﾝ with their voiced and semi-voiced marks ﾞ ﾟ.
constexpr uint16_t kHiraganaFirst = 0x829F, kHiraganaLast = 0x82F1, kHiraganaMu = 0x82DE;
constexpr uint16_t kKatakanaFirst = 0x8340, kKatakanaGap = 0x837F;
constexpr uint16_t kLongVowel = 0x815B, kKatakanaVu = 0x8394;
constexpr unsigned char kHalfFirst = 0xA6, kHalfLast = 0xDD, kHalfU = 0xB3;
constexpr unsigned char kVoicedMark = 0xDE, kSemiVoicedMark = 0xDF;

// The full-width katakana of each half-width one from ｦ (0xA6) to ﾝ (0xDD); ｰ is the long vowel.
constexpr uint16_t kHalfWidthKana[kHalfLast - kHalfFirst + 1] = {
    0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362,  // ｦ..ｯ
    0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350,  // ｰ..ｹ
    0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365,  // ｺ..ﾃ
    0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377,  // ﾄ..ﾍ
    0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,  // ﾎ..ﾗ
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393,                                  // ﾘ..ﾝ
};

bool IsHalfWidthKana(unsigned c) {
    return c >= kHalfFirst && c <= kHalfLast;
}

// The full-width katakana a half-width letter and the mark after it make together; 0 when the
// mark does not join that letter (it is then a character of its own).
uint16_t JoinMark(unsigned char letter, unsigned mark) {
    uint16_t kana = kHalfWidthKana[letter - kHalfFirst];
    bool takesVoiced = (letter >= 0xB6 && letter <= 0xC4) || (letter >= 0xCA && letter <= 0xCE);
    if (mark == kVoicedMark && letter == kHalfU) return kKatakanaVu;
    if (mark == kVoicedMark && takesVoiced) return static_cast<uint16_t>(kana + 1);
    if (mark == kSemiVoicedMark && letter >= 0xCA && letter <= 0xCE)
        return static_cast<uint16_t>(kana + 2);
    return 0;
}

uint16_t KatakanaOfHiragana(uint16_t c) {
    uint16_t k = static_cast<uint16_t>(kKatakanaFirst + (c - kHiraganaFirst));
    return c >= kHiraganaMu ? static_cast<uint16_t>(k + 1) : k;
}

// The hiragana folded to a katakana, 0 when it has none.
uint16_t HiraganaOfKatakana(uint16_t k) {
    for (uint16_t c = kHiraganaFirst; c <= kHiraganaLast; ++c)
        if (KatakanaOfHiragana(c) == k) return c;
    return 0;
}

// The half-width letter that starts a folded katakana (alone or with its mark), 0 when none does.
unsigned char HalfWidthLetterOf(uint16_t k) {
    for (unsigned b = kHalfFirst; b <= kHalfLast; ++b) {
        auto letter = static_cast<unsigned char>(b);
        if (kHalfWidthKana[b - kHalfFirst] == k || JoinMark(letter, kVoicedMark) == k ||
            JoinMark(letter, kSemiVoicedMark) == k)
            return letter;
    }
    return 0;
}

// A folded Shift-JIS katakana or long vowel mark as UTF-16.
char16_t WideOfKatakana(uint16_t k) {
    if (k == kLongVowel) return 0x30FC;
    if (k < kKatakanaGap) return static_cast<char16_t>(0x30A1 + (k - kKatakanaFirst));
    return static_cast<char16_t>(0x30E0 + (k - (kKatakanaGap + 1)));
}

bool IsAsciiCapital(unsigned c) {
    return c >= 'A' && c <= 'Z';
}
bool IsAsciiSmall(unsigned c) {
    return c >= 'a' && c <= 'z';
}
bool IsAsciiDigit(unsigned c) {
    return c >= '0' && c <= '9';
}

uint16_t FoldDouble(unsigned char lead, unsigned char trail) {
    uint16_t c = static_cast<uint16_t>(lead << 8 | trail);
    if (lead == kFullWidthLead) {
        if (trail >= kFullWidthDigit0 && trail < kFullWidthDigit0 + 10)
            return static_cast<uint16_t>('0' + (trail - kFullWidthDigit0));
        if (trail >= kFullWidthCapitalA && trail < kFullWidthCapitalA + 26)
            return static_cast<uint16_t>('a' + (trail - kFullWidthCapitalA));
        if (trail >= kFullWidthSmallA && trail < kFullWidthSmallA + 26)
            return static_cast<uint16_t>('a' + (trail - kFullWidthSmallA));
        if (c >= kHiraganaFirst && c <= kHiraganaLast) return KatakanaOfHiragana(c);
    }
    return c;
}

struct Folded {
    uint32_t value;
    size_t length;  // in bytes or code units
};

// The folded character starting at s[i] (i < n, i a character boundary).
Folded FoldedAt(const unsigned char* s, size_t n, size_t i) {
    const char* at = reinterpret_cast<const char*>(s + i);
    if (tooltext::CharLength(at, n - i) == 2) return {FoldDouble(s[i], s[i + 1]), 2};
    unsigned char b = s[i];
    if (IsHalfWidthKana(b)) {
        uint16_t joined = i + 1 < n ? JoinMark(b, s[i + 1]) : 0;
        if (joined) return {joined, 2};
        return {kHalfWidthKana[b - kHalfFirst], 1};
    }
    return {static_cast<uint32_t>(IsAsciiCapital(b) ? b + ('a' - 'A') : b), 1};
}

// The same forms in UTF-16 (written as numbers: the sources' wide literals must not depend on
// the execution character set).
constexpr char16_t kWideDigit0 = 0xFF10;
constexpr char16_t kWideCapitalA = 0xFF21;
constexpr char16_t kWideSmallA = 0xFF41;
constexpr char16_t kWideBlank = 0x3000;
constexpr char16_t kWideHiraganaFirst = 0x3041, kWideHiraganaLast = 0x3096;
constexpr char16_t kWideHalfFirst = 0xFF66, kWideHalfLast = 0xFF9D, kWideVoicedMark = 0xFF9E;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

uint32_t FoldWideUnit(char16_t c) {
    if (IsAsciiCapital(c)) return c + ('a' - 'A');
    if (c >= kWideCapitalA && c < kWideCapitalA + 26) return 'a' + (c - kWideCapitalA);
    if (c >= kWideSmallA && c < kWideSmallA + 26) return 'a' + (c - kWideSmallA);
    if (c >= kWideDigit0 && c < kWideDigit0 + 10) return '0' + (c - kWideDigit0);
    if (c >= kWideHiraganaFirst && c <= kWideHiraganaLast) return c + 0x60u;
    return c;
}

// The half-width katakana are those of the code page, in its order: folded through its table.
Folded WideFoldedAt(std::u16string_view t, size_t i) {
    char16_t c = t[i];
    if (IsHighSurrogate(c) && i + 1 < t.size() && IsLowSurrogate(t[i + 1]))
        return {0x10000u + ((c - 0xD800u) << 10) + (t[i + 1] - 0xDC00u), 2};
    if (c >= kWideHalfFirst && c <= kWideHalfLast) {
        auto letter = static_cast<unsigned char>(kHalfFirst + (c - kWideHalfFirst));
        unsigned mark = i + 1 < t.size() && t[i + 1] >= kWideVoicedMark && t[i + 1] <= 0xFF9F
                            ? kVoicedMark + (t[i + 1] - kWideVoicedMark)
                            : 0;
        if (uint16_t joined = mark ? JoinMark(letter, mark) : 0) return {WideOfKatakana(joined), 2};
        return {WideOfKatakana(kHalfWidthKana[letter - kHalfFirst]), 1};
    }
    return {FoldWideUnit(c), 1};
}

// The table of a word: after i + 1 characters matched and the next one not, the scan goes on as
// if fallback[i] had matched.
template <typename Char>
std::vector<uint32_t> Fallback(const std::vector<Char>& word) {
    std::vector<uint32_t> fallback(word.size(), 0);
    uint32_t k = 0;
    for (size_t i = 1; i < word.size(); ++i) {
        while (k > 0 && word[i] != word[k]) k = fallback[k - 1];
        if (word[i] == word[k]) ++k;
        fallback[i] = k;
    }
    return fallback;
}

// How many characters of the word are matched after the next character c.
template <typename Word>
size_t Step(const Word& word, size_t matched, uint32_t c) {
    while (matched > 0 && word.chars[matched] != c) matched = word.fallback[matched - 1];
    return word.chars[matched] == c ? matched + 1 : 0;
}

void AddAnchor(ByteWord& word, unsigned char byte, unsigned char offset) {
    word.anchors[word.anchorCount] = byte;
    word.anchorOffsets[word.anchorCount] = offset;
    ++word.anchorCount;
}

// Every byte form of the word's first character: a small letter also as a capital and in both
// full-width forms (found by their trail byte), a digit also full-width, a katakana also as its
// hiragana and its half-width letter, any other double-byte character by its trail byte, which
// is spread far wider than its lead.
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
        if (uint16_t hiragana = HiraganaOfKatakana(c))
            AddAnchor(word, static_cast<unsigned char>(hiragana & 0xFF), 2);
        if (unsigned char half = HalfWidthLetterOf(c)) AddAnchor(word, half, 1);
    } else {
        AddAnchor(word, static_cast<unsigned char>(c), 1);
    }
}

void AddByteWord(SearchQuery& query, std::vector<uint16_t>& chars) {
    if (chars.empty()) return;
    ByteWord word;
    word.chars.swap(chars);
    word.fallback = Fallback(word.chars);
    SetAnchors(word);
    query.byteWords.push_back(std::move(word));
}

void AddWideWord(SearchQuery& query, std::vector<uint32_t>& chars) {
    if (chars.empty()) return;
    WideWord word;
    word.chars.swap(chars);
    word.fallback = Fallback(word.chars);
    query.wideWords.push_back(std::move(word));
}

// Whether s[i] starts a character. Every lead byte takes the byte after it, so walking back over
// lead bytes to one that surely ends a character (or to a position known to start one) and
// counting them settles it. known is such a position at or before i, kept from call to call so
// that the walks together stay linear.
bool StartsCharacter(const unsigned char* s, size_t i, size_t& known) {
    size_t j = i;
    while (j > known && IsLeadByte(s[j - 1])) --j;
    bool starts = (i - j) % 2 == 0 || s[i] == 0;
    known = starts ? i : i - 1;
    return starts;
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

// The scan for one word: positions before `from` are settled, `from` starts a character, and
// `known` (from..) is a character boundary for StartsCharacter; `tried` is the last start tried.
struct ByteScan {
    const unsigned char* s;
    size_t n;
    size_t from;
    size_t known;
    size_t tried;
    size_t reads;  // characters folded, for the bound on the work
};

// Whether the word's first character starts at s[p] (p > from, p > tried): its folded form
// there (cheap, so first), then p a character boundary and not the mark of a joined letter.
bool FirstCharAt(const ByteWord& word, ByteScan& scan, size_t p) {
    scan.tried = p;
    ++scan.reads;
    if (FoldedAt(scan.s, scan.n, p).value != word.chars[0]) return false;
    unsigned char before = scan.s[p - 1];
    if (IsHalfWidthKana(before) && JoinMark(before, scan.s[p]))
        return !StartsCharacter(scan.s, p - 1, scan.known);  // a trail byte, not a letter
    return StartsCharacter(scan.s, p, scan.known);
}

// The first position from scan.from on where the word's first character starts, or n.
size_t NextStart(const ByteWord& word, ByteScan& scan) {
    const unsigned char* s = scan.s;
    ++scan.reads;
    if (FoldedAt(s, scan.n, scan.from).value == word.chars[0]) return scan.from;
    scan.known = scan.tried = scan.from;
    for (size_t p = NextAnchor(word, s, scan.n, scan.from); p < scan.n;
         p = NextAnchor(word, s, scan.n, p + 1)) {
        unsigned char offsets = OffsetsOf(word, s[p]);
        // The earlier start first, so that `known` and `tried` only move on.
        if ((offsets & 2) && p > scan.tried + 1 && FirstCharAt(word, scan, p - 1)) return p - 1;
        if ((offsets & 1) && p > scan.tried && FirstCharAt(word, scan, p)) return p;
    }
    return scan.n;
}

// From each start on, characters are read one by one and never again: after a near match the
// table says how much of it still counts, so a repetitive text costs no more than its length.
bool ScanForWord(const ByteWord& word, ByteScan& scan) {
    while (scan.from < scan.n) {
        size_t at = NextStart(word, scan);
        size_t matched = 0;
        while (at < scan.n) {
            Folded c = FoldedAt(scan.s, scan.n, at);
            ++scan.reads;
            matched = Step(word, matched, c.value);
            at += c.length;
            if (matched == word.chars.size()) return true;
            if (matched == 0) break;
        }
        scan.from = at;
    }
    return false;
}

bool ContainsByteWord(const ByteWord& word, const unsigned char* s, size_t n, size_t& reads) {
    ByteScan scan = {s, n, 0, 0, 0, 0};
    bool found = ScanForWord(word, scan);
    reads += scan.reads;
    return found;
}

bool ContainsWideWord(const WideWord& word, std::u16string_view text) {
    size_t matched = 0;
    for (size_t i = 0; i < text.size();) {
        Folded c = WideFoldedAt(text, i);
        matched = Step(word, matched, c.value);
        if (matched == word.chars.size()) return true;
        i += c.length;
    }
    return false;
}

bool SameText(const TextEntry& a, const TextEntry& b) {
    if (&a == &b) return true;
    if (a.text != b.text || !a.exact != !b.exact) return false;
    return !a.exact || *a.exact == *b.exact;
}

}  // namespace

std::vector<uint16_t> FoldBytes(std::string_view text) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
    std::vector<uint16_t> chars;
    for (size_t i = 0; i < text.size();) {
        Folded c = FoldedAt(s, text.size(), i);
        chars.push_back(static_cast<uint16_t>(c.value));
        i += c.length;
    }
    return chars;
}

std::vector<uint32_t> FoldWide(std::u16string_view text) {
    std::vector<uint32_t> chars;
    for (size_t i = 0; i < text.size();) {
        Folded c = WideFoldedAt(text, i);
        chars.push_back(c.value);
        i += c.length;
    }
    return chars;
}

SearchQuery BuildSearchQuery(std::string_view bytes, std::u16string_view wide, bool bytesFaithful) {
    SearchQuery query;
    std::vector<uint16_t> word;
    for (uint16_t c : FoldBytes(bytes)) {
        if (c == ' ' || c == 0x8140) {  // half-width and full-width blanks
            AddByteWord(query, word);
            continue;
        }
        word.push_back(c);
    }
    AddByteWord(query, word);
    std::vector<uint32_t> wideWord;
    for (uint32_t c : FoldWide(wide)) {
        if (c == u' ' || c == kWideBlank) {
            AddWideWord(query, wideWord);
            continue;
        }
        wideWord.push_back(c);
    }
    AddWideWord(query, wideWord);
    // Words in UTF-16 but none in bytes: the conversion lost the field.
    query.bytesPossible = bytesFaithful && (query.wideWords.empty() || !query.byteWords.empty());
    return query;
}

bool IsEmptyQuery(const SearchQuery& query) {
    return query.byteWords.empty() && query.wideWords.empty();
}

bool MatchesBytes(const SearchQuery& query, std::string_view text, size_t* reads) {
    if (IsEmptyQuery(query)) return true;
    if (!query.bytesPossible) return false;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t count = 0;
    bool all = true;
    for (size_t w = 0; w < query.byteWords.size() && all; ++w)
        all = ContainsByteWord(query.byteWords[w], s, text.size(), count);
    if (reads) *reads = count;
    return all;
}

bool MatchesWide(const SearchQuery& query, std::u16string_view text) {
    for (const WideWord& word : query.wideWords) {
        if (!ContainsWideWord(word, text)) return false;
    }
    return true;
}

std::vector<SearchRow> AllSearchRows(const TextStore& store, int historyCount) {
    std::vector<SearchRow> rows;
    const TextChain& registered = store.registered.chain;
    const TextChain& history = store.history.chain;
    size_t shown = std::min(history.size(), static_cast<size_t>(std::max(historyCount, 0)));
    rows.reserve(registered.size() + shown);
    // A chain's back is index 0, the newest.
    for (auto it = registered.rbegin(); it != registered.rend(); ++it)
        rows.push_back(SearchRow{*it, true});
    auto oldestShown = history.rbegin() + static_cast<std::ptrdiff_t>(shown);
    for (auto it = history.rbegin(); it != oldestShown; ++it) rows.push_back(SearchRow{*it, false});
    return rows;
}

std::shared_ptr<const TextEntry> LiveEntry(const TextStore& store,
                                           const std::weak_ptr<const TextEntry>& held) {
    std::shared_ptr<const TextEntry> entry = held.lock();
    // A save's snapshot may keep an entry alive after the store let it go.
    if (!entry || entryOfId(store, entry->id) != entry.get()) return nullptr;
    return entry;
}

bool EntryMatches(const TextEntry& entry, const SearchQuery& query) {
    return withTextForm(
        entry, [&](const std::u16string& exact) { return MatchesWide(query, exact); },
        [&](const std::string& bytes) { return MatchesBytes(query, bytes); });
}

std::vector<SearchRow> MatchingRows(const TextStore& store, const std::vector<SearchRow>& all,
                                    const SearchQuery& query) {
    std::vector<SearchRow> rows;
    rows.reserve(all.size());
    for (const SearchRow& row : all) {
        std::shared_ptr<const TextEntry> entry = LiveEntry(store, row.entry);
        if (entry && EntryMatches(*entry, query)) rows.push_back(row);
    }
    return rows;
}

int FindRow(const std::vector<SearchRow>& rows, const TextEntry& entry, bool registered) {
    for (size_t i = 0; i < rows.size(); ++i) {
        std::shared_ptr<const TextEntry> held = rows[i].entry.lock();
        if (held && rows[i].registered == registered && SameText(*held, entry))
            return static_cast<int>(i);
    }
    return -1;
}

size_t RowVisibleUnits(int rowWidth, int averageCharWidth) {
    int average = averageCharWidth > 0 ? averageCharWidth : 4;
    return static_cast<size_t>(3 * std::max(rowWidth, 0) / average + 8);
}

std::string RowBytes(const char* text, size_t units) {
    std::string shown = RegisteredTextDisplayString(text);
    shown.resize(tooltext::SafeCutLength(shown.c_str(), units));
    return shown;
}

std::u16string RowWide(std::u16string_view text, size_t units) {
    std::u16string shown = WideDisplayString(text);
    shown.resize(tooltext::WideCutLength(shown.data(), shown.size(), units));
    return shown;
}

size_t PreviewCutLength(const std::string& text) {
    return tooltext::SafeCutLength(text.c_str(), kPreviewBytes);
}

size_t PreviewCutLength(std::u16string_view text) {
    return tooltext::WideCutLength(text.data(), text.size(), kPreviewBytes / 2);
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
