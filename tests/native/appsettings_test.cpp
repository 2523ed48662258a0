// Defaults, clamps and number parsing of the settings record.
#include "settings/appsettings.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(AppSettingsDefaults, ValuesAndLogFolderBesideTheExecutable) {
    AppSettings s;
    SetDefaultSettingsIn(s, "C:\\Tools");
    EXPECT_EQ(s.history.historyCount, 30);
    EXPECT_EQ(s.history.repairInterval, 600000);
    EXPECT_EQ(s.history.clearInterval, 240000);
    EXPECT_EQ(s.menu.labelChars, 64);
    EXPECT_EQ(s.menu.menuTipChars, 1024);
    EXPECT_STREQ(s.dateFormat, "%02H:%02M:%02S %04Y/%02m/%02d");
    EXPECT_STREQ(s.log.logFolder, "C:\\Tools\\log");
    SetDefaultSettingsIn(s, "C:\\表");  // 0x95 0x5C: that trail byte is no separator
    EXPECT_STREQ(s.log.logFolder, "C:\\表\\log");
}

TEST(ClampHistorySettings, Bounds) {
    struct Case {
        int32_t count, repair, clear, wantCount, wantRepair, wantClear;
    };
    const Case cases[] = {
        {0, 600000, 240000, 1, 600000, 240000},
        {99999, 600000, 240000, 4095, 600000, 240000},
        {4095, 600000, 240000, 4095, 600000, 240000},
        // A short repair interval is raised first, and the clear interval follows it down.
        {30, 1000, 240000, 30, 120000, 60000},
        {30, 600000, 5, 30, 600000, 60000},
        {30, 600000, 539999, 30, 600000, 539999},
        {30, 600000, 540001, 30, 600000, 540000},
        // Negative intervals count as the minimum instead of passing as huge unsigned values.
        {30, -1, 240000, 30, 120000, 60000},
        {30, 600000, -1, 30, 600000, 60000},
        {30, INT32_MAX, INT32_MAX, 30, INT32_MAX, INT32_MAX - 60000},
    };
    for (const Case& c : cases) {
        HistorySettings h{c.count, true, true, true, true, c.repair, false, c.clear};
        ClampHistorySettings(h);
        SCOPED_TRACE(testing::Message() << c.count << " " << c.repair << " " << c.clear);
        EXPECT_EQ(h.historyCount, c.wantCount);
        EXPECT_EQ(h.repairInterval, c.wantRepair);
        EXPECT_EQ(h.clearInterval, c.wantClear);
    }
}

TEST(ClampMenuSettings, Bounds) {
    struct Case {
        int32_t label, tip, x, y, wantLabel, wantTip, wantX, wantY;
    };
    const Case cases[] = {
        {1, 70000, -5, 40000, 3, 65534, 0, 32766},
        {3, 2, 32766, 0, 3, 2, 32766, 0},
        {257, 1, 32767, -1, 256, 2, 32766, 0},
        {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 3, 65534, 32766, 0},
    };
    for (const Case& c : cases) {
        MenuSettings m{c.label, true, true, true, c.tip, c.x, c.y};
        ClampMenuSettings(m);
        SCOPED_TRACE(testing::Message() << c.label << " " << c.tip << " " << c.x << " " << c.y);
        EXPECT_EQ(m.labelChars, c.wantLabel);
        EXPECT_EQ(m.menuTipChars, c.wantTip);
        EXPECT_EQ(m.menuX, c.wantX);
        EXPECT_EQ(m.menuY, c.wantY);
    }
}

TEST(ParseProfileInt, ReadsLikeScanfDecimalAndSaturates) {
    struct Case {
        const char* text;
        bool parsed;
        int32_t value;
    };
    const Case cases[] = {
        {"12abc", true, 12},
        {"  \t\r\n-7", true, -7},
        {"+5", true, 5},
        {"0x10", true, 0},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", true, INT32_MAX},
        {"99999999999999999999999", true, INT32_MAX},
        {"", false, 0},
        {"yes", false, 0},
        {"- 5", false, 0},
        {"１２", false, 0},  // full-width digits are no digits
    };
    for (const Case& c : cases) {
        int32_t value = 4242;
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseProfileInt(c.text, value), c.parsed);
        EXPECT_EQ(value, c.parsed ? c.value : 4242) << "a failed parse leaves the value alone";
    }
}

}  // namespace
