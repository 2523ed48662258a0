// Fuzz target of the settings value rules: the number parser against an independent reading,
// the clamps (in range and idempotent), the hotkey codecs (encode(decode(v)) stable) and the
// duplicate rule.
#include "clipboard/capturerules.h"
#include "fuzzcheck.h"
#include "settings/appsettings.h"
#include "settings/hotkeys.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// scanf's "%d" with saturation, written the plain way: sign, digits, clamp.
bool ReferenceParse(const std::string& text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= 0x09 && text[i] <= 0x0D))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    while (i < text.size() && text[i] == '0') ++i;
    size_t digits = 0;
    while (i + digits < text.size() && text[i + digits] >= '0' && text[i + digits] <= '9') ++digits;
    if (digits > 10) {
        value =
            negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
        return true;
    }
    int64_t magnitude = digits ? std::stoll(text.substr(i, digits)) : 0;
    int64_t v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) v = std::numeric_limits<int32_t>::min();
    value = static_cast<int32_t>(v);
    return true;
}

void CheckClamps(fuzz::Reader& in) {
    HistorySettings h{};
    h.historyCount = in.I32();
    h.repairInterval = in.I32();
    h.clearInterval = in.I32();
    ClampHistorySettings(h);
    FUZZ_CHECK(h.historyCount >= kMinHistoryCount && h.historyCount <= kMaxHistoryCount);
    FUZZ_CHECK(h.repairInterval >= kMinRepairInterval);
    FUZZ_CHECK(h.clearInterval >= kMinClearInterval);
    FUZZ_CHECK(h.clearInterval <= h.repairInterval - kMinClearInterval);
    HistorySettings again = h;
    ClampHistorySettings(again);
    FUZZ_CHECK(std::memcmp(&again, &h, sizeof h) == 0);
    FUZZ_CHECK(ClearDelay(h.clearInterval, h.repairInterval) == h.clearInterval);
    // Any pair: never longer than asked, always a minute short of the (floored) repair.
    const int32_t clear = in.I32(), repair = in.I32();
    const int32_t delay = ClearDelay(clear, repair);
    FUZZ_CHECK(delay <= clear && delay <= std::max<int32_t>(repair, 120000) - 60000);

    MenuSettings m{};
    m.labelChars = in.I32();
    m.menuTipChars = in.I32();
    m.menuX = in.I32();
    m.menuY = in.I32();
    ClampMenuSettings(m);
    FUZZ_CHECK(m.labelChars >= 3 && m.labelChars <= 256);
    FUZZ_CHECK(m.menuTipChars >= 2 && m.menuTipChars <= 65534);
    FUZZ_CHECK(m.menuX >= 0 && m.menuX <= 32766 && m.menuY >= 0 && m.menuY <= 32766);
    MenuSettings menuAgain = m;
    ClampMenuSettings(menuAgain);
    FUZZ_CHECK(std::memcmp(&menuAgain, &m, sizeof m) == 0);
}

bool Same(const Hotkey& a, const Hotkey& b) {
    return a.modifiers == b.modifiers && a.virtualKey == b.virtualKey;
}

void CheckHotkeys(fuzz::Reader& in) {
    const int32_t value = in.I32();
    const Hotkey decoded = DecodeHotkey(value);
    const int32_t encoded = EncodeHotkey(decoded);
    FUZZ_CHECK(encoded >= 0 && encoded <= 0x0FFF);
    FUZZ_CHECK(Same(DecodeHotkey(encoded), decoded));
    FUZZ_CHECK(EncodeHotkey(DecodeHotkey(encoded)) == encoded);
    FUZZ_CHECK((encoded == 0) == IsEmptyHotkey(decoded));
    FUZZ_CHECK((SystemHotkeyModifiers(decoded) & kHotkeyModExtended) == 0);

    const uint32_t control = in.U32();
    const Hotkey fromControl = HotkeyFromControlValue(control);
    FUZZ_CHECK(fromControl.modifiers <= 15 && fromControl.virtualKey <= 0xFF);
    FUZZ_CHECK(Same(HotkeyFromControlValue(ControlValueFromHotkey(fromControl)), fromControl));
    FUZZ_CHECK(Same(DecodeHotkey(EncodeHotkey(fromControl)), fromControl));

    HotkeySettings group;
    for (Hotkey& slot : group.slots) slot = DecodeHotkey(in.U16() % 4 == 0 ? 0 : in.I32() & 0x3F03);
    const HotkeySettings before = group;
    DropDuplicateHotkeys(group);
    for (size_t i = 0; i < kHotkeySlotCount; ++i) {
        FUZZ_CHECK(IsEmptyHotkey(group.slots[i]) || Same(group.slots[i], before.slots[i]));
        for (size_t j = i + 1; j < kHotkeySlotCount; ++j)
            FUZZ_CHECK(!SameHotkey(group.slots[i], group.slots[j]));
        // A slot whose assignment no other slot had keeps it.
        size_t equal = 0;
        for (size_t j = 0; j < kHotkeySlotCount; ++j)
            equal += Same(before.slots[i], before.slots[j]);
        if (equal == 1) FUZZ_CHECK(Same(group.slots[i], before.slots[i]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    CheckClamps(in);
    CheckHotkeys(in);
    const std::string text = in.Text();
    int32_t parsed = 12345, expected = 12345;
    const bool ok = ParseProfileInt(text.c_str(), parsed);
    FUZZ_CHECK(ok == ReferenceParse(text, expected));
    FUZZ_CHECK(parsed == expected);
    return 0;
}
