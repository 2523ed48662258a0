// Fuzz target of the history search's matcher: over any bytes, a word is found exactly where a
// walk of whole characters from the start of the text finds it, folded the same way; over any
// UTF-16 units, exactly where a plain scan finds it with neither end inside a surrogate pair.
#include "fuzzcheck.h"
#include "search/searchrules.h"

#include <string>
#include <vector>

namespace {

uint16_t Fold(uint16_t c) {
    if (c >= 'A' && c <= 'Z') return static_cast<uint16_t>(c + 32);
    if (c >= 0x8260 && c <= 0x8279) return static_cast<uint16_t>('a' + c - 0x8260);
    if (c >= 0x8281 && c <= 0x829A) return static_cast<uint16_t>('a' + c - 0x8281);
    if (c >= 0x824F && c <= 0x8258) return static_cast<uint16_t>('0' + c - 0x824F);
    return c;
}

// The folded characters of s, walked from its start.
std::vector<uint16_t> Walk(const std::string& s) {
    std::vector<uint16_t> chars;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        unsigned char t = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        bool pair = fuzz::IsLead(s[i]) && i + 1 < s.size() && t >= 0x40 && t <= 0xFC && t != 0x7F;
        chars.push_back(Fold(pair ? static_cast<uint16_t>(b << 8 | t) : b));
        i += pair ? 2 : 1;
    }
    return chars;
}

// The words of a field: split at the half-width and the full-width blank.
std::vector<std::vector<uint16_t>> Words(const std::string& field) {
    std::vector<std::vector<uint16_t>> words(1);
    for (uint16_t c : Walk(field)) {
        if (c == ' ' || c == 0x8140) {
            if (!words.back().empty()) words.emplace_back();
        } else {
            words.back().push_back(c);
        }
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

bool Holds(const std::vector<uint16_t>& text, const std::vector<uint16_t>& word) {
    for (size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (std::equal(word.begin(), word.end(), text.begin() + static_cast<long>(i))) return true;
    }
    return false;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

char16_t FoldWide(char16_t c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char16_t>(c + 32);
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>('a' + c - 0xFF21);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>('a' + c - 0xFF41);
    if (c >= 0xFF10 && c <= 0xFF19) return static_cast<char16_t>('0' + c - 0xFF10);
    return c;
}

bool HoldsWide(const std::u16string& text, const std::u16string& word) {
    for (size_t i = 0; i + word.size() <= text.size(); ++i) {
        size_t end = i + word.size();
        if (i > 0 && IsLow(text[i]) && IsHigh(text[i - 1])) continue;
        if (end < text.size() && IsLow(text[end]) && IsHigh(text[end - 1])) continue;
        size_t k = 0;
        while (k < word.size() && FoldWide(text[i + k]) == FoldWide(word[k])) ++k;
        if (k == word.size()) return true;
    }
    return false;
}

void CheckBytes(const std::string& field, const std::string& text) {
    std::vector<uint16_t> chars = Walk(text);
    bool expected = true;
    for (const std::vector<uint16_t>& word : Words(field)) expected = expected && Holds(chars, word);
    // The text in a block of exactly its size: a read past its end is caught.
    std::vector<char> exact(text.begin(), text.end());
    FUZZ_CHECK(MatchesBytes(BuildSearchQuery(field, u"", true),
                            std::string_view(exact.data(), exact.size())) == expected);
}

void CheckWide(const std::u16string& field, const std::u16string& text) {
    bool expected = true;
    std::u16string word;
    for (size_t i = 0; i <= field.size(); ++i) {
        if (i < field.size() && field[i] != u' ' && field[i] != 0x3000) {
            word += field[i];
            continue;
        }
        if (!word.empty()) expected = expected && HoldsWide(text, word);
        word.clear();
    }
    FUZZ_CHECK(MatchesWide(BuildSearchQuery("", field, false), text) == expected);
}

std::u16string Units(const std::string& bytes) {
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       static_cast<unsigned char>(bytes[i + 1]) << 8);
    return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    size_t fieldSize = in.Byte() % 16;
    std::string field = in.Bytes(fieldSize);
    std::string text = in.Bytes(in.left());
    CheckBytes(field, text);
    CheckWide(Units(field), Units(text));
    return 0;
}
