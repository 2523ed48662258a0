// The settings dialog's history-count check and date-format preview.
#include "settings/settingsrules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(HistoryCount, OnlyNumbersFrom1To4095AreTaken) {
    const struct {
        const char* text;
        HistoryCountCheck check;
        int32_t count;
    } cases[] = {
        {"1", HistoryCountCheck::Valid, 1},        {"4095", HistoryCountCheck::Valid, 4095},
        {" 12abc", HistoryCountCheck::Valid, 12},  {"0", HistoryCountCheck::TooSmall, -1},
        {"-3", HistoryCountCheck::TooSmall, -1},   {"", HistoryCountCheck::TooSmall, -1},
        {"abc", HistoryCountCheck::TooSmall, -1},  {"4096", HistoryCountCheck::TooLarge, -1},
        {"5000", HistoryCountCheck::TooLarge, -1}, {"99999999999", HistoryCountCheck::TooLarge, -1},
    };
    for (const auto& c : cases) {
        int32_t count = -1;
        EXPECT_EQ(CheckHistoryCount(c.text, count), c.check) << c.text;
        EXPECT_EQ(count, c.count) << "a refused text leaves the count alone: " << c.text;
    }
    // The refusals name the bound they put into the field.
    char text[1024];
    std::snprintf(text, sizeof text, HistoryCountMessage(HistoryCountCheck::TooSmall),
                  HistoryCountBound(HistoryCountCheck::TooSmall));
    EXPECT_NE(std::string(text).find("1 以上"), std::string::npos);
    std::snprintf(text, sizeof text, HistoryCountMessage(HistoryCountCheck::TooLarge),
                  HistoryCountBound(HistoryCountCheck::TooLarge));
    EXPECT_NE(std::string(text).find("4095 以下"), std::string::npos);
}

TEST(DatePreview, FormatsThePatternAndCutsAt79BytesWithoutSplittingACharacter) {
    const DateFormatter::LocalTime time = {2024, 3, 2, 5, 14, 7, 9, 0};
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "表";
    const struct {
        std::string pattern;
        std::string expected;
    } cases[] = {
        {"%04Y/%02m/%02d", "2024/03/05"},
        {"", ""},
        // 80 bytes of text: the cut at 79 would split the last character, so 78 are kept.
        {forty, forty.substr(0, 78)},
        {"a" + forty, "a" + forty.substr(0, 78)},
        {"ab" + forty, "ab" + forty.substr(0, 76)},
    };
    for (const auto& c : cases) {
        char tip[kTipTextSize];
        FormatDatePreview(tip, sizeof tip, c.pattern.c_str(), time);
        EXPECT_EQ(std::string(tip), c.expected) << c.pattern;
    }
}

}  // namespace
