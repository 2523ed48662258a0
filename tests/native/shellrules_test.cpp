// Rules of the application shell and the capture: icon tip, popup point, clear delay.
#include <gtest/gtest.h>

#include <string>

#include "app/icontip.h"
#include "app/popuppoint.h"
#include "clipboard/capturerules.h"

namespace {

TEST(IconTip, SkipsControlBytesAndCutsWithoutSplitting) {
    struct Case {
        std::string text;
        std::string expected;
    };
    std::string letters100(100, 'x');
    std::string lead62 = std::string(62, 'a') + "表" + "tail";  // lead byte at offset 62
    std::string lead61 = std::string(61, 'a') + "表" + "tail";  // character at 61..62
    const Case cases[] = {
        {"abc\r\ndef\tg", "abcdefg"},
        {"", ""},
        {"\r\n\t\x7f", ""},
        {letters100, std::string(63, 'x')},
        {lead62, std::string(62, 'a')},
        {lead61, std::string(61, 'a') + "表"},
        {std::string(63, 'y'), std::string(63, 'y')},  // fits without a cut
        {std::string(64, 'y'), std::string(63, 'y')},
    };
    for (const Case& c : cases) {
        std::string tip = BuildIconTip(c.text.c_str());
        EXPECT_EQ(tip, c.expected) << c.text;
        EXPECT_LT(tip.size(), kIconTipBytes);
    }
}

TEST(PopupPoint, ClampsIntoTheOnlyScreen) {
    const MonitorAreas screen = {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
    struct Case {
        int32_t x, y, expectedX, expectedY;
    };
    const Case cases[] = {
        {5000, -20, 1919, 0},
        {0, 0, 0, 0},
        {1919, 1079, 1919, 1079},  // the whole screen, not the work area
        {1920, 1080, 1919, 1079},
        {-1, 500, 0, 500},
    };
    for (const Case& c : cases) {
        int32_t x = c.x, y = c.y;
        ClampPopupPoint(x, y, &screen, 1);
        EXPECT_EQ(x, c.expectedX);
        EXPECT_EQ(y, c.expectedY);
    }
}

TEST(ClearDelay, StaysAMinuteShorterThanTheRepairInterval) {
    EXPECT_EQ(ClearDelay(240000, 600000), 240000);
    EXPECT_EQ(ClearDelay(500000, 600000), 500000);
    EXPECT_EQ(ClearDelay(700000, 600000), 540000);  // bounds bypassed in the record
    EXPECT_EQ(ClearDelay(100000, 1000), 60000);      // repair interval taken as two minutes
    EXPECT_EQ(ClearDelay(60000, 120000), 60000);
}

}  // namespace
