// Clamps and number parsing of the settings record, and the hotkey encodings.
#include "settings/appsettings.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

TEST(ClampSettings, HistoryAndMenuBounds) {
    const struct {
        int32_t count, repair, clear, wantCount, wantRepair, wantClear;
    } history[] = {
        {0, 600000, 240000, 1, 600000, 240000},
        {99999, 600000, 240000, 4095, 600000, 240000},
        // A short repair interval is raised first, and the clear interval follows it down.
        {30, 1000, 240000, 30, 120000, 60000},
        {30, 600000, 5, 30, 600000, 60000},
        {30, 600000, 540001, 30, 600000, 540000},
        // Negative intervals count as the minimum instead of passing as huge unsigned values.
        {30, -1, 240000, 30, 120000, 60000},
        {30, 600000, -1, 30, 600000, 60000},
    };
    for (const auto& c : history) {
        HistorySettings h{c.count, true, true, true, true, c.repair, false, c.clear, true};
        ClampHistorySettings(h);
        EXPECT_EQ((std::vector<int32_t>{h.historyCount, h.repairInterval, h.clearInterval}),
                  (std::vector<int32_t>{c.wantCount, c.wantRepair, c.wantClear}))
            << c.count << " " << c.repair << " " << c.clear;
    }
    const struct {
        int32_t label, tip, x, y, wantLabel, wantTip, wantX, wantY;
    } menu[] = {
        {1, 70000, -5, 40000, 3, 65534, 0, 32766},
        {257, 1, 32767, INT32_MIN, 256, 2, 32766, 0},
    };
    for (const auto& c : menu) {
        MenuSettings m{c.label, true, true, true, c.tip, c.x, c.y};
        ClampMenuSettings(m);
        EXPECT_EQ((std::vector<int32_t>{m.labelChars, m.menuTipChars, m.menuX, m.menuY}),
                  (std::vector<int32_t>{c.wantLabel, c.wantTip, c.wantX, c.wantY}));
    }
}

TEST(ParseProfileInt, ReadsLikeScanfDecimalAndSaturates) {
    const struct {
        const char* text;
        bool parsed;
        int32_t value;
    } cases[] = {
        {"12abc", true, 12},
        {"  \t\r\n-7", true, -7},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", true, INT32_MAX},
        {"99999999999999999999999", true, INT32_MAX},
        {"- 5", false, 0},
        {"１２", false, 0},  // full-width digits are no digits
    };
    for (const auto& c : cases) {
        int32_t value = 4242;
        EXPECT_EQ(ParseProfileInt(c.text, value), c.parsed) << c.text;
        EXPECT_EQ(value, c.parsed ? c.value : 4242) << c.text << ": a failed parse keeps it";
    }
}

TEST(HotkeyCodec, FileAndControlEncodings) {
    auto is = [](const Hotkey& h, uint32_t modifiers, uint32_t key) {
        return h.modifiers == modifiers && h.virtualKey == key;
    };
    EXPECT_TRUE(is(DecodeHotkey(65536 + 854), 3, 0x56)) << "Ctrl+Alt+V; bits above 15 ignored";
    EXPECT_TRUE(is(DecodeHotkey(4182), 0, 0)) << "modifier byte 16";
    for (int32_t v = 0; v < 16 * 256; ++v) ASSERT_EQ(EncodeHotkey(DecodeHotkey(v)), v);
    EXPECT_EQ(EncodeHotkey(Hotkey{0x103, 0x156}), 854) << "only the low bytes are stored";
    // The control's Alt and Shift bits are swapped against the stored ones.
    EXPECT_TRUE(is(HotkeyFromControlValue(0x0141), kHotkeyModShift, 0x41));  // HOTKEYF_SHIFT
    EXPECT_EQ(ControlValueFromHotkey(Hotkey{kHotkeyModExtended | kHotkeyModAlt, 0x2E}), 0x0C2Eu);
    EXPECT_FALSE(SameHotkey(Hotkey{0, 0}, Hotkey{0, 0})) << "empty slots never conflict";
}

// The dialog's check: Ctrl+Alt+Insert (extended) and Ctrl+Alt+numpad 0 with NumLock off are one
// hotkey to the system.
TEST(HotkeyDuplicates, TheExtendedKeyMarkDoesNotTellTwoHotkeysApart) {
    const uint32_t ctrlAlt = kHotkeyModControl | kHotkeyModAlt;
    const Hotkey rows[] = {{0, 0}, {ctrlAlt | kHotkeyModExtended, 0x2D}, {ctrlAlt, 0x2E},
                           {ctrlAlt, 0x2D}};
    EXPECT_EQ(FirstDuplicateHotkey(rows, 4), 1u);
    EXPECT_EQ(FirstDuplicateHotkey(rows, 3), 3u);
}

}  // namespace
