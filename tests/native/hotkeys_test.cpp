// Hotkey bindings, encodings and the duplicate rule.
#include "settings/hotkeys.h"

#include <gtest/gtest.h>

#include <set>

#include "resource.h"

namespace {

bool operator==(const Hotkey& a, const Hotkey& b) {
    return a.modifiers == b.modifiers && a.virtualKey == b.virtualKey;
}

size_t SlotOfCommand(int command) {
    for (const HotkeyBinding& row : HotkeyTable) {
        if (row.command == command) return row.slot;
    }
    ADD_FAILURE() << "no row for command " << command;
    return 0;
}

TEST(HotkeyTable, EveryCommandOwnsOneSlot) {
    std::set<size_t> slots;
    std::set<int> commands;
    for (const HotkeyBinding& row : HotkeyTable) {
        ASSERT_LT(row.slot, kHotkeySlotCount);
        slots.insert(row.slot);
        commands.insert(row.command);
    }
    EXPECT_EQ(slots.size(), kHotkeySlotCount);
    EXPECT_EQ(commands.size(), kHotkeySlotCount);
    // Two rows use their slots crosswise; the dialog and older files depend on that.
    EXPECT_EQ(SlotOfCommand(IDM_HISTORY_ON_OFF), 7u);
    EXPECT_EQ(SlotOfCommand(IDM_CLEAR_CLIPBOARD), 6u);
}

TEST(HotkeyCodec, Decoding) {
    struct Case {
        int32_t value;
        Hotkey want;
    };
    const Case cases[] = {
        {854, {3, 0x56}},  // Ctrl+Alt+V
        {0, {0, 0}},
        {4182, {0, 0}},  // modifier byte 16
        {15 * 256 + 0x41, {15, 0x41}},
        {65536 + 854, {3, 0x56}},  // bits above 15 are ignored
        {-1, {0, 0}},              // modifier byte 0xFF
        {0x56, {0, 0x56}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_TRUE(DecodeHotkey(c.value) == c.want);
    }
}

TEST(HotkeyCodec, EveryStoredValueRoundTrips) {
    for (int32_t v = 0; v < 16 * 256; ++v) {
        ASSERT_EQ(EncodeHotkey(DecodeHotkey(v)), v);
    }
    EXPECT_EQ(EncodeHotkey(Hotkey{0x103, 0x156}), 854) << "only the low bytes are stored";
}

TEST(HotkeyControl, FlagsTranslateBothWays) {
    // HOTKEYF_CONTROL | HOTKEYF_ALT with 'V'
    EXPECT_TRUE(HotkeyFromControlValue(0x0656) == (Hotkey{3, 0x56}));
    // HOTKEYF_SHIFT is stored as MOD_SHIFT (4), HOTKEYF_ALT as MOD_ALT (1).
    EXPECT_TRUE(HotkeyFromControlValue(0x0141) == (Hotkey{4, 0x41}));
    EXPECT_TRUE(HotkeyFromControlValue(0x0441) == (Hotkey{1, 0x41}));
    // Extended key with Shift.
    EXPECT_EQ(ControlValueFromHotkey(Hotkey{12, 0x2E}), 0x092Eu);
    EXPECT_EQ(SystemHotkeyModifiers(Hotkey{12, 0x2E}), 4u);
    for (uint32_t flags = 0; flags < 16; ++flags) {
        uint32_t value = flags << 8 | 0x7B;
        EXPECT_EQ(ControlValueFromHotkey(HotkeyFromControlValue(value)), value);
    }
}

TEST(SameHotkey, UnassignedNeverMatches) {
    EXPECT_FALSE(SameHotkey(Hotkey{0, 0}, Hotkey{0, 0}));
    EXPECT_FALSE(SameHotkey(Hotkey{3, 0x56}, Hotkey{0, 0}));
    EXPECT_TRUE(SameHotkey(Hotkey{3, 0x56}, Hotkey{3, 0x56}));
    EXPECT_FALSE(SameHotkey(Hotkey{3, 0x56}, Hotkey{2, 0x56}));
    EXPECT_FALSE(SameHotkey(Hotkey{3, 0x56}, Hotkey{3, 0x57}));
    EXPECT_TRUE(IsEmptyHotkey(Hotkey{0, 0}));
    EXPECT_FALSE(IsEmptyHotkey(Hotkey{0, 0x41}));
    EXPECT_FALSE(IsEmptyHotkey(Hotkey{2, 0}));
}

TEST(DropDuplicateHotkeys, PairsLoseTheirHotkeyAndTheLastOfThreeKeepsIt) {
    const Hotkey v{3, 0x56};
    const Hotkey w{2, 0x57};
    HotkeySettings g;
    SetDefaultHotkeys(g);
    g.slots[SlotOfCommand(IDM_CLEAR_HISTORY)] = v;
    g.slots[SlotOfCommand(IDM_DATE_TIME)] = v;
    g.slots[SlotOfCommand(IDM_TEXT_MENU)] = w;
    DropDuplicateHotkeys(g);
    EXPECT_TRUE(IsEmptyHotkey(g.slots[SlotOfCommand(IDM_CLEAR_HISTORY)]));
    EXPECT_TRUE(IsEmptyHotkey(g.slots[SlotOfCommand(IDM_DATE_TIME)]));
    EXPECT_TRUE(g.slots[SlotOfCommand(IDM_TEXT_MENU)] == w);

    // Rows 3, 7 and 8 use slots 2, 7 and 6: the last row in table order (slot 6) keeps it, not
    // the highest slot.
    SetDefaultHotkeys(g);
    g.slots[2] = v;
    g.slots[6] = v;
    g.slots[7] = v;
    DropDuplicateHotkeys(g);
    EXPECT_TRUE(IsEmptyHotkey(g.slots[2]));
    EXPECT_TRUE(IsEmptyHotkey(g.slots[7]));
    EXPECT_TRUE(g.slots[6] == v);
}

}  // namespace
