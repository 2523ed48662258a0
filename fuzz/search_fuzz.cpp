// Fuzz target of the history search's matcher. Over any bytes or UTF-16 units, a word is found
// exactly where a plain scan of the folded characters finds it. Over texts written with kana,
// half-width letters and marks, blanks and the double-byte traps, the Shift-JIS and the UTF-16
// matchers both agree with a plain UTF-16 scan that folds by rules of its own.
#include "fuzzcheck.h"
#include "search/searchrules.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

template <typename Char>
bool Holds(const std::vector<Char>& text, const std::vector<Char>& word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end()) != text.end();
}

// The words of a folded field: split at the half-width and the full-width blank.
template <typename Char>
std::vector<std::vector<Char>> Words(const std::vector<Char>& field, Char wideBlank) {
    std::vector<std::vector<Char>> words(1);
    for (Char c : field) {
        if (c == ' ' || c == wideBlank) {
            if (!words.back().empty()) words.emplace_back();
        } else {
            words.back().push_back(c);
        }
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

template <typename Char>
bool HoldsAll(const std::vector<Char>& field, const std::vector<Char>& text, Char wideBlank) {
    for (const std::vector<Char>& word : Words(field, wideBlank))
        if (!Holds(text, word)) return false;
    return true;
}

void CheckBytes(const std::string& field, const std::string& text) {
    bool expected = HoldsAll<uint16_t>(FoldBytes(field), FoldBytes(text), 0x8140);
    // The text in a block of exactly its size: a read past its end is caught.
    std::vector<char> exact(text.begin(), text.end());
    FUZZ_CHECK(MatchesBytes(BuildSearchQuery(field, u"", true),
                            std::string_view(exact.data(), exact.size())) == expected);
}

void CheckWide(const std::u16string& field, const std::u16string& text) {
    bool expected = HoldsAll<uint32_t>(FoldWide(field), FoldWide(text), 0x3000);
    FUZZ_CHECK(MatchesWide(BuildSearchQuery("", field, false), text) == expected);
}

std::u16string Units(const std::string& bytes) {
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       static_cast<unsigned char>(bytes[i + 1]) << 8);
    return units;
}

// Characters in both forms: their Shift-JIS code and their UTF-16 unit.
struct Letter {
    uint16_t sjis;
    char16_t wide;
};
const Letter kLetters[] = {
    {0x61, 0x0061},   {0x41, 0x0041},   {0x7A, 0x007A},   {0x5A, 0x005A},   {0x8281, 0xFF41},
    {0x8260, 0xFF21}, {0x30, 0x0030},   {0x8250, 0xFF11}, {0x20, 0x0020},   {0x8140, 0x3000},
    {0x834A, 0x30AB}, {0x834B, 0x30AC}, {0xB6, 0xFF76},   {0xDE, 0xFF9E},   {0xDF, 0xFF9F},
    {0x82A9, 0x304B}, {0x82AA, 0x304C}, {0x836E, 0x30CF}, {0x8370, 0x30D1}, {0x836F, 0x30D0},
    {0xCA, 0xFF8A},   {0x82CF, 0x3071}, {0x8394, 0x30F4}, {0xB3, 0xFF73},   {0x8345, 0x30A6},
    {0x82A4, 0x3046}, {0x815B, 0x30FC}, {0xB0, 0xFF70},   {0x88EA, 0x4E00}, {0x8393, 0x30F3},
    {0xDD, 0xFF9D},   {0x82F1, 0x3093}, {0x8392, 0x30F2}, {0xA6, 0xFF66},   {0x82F0, 0x3092},
    {0x82A6, 0x3048}, {0x82B6, 0x3058}, {0x835C, 0x30BD}, {0x955C, 0x8868}, {0x889F, 0x4E9C},
    {0x836A, 0x30CB}, {0xC6, 0xFF86},   {0x82CA, 0x306C}, {0x836B, 0x30CC}, {0xC7, 0xFF87},
    {0x8380, 0x30E0}, {0xD1, 0xFF91},   {0x82DE, 0x3080}, {0xAF, 0xFF6F},   {0x8362, 0x30C3},
    {0x82C1, 0x3063}, {0x5C, 0x005C},   {0x40, 0x0040},
};
constexpr size_t kLetterCount = sizeof kLetters / sizeof kLetters[0];

// The folding stated in UTF-16 alone: case and full-width forms, hiragana as katakana,
// half-width katakana as full-width, a voiced or semi-voiced mark joined to a letter that takes
// it, the half-width long vowel mark as the full-width one.
const char16_t kHalfWidth[] =
    u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
    u"ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";
const std::u16string kTakesVoiced = u"カキクケコサシスセソタチツテトハヒフヘホ";
const std::u16string kTakesSemiVoiced = u"ハヒフヘホ";

std::vector<uint16_t> PlainFold(const std::u16string& text) {
    std::vector<uint16_t> chars;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
        if (c >= 0xFF21 && c <= 0xFF3A) c = static_cast<char16_t>('a' + c - 0xFF21);
        if (c >= 0xFF41 && c <= 0xFF5A) c = static_cast<char16_t>('a' + c - 0xFF41);
        if (c >= 0xFF10 && c <= 0xFF19) c = static_cast<char16_t>('0' + c - 0xFF10);
        if (c >= 0x3041 && c <= 0x3096) c = static_cast<char16_t>(c + 0x60);
        if (c >= 0xFF66 && c <= 0xFF9D) {
            c = kHalfWidth[c - 0xFF66];
            char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
            if (next == 0xFF9E && c == u'ウ')
                c = u'ヴ', ++i;
            else if (next == 0xFF9E && kTakesVoiced.find(c) != std::u16string::npos)
                ++c, ++i;
            else if (next == 0xFF9F && kTakesSemiVoiced.find(c) != std::u16string::npos)
                c += 2, ++i;
        }
        chars.push_back(c);
    }
    return chars;
}

void CheckAgainstPlainScan(fuzz::Reader& in) {
    std::string fieldBytes, textBytes;
    std::u16string fieldWide, textWide;
    size_t fieldSize = in.Byte() % 8;
    for (size_t i = 0; in.left() > 0; ++i) {
        const Letter& letter = kLetters[in.Byte() % kLetterCount];
        std::string& bytes = i < fieldSize ? fieldBytes : textBytes;
        if (letter.sjis > 0xFF) bytes += static_cast<char>(letter.sjis >> 8);
        bytes += static_cast<char>(letter.sjis & 0xFF);
        (i < fieldSize ? fieldWide : textWide) += letter.wide;
    }
    bool expected = HoldsAll<uint16_t>(PlainFold(fieldWide), PlainFold(textWide), 0x3000);
    FUZZ_CHECK(MatchesBytes(BuildSearchQuery(fieldBytes, u"", true), textBytes) == expected);
    FUZZ_CHECK(MatchesWide(BuildSearchQuery("", fieldWide, false), textWide) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    if (in.Byte() % 2) {
        CheckAgainstPlainScan(in);
        return 0;
    }
    size_t fieldSize = in.Byte() % 16;
    std::string field = in.Bytes(fieldSize);
    std::string text = in.Bytes(in.left());
    CheckBytes(field, text);
    CheckWide(Units(field), Units(text));
    return 0;
}
