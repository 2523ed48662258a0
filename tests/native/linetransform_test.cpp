// Line transforms: expected results, measure against write, and random bytes against line-based
// models of each transform.
#include "menu/linetransform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Runs a transform the way the menu does and returns the result without its NUL; also checks
// that measuring and writing agree and that the result is exactly one string of that size.
std::string Transform(int id, const std::string& text) {
    const LineTransform* entry = FindLineTransform(id);
    EXPECT_NE(entry, nullptr);
    if (entry == nullptr) return "<none>";
    // An exact heap copy, so a read past the NUL is seen by the address sanitizer.
    std::vector<char> input(text.begin(), text.end());
    input.push_back('\0');
    const size_t measured = entry->function(nullptr, input.data(), input.size(), entry->extra);
    std::vector<char> out;
    const size_t written = entry->function(&out, input.data(), input.size(), entry->extra);
    EXPECT_EQ(measured, written) << "id " << id;
    EXPECT_EQ(out.size(), written) << "id " << id;
    if (out.empty()) return "<none>";
    EXPECT_EQ(out.back(), '\0');
    EXPECT_EQ(std::strlen(out.data()) + 1, out.size()) << "id " << id;
    return std::string(out.data());
}

enum { kQuote = 1, kDoubleQuote, kHash, kSlashes, kSpace, kTab, kTrim, kCompress };

struct TransformCase {
    int id;
    const char* text;
    const char* expected;
};

TEST(LineTransforms, Table) {
    const TransformCase cases[] = {
        {kQuote, "one\r\ntwo", ">one\r\n>two"},
        {kQuote, "one\r\ntwo\r\n", ">one\r\n>two\r\n"},
        {kQuote, "one\r\n\r\ntwo", ">one\r\n>\r\n>two"},
        {kQuote, "\n", ">\n"},
        {kQuote, "\n\n", ">\n>\n"},
        {kQuote, "a\rb", ">a\rb"},  // CR alone starts no line
        {kDoubleQuote, "a\nb", ">>a\n>>b"},
        {kHash, "a\nb\n", "#a\n#b\n"},
        {kSlashes, "表\n表", "//表\n//表"},
        {kSpace, "a\nb", " a\n b"},
        {kTab, "line", "\tline"},
        {kTrim, "a  \r\nb\t", "a\r\nb"},
        {kTrim, "  a b", "  a b"},            // leading and inner white space stay
        {kTrim, "a　", "a　"},                // a full-width space is no white space
        {kTrim, "a \t\x0b" "b \x0c", "a\x0b" "b\x0c"},
        {kTrim, "a \t b", "a \t b"},
        {kTrim, "   ", ""},
        {kTrim, "\x81 \n", "\x81\n"},         // lone lead byte: the walk is byte-wise
        {kCompress, "a\r\n\r\n\r\nb", "a\r\n\r\nb"},
        {kCompress, "a\r\n \r\n\t\r\nb", "a\r\n\r\nb"},
        {kCompress, "a\n\nb", "a\n\r\nb"},
        {kCompress, "\r\n\r\nx", "\r\nx"},
        {kCompress, "x\r\n  ", "x\r\n"},
        {kCompress, "  x \n\n \n y\n", "  x \n\r\n y\n"},
        {kCompress, "a\n\nb\n\nc", "a\n\r\nb\n\r\nc"},
        {kCompress, "\x0b\x0c\n", "\r\n"},
        {kCompress, "a　\n　\n", "a　\n　\n"},  // full-width spaces make no blank line
    };
    for (const TransformCase& c : cases) {
        EXPECT_EQ(Transform(c.id, c.text), c.expected) << "id " << c.id << " on " << c.text;
    }
}

TEST(LineTransforms, EmptyTextGivesSizeOne) {
    for (const LineTransform& entry : kLineTransforms) {
        EXPECT_EQ(entry.function(nullptr, "", 1, 0), 1u) << entry.label;
        EXPECT_EQ(Transform(static_cast<int>(&entry - kLineTransforms) + 1, ""), "");
    }
}

TEST(LineTransforms, IdsAndApply) {
    EXPECT_EQ(FindLineTransform(0), nullptr);
    EXPECT_EQ(FindLineTransform(kLineTransformCount + 1), nullptr);
    for (int id = 1; id <= kLineTransformCount; ++id) {
        EXPECT_EQ(FindLineTransform(id), &kLineTransforms[id - 1]);
        EXPECT_EQ(kLineTransforms[id - 1].extra, 0);
    }
    std::vector<char> out(5, 'X');
    EXPECT_TRUE(ApplyLineTransform(kHash, "a\nb", out));
    EXPECT_EQ(out.size(), 6u);
    EXPECT_STREQ(out.data(), "#a\n#b");
    EXPECT_FALSE(ApplyLineTransform(9, "a", out));
    EXPECT_TRUE(out.empty());
    // The size bounds the walk: only "ab" lies inside it.
    EXPECT_EQ(kLineTransforms[0].function(&out, "ab\ncd", 3, 0), 4u);
    EXPECT_STREQ(out.data(), ">ab");
}

// Line-based models, written differently from the byte walk: split, decide per line, join.
std::vector<std::string> SplitAfter(const std::string& text, bool (*isBreak)(char)) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        part += c;
        if (isBreak(c)) {
            parts.push_back(part);
            part.clear();
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

bool IsLf(char c) { return c == '\n'; }
bool IsAnyBreak(char c) { return c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsWhite(char c) { return IsAnyBreak(c) || c == ' ' || c == '\t'; }

std::string ModelPrefix(const std::string& text, const std::string& prefix) {
    std::string result;
    for (const std::string& line : SplitAfter(text, IsLf)) result += prefix + line;
    return result;
}

std::string ModelTrim(const std::string& text) {
    std::string result;
    for (std::string part : SplitAfter(text, IsAnyBreak)) {
        char end = IsAnyBreak(part.back()) ? part.back() : '\0';
        if (end != '\0') part.pop_back();
        while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) part.pop_back();
        result += part;
        if (end != '\0') result += end;
    }
    return result;
}

std::string ModelCompress(const std::string& text) {
    std::string result;
    bool inBlankGroup = false;
    for (const std::string& line : SplitAfter(text, IsLf)) {
        bool blank = true;
        for (char c : line) blank = blank && IsWhite(c);
        if (!blank) {
            result += line;
            inBlankGroup = false;
        } else if (line.back() == '\n' && !inBlankGroup) {
            result += "\r\n";
            inBlankGroup = true;
        }
    }
    return result;
}

std::string Model(int id, const std::string& text) {
    static const char* const prefixes[] = {">", ">>", "#", "//", " ", "\t"};
    if (id <= kTab) return ModelPrefix(text, prefixes[id - 1]);
    return id == kTrim ? ModelTrim(text) : ModelCompress(text);
}

TEST(LineTransforms, RandomBytesMatchLineModels) {
    // Bytes weighted towards white space, line breaks and double-byte codes.
    const char alphabet[] = " \t\n\r\x0b\x0c" "a\x81\x95\x5c\x40\xfc\x7f";
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2 + 4);
    std::uniform_int_distribution<int> anyByte(1, 255);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n) {
            int k = pick(random);
            text += k < static_cast<int>(sizeof alphabet - 1) ? alphabet[k]
                                                              : static_cast<char>(anyByte(random));
        }
        for (int id = 1; id <= kLineTransformCount; ++id) {
            ASSERT_EQ(Transform(id, text), Model(id, text)) << "id " << id << " round " << round;
        }
    }
}

}  // namespace
