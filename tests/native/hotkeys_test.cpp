// Hotkey encodings and the duplicate rule.
#include "settings/hotkeys.h"

#include <gtest/gtest.h>

namespace {

bool Is(const Hotkey& h, uint32_t modifiers, uint32_t key) {
    return h.modifiers == modifiers && h.virtualKey == key;
}

TEST(HotkeyCodec, DecodingAndRoundTrip) {
    EXPECT_TRUE(Is(DecodeHotkey(854), 3, 0x56));  // Ctrl+Alt+V
    EXPECT_TRUE(Is(DecodeHotkey(4182), 0, 0)) << "modifier byte 16";
    EXPECT_TRUE(Is(DecodeHotkey(-1), 0, 0)) << "modifier byte 0xFF";
    EXPECT_TRUE(Is(DecodeHotkey(65536 + 854), 3, 0x56)) << "bits above 15 are ignored";
    for (int32_t v = 0; v < 16 * 256; ++v) ASSERT_EQ(EncodeHotkey(DecodeHotkey(v)), v);
    EXPECT_EQ(EncodeHotkey(Hotkey{0x103, 0x156}), 854) << "only the low bytes are stored";
}

TEST(HotkeyControl, FlagsTranslateBothWays) {
    EXPECT_TRUE(Is(HotkeyFromControlValue(0x0656), 3, 0x56));  // HOTKEYF_CONTROL | HOTKEYF_ALT
    EXPECT_TRUE(Is(HotkeyFromControlValue(0x0141), kHotkeyModShift, 0x41));
    EXPECT_EQ(ControlValueFromHotkey(Hotkey{12, 0x2E}), 0x092Eu);  // extended key with Shift
    EXPECT_EQ(SystemHotkeyModifiers(Hotkey{12, 0x2E}), kHotkeyModShift);
    for (uint32_t flags = 0; flags < 16; ++flags) {
        EXPECT_EQ(ControlValueFromHotkey(HotkeyFromControlValue(flags << 8 | 0x7B)),
                  flags << 8 | 0x7B);
    }
}

TEST(SameHotkey, UnassignedNeverMatches) {
    EXPECT_FALSE(SameHotkey(Hotkey{0, 0}, Hotkey{0, 0}));
    EXPECT_TRUE(SameHotkey(Hotkey{3, 0x56}, Hotkey{3, 0x56}));
    EXPECT_FALSE(SameHotkey(Hotkey{3, 0x56}, Hotkey{2, 0x56}));
    EXPECT_FALSE(IsEmptyHotkey(Hotkey{0, 0x41}));
}

TEST(DropDuplicateHotkeys, PairsLoseTheirHotkeyAndTheLastOfThreeKeepsIt) {
    const Hotkey v{3, 0x56};
    HotkeySettings g;
    SetDefaultHotkeys(g);
    g.slots[8] = v;  // clear history
    g.slots[4] = v;  // date and time
    g.slots[0] = Hotkey{2, 0x57};
    DropDuplicateHotkeys(g);
    EXPECT_TRUE(IsEmptyHotkey(g.slots[8]) && IsEmptyHotkey(g.slots[4]));
    EXPECT_TRUE(Is(g.slots[0], 2, 0x57));

    // Rows 3, 7 and 8 use slots 2, 7 and 6: the last row in table order keeps it (slot 6), not
    // the highest slot.
    SetDefaultHotkeys(g);
    g.slots[2] = g.slots[6] = g.slots[7] = v;
    DropDuplicateHotkeys(g);
    EXPECT_TRUE(IsEmptyHotkey(g.slots[2]) && IsEmptyHotkey(g.slots[7]));
    EXPECT_TRUE(Is(g.slots[6], 3, 0x56));
}

}  // namespace
