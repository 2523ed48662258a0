// Clipboard formats by which a copying program asks clipboard tools not to keep its content.
// Pure: no platform calls.
#pragma once

#include <cstddef>

enum class ClipboardMarker {
    None,
    Ignore,          // present at all: pass the change over
    IgnoreWhenZero,  // holds a DWORD; 0 passes the change over
};

// The marker a registered format name stands for. Registered names are atoms, which the system
// compares without regard to ASCII case, so a marker spelt in other capitals is the same format.
ClipboardMarker MarkerOfFormatName(const char* name);

// Whether a marker, given its format's data (size bytes; data may be null when size is 0), asks
// that the change be passed over. A value shorter than a DWORD says nothing.
bool MarkerIgnoresChange(ClipboardMarker marker, const void* data, size_t size);
