// Line transforms: expected results, measure against write, and random bytes against line-based
// models of each transform.
#include "menu/linetransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

enum { kQuote = 1, kDoubleQuote, kHash, kSlashes, kSpace, kTab, kTrim, kCompress };

// Runs a transform the way the menu does and returns the result without its NUL; also checks
// that measuring and writing agree and that the result is exactly one string of that size.
std::string Transform(int id, const std::string& text) {
    const LineTransform* entry = FindLineTransform(id);
    // An exact heap copy, so a read past the NUL is seen by the address sanitizer.
    std::vector<char> input(text.c_str(), text.c_str() + text.size() + 1);
    const size_t measured = entry->function(nullptr, input.data(), input.size(), entry->extra);
    std::vector<char> out;
    EXPECT_EQ(entry->function(&out, input.data(), input.size(), entry->extra), measured) << id;
    EXPECT_EQ(out.size(), measured) << id;
    EXPECT_EQ(std::strlen(out.data()) + 1, out.size()) << id;
    return std::string(out.data());
}

TEST(LineTransforms, TableAndApply) {
    const struct {
        int id;
        const char* text;
        const char* expected;
    } cases[] = {
        {kQuote, "one\r\ntwo", ">one\r\n>two"},
        {kQuote, "one\r\n\r\ntwo\r\n", ">one\r\n>\r\n>two\r\n"},  // none after the last LF
        {kDoubleQuote, "a\nb", ">>a\n>>b"},
        {kHash, "a\rb\nc\n", "#a\rb\n#c\n"},  // CR alone starts no line
        {kSlashes, "表\n表", "//表\n//表"},
        {kSpace, "a\nb", " a\n b"},
        {kTab, "line", "\tline"},
        {kTrim, "a  \r\nb\t", "a\r\nb"},
        {kTrim, "  a \t b  \n   ", "  a \t b\n"},  // leading and inner white space stay
        {kTrim, "a \t\vb \f", "a\vb\f"},
        // A full-width space is no white space; a lone lead byte takes no space with it.
        {kTrim, "a　\n\x81 ", "a　\n\x81"},
        {kCompress, "a\r\n\r\n \r\n\t\r\nb", "a\r\n\r\nb"},
        {kCompress, "a\n\nb\n\nc", "a\n\r\nb\n\r\nc"},  // CR LF for each group of LF lines
        {kCompress, "\r\n\v\f\n\r\nx", "\r\nx"},
        {kCompress, "  x \n\n \n y\n  ", "  x \n\r\n y\n"},  // a blank tail is dropped
        {kCompress, "a　\n　\n", "a　\n　\n"},               // full-width spaces make no blank line
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Transform(c.id, c.text), c.expected) << "id " << c.id << " on " << c.text;
    }
    for (int id = 1; id <= kLineTransformCount; ++id) EXPECT_EQ(Transform(id, ""), "") << id;
    EXPECT_EQ(FindLineTransform(0), nullptr);
    std::vector<char> out(5, 'X');
    EXPECT_FALSE(ApplyLineTransform(kLineTransformCount + 1, "a", out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(ApplyLineTransform(kHash, "a\nb", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), std::string("#a\n#b", 6));
    // The size bounds the walk: only "ab" lies inside it.
    EXPECT_EQ(kLineTransforms[0].function(&out, "ab\ncd", 3, 0), 4u);
    EXPECT_STREQ(out.data(), ">ab");
}

// Line-based models, written differently from the byte walk: split, decide per line, join.
std::vector<std::string> SplitAfter(const std::string& text, const char* breaks) {
    std::vector<std::string> parts;
    for (size_t start = 0, end; start < text.size(); start = end) {
        end = std::min(text.find_first_of(breaks, start), text.size() - 1) + 1;
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

std::string Model(int id, const std::string& text) {
    static const char* const prefixes[] = {">", ">>", "#", "//", " ", "\t"};
    const char* const breaks = id == kTrim ? "\n\r\v\f" : "\n";
    std::string result;
    bool inBlankGroup = false;
    for (std::string line : SplitAfter(text, breaks)) {
        const bool ended = std::strchr(breaks, line.back()) != nullptr;
        const bool blank = line.find_first_not_of(" \t\r\v\f\n") == std::string::npos;
        if (id <= kTab) {
            result += prefixes[id - 1] + line;
        } else if (id == kTrim) {
            const std::string end = ended ? line.substr(line.size() - 1) : "";
            line.resize(line.size() - end.size());
            line.erase(line.find_last_not_of(" \t") + 1);
            result += line + end;
        } else if (!blank) {
            result += line;
        } else if (ended && !inBlankGroup) {
            result += "\r\n";
        }
        inBlankGroup = blank;
    }
    return result;
}

TEST(LineTransforms, RandomBytesMatchTheModels) {
    // Bytes weighted towards white space, line breaks and double-byte codes.
    const char alphabet[] = " \t\n\r\v\fa\x81\x95\x5c\x40\xfc\x7f";
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (size_t n = random() % 41; n > 0; --n) {
            size_t k = random() % (sizeof alphabet + 3);
            text += k < sizeof alphabet - 1 ? alphabet[k] : static_cast<char>(random() % 255 + 1);
        }
        for (int id = 1; id <= kLineTransformCount; ++id) {
            ASSERT_EQ(Transform(id, text), Model(id, text)) << "id " << id << " round " << round;
        }
    }
}

}  // namespace
