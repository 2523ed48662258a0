// The notification icon's tip made from a clipboard text. Pure.
#pragma once

#include <string>

constexpr size_t kIconTipBytes = 64;  // the tip field, NUL included

// Control bytes skipped (lines join), at most 63 bytes, 62 when byte 62 would start a
// double-byte character.
std::string BuildIconTip(const char* text);
