// Hotkey assignments: the record, the ten fixed bindings, the file and control encodings and
// the duplicate rule. Pure: no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>

// Stored modifier flags; the first three are the system's MOD_* values, 8 marks an extended key
// as the hotkey control reports it and is never passed to the system.
constexpr uint32_t kHotkeyModAlt = 1;
constexpr uint32_t kHotkeyModControl = 2;
constexpr uint32_t kHotkeyModShift = 4;
constexpr uint32_t kHotkeyModExtended = 8;

// One assignment; both fields 0 means unassigned.
struct Hotkey {
    uint32_t modifiers;
    uint32_t virtualKey;  // only the low 8 bits are used
};

constexpr size_t kHotkeySlotCount = 10;

struct HotkeySettings {
    Hotkey slots[kHotkeySlotCount];
};

// One fixed row: the key in the section "ホットキー", the command it runs, the slot it uses.
struct HotkeyBinding {
    const char* key;
    int command;
    size_t slot;
};

// In the order of registration, loading, duplicate removal and saving.
extern const HotkeyBinding HotkeyTable[kHotkeySlotCount];

// The settings section of the hotkeys.
extern const char* const kHotkeySection;

bool IsEmptyHotkey(const Hotkey& hotkey);

// False when either is unassigned, so empty slots never conflict.
bool SameHotkey(const Hotkey& a, const Hotkey& b);

void SetDefaultHotkeys(HotkeySettings& group);

// The file encoding: (low byte of modifiers) * 256 + low byte of virtualKey; 0 when unassigned.
int32_t EncodeHotkey(const Hotkey& hotkey);

// Bits above 15 are ignored; a modifier byte with bits above the low four yields unassigned.
Hotkey DecodeHotkey(int32_t value);

// For each pair of rows in table order with the same assignment, both slots become unassigned
// (so of three equal rows only the last keeps it).
void DropDuplicateHotkeys(HotkeySettings& group);

// Hotkey control value (HKM_GETHOTKEY: control flags in the high byte, key in the low byte) to a
// stored assignment, and back (HKM_SETHOTKEY).
Hotkey HotkeyFromControlValue(uint32_t controlValue);
uint32_t ControlValueFromHotkey(const Hotkey& hotkey);

// The modifiers handed to the system: the extended-key mark removed.
uint32_t SystemHotkeyModifiers(const Hotkey& hotkey);

// Index of the first of the earliest pair (i < j, compared in order) holding the same
// assignment as the system registers it (the extended-key mark left out); count when every
// assignment is different or empty.
size_t FirstDuplicateHotkey(const Hotkey* hotkeys, size_t count);
