// Hotkey bindings, their encodings and the duplicate rule.
#include "settings/hotkeys.h"

#include "resource.h"

const HotkeyBinding HotkeyTable[kHotkeySlotCount] = {
    {"履歴を表示", IDM_TEXT_MENU, 0},
    {"メニューを表示", IDM_COMMAND_MENU, 1},
    {"「登録テキストの編集」を表示", IDM_EDIT_REGISTERED, 2},
    {"テキストの登録", IDM_REGISTER_TEXT, 3},
    {"日時の取得", IDM_DATE_TIME, 4},
    {"IPアドレスの取得", IDM_IP_ADDRESS, 5},
    {"履歴機能のオン・オフ", IDM_HISTORY_ON_OFF, 7},
    {"クリップボードのクリア", IDM_CLEAR_CLIPBOARD, 6},
    {"履歴のクリア", IDM_CLEAR_HISTORY, 8},
    {"「履歴の検索」を表示", IDM_SEARCH_HISTORY, 9},
};

const char* const kHotkeySection = "ホットキー";

namespace {

// Hotkey control flags (HOTKEYF_*) paired with the stored flags.
struct FlagPair {
    uint32_t control;
    uint32_t stored;
};

constexpr FlagPair kFlagPairs[] = {
    {0x08, kHotkeyModExtended},  // HOTKEYF_EXT
    {0x04, kHotkeyModAlt},       // HOTKEYF_ALT
    {0x02, kHotkeyModControl},   // HOTKEYF_CONTROL
    {0x01, kHotkeyModShift},     // HOTKEYF_SHIFT
};

}  // namespace

bool IsEmptyHotkey(const Hotkey& hotkey) { return hotkey.modifiers == 0 && hotkey.virtualKey == 0; }

bool SameHotkey(const Hotkey& a, const Hotkey& b) {
    if (IsEmptyHotkey(a) || IsEmptyHotkey(b)) return false;
    return a.modifiers == b.modifiers && a.virtualKey == b.virtualKey;
}

void SetDefaultHotkeys(HotkeySettings& group) {
    for (Hotkey& slot : group.slots) slot = Hotkey{0, 0};
}

int32_t EncodeHotkey(const Hotkey& hotkey) {
    return static_cast<int32_t>((hotkey.modifiers & 0xFF) << 8 | (hotkey.virtualKey & 0xFF));
}

Hotkey DecodeHotkey(int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    uint32_t modifiers = (bits >> 8) & 0xFF;
    if (modifiers > 15) return Hotkey{0, 0};
    return Hotkey{modifiers, bits & 0xFF};
}

void DropDuplicateHotkeys(HotkeySettings& group) {
    for (size_t i = 0; i + 1 < kHotkeySlotCount; ++i) {
        for (size_t j = i + 1; j < kHotkeySlotCount; ++j) {
            Hotkey& a = group.slots[HotkeyTable[i].slot];
            Hotkey& b = group.slots[HotkeyTable[j].slot];
            if (SameHotkey(a, b)) {
                a = Hotkey{0, 0};
                b = Hotkey{0, 0};
            }
        }
    }
}

Hotkey HotkeyFromControlValue(uint32_t controlValue) {
    uint32_t controlFlags = (controlValue >> 8) & 0xFF;
    Hotkey hotkey{0, controlValue & 0xFF};
    for (const FlagPair& pair : kFlagPairs) {
        if (controlFlags & pair.control) hotkey.modifiers += pair.stored;
    }
    return hotkey;
}

uint32_t ControlValueFromHotkey(const Hotkey& hotkey) {
    uint32_t controlFlags = 0;
    for (const FlagPair& pair : kFlagPairs) {
        if (hotkey.modifiers & pair.stored) controlFlags |= pair.control;
    }
    return controlFlags << 8 | (hotkey.virtualKey & 0xFF);
}

uint32_t SystemHotkeyModifiers(const Hotkey& hotkey) {
    return hotkey.modifiers & ~kHotkeyModExtended;
}

size_t FirstDuplicateHotkey(const Hotkey* hotkeys, size_t count) {
    // Compared as the system registers them: two that differ only in the extended-key mark
    // (Insert and numpad 0 with NumLock off) cannot both be registered.
    auto registered = [](const Hotkey& h) {
        return Hotkey{SystemHotkeyModifiers(h), h.virtualKey};
    };
    for (size_t i = 0; i + 1 < count; ++i) {
        for (size_t j = i + 1; j < count; ++j) {
            if (SameHotkey(registered(hotkeys[i]), registered(hotkeys[j]))) return i;
        }
    }
    return count;
}
