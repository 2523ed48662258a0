// Clipboard formats by which a copying program asks clipboard tools not to keep its content.
#include "TOOLS/clipmarks.h"

namespace {

struct MarkerName {
    const char* name;
    ClipboardMarker marker;
};

// "CanUploadToCloudClipboard" only concerns copies sent off the machine; a local tool keeps
// what it says no to uploading, so it is not listed.
constexpr MarkerName kMarkers[] = {
    {"Clipboard Viewer Ignore", ClipboardMarker::Ignore},
    {"ExcludeClipboardContentFromMonitorProcessing", ClipboardMarker::Ignore},
    {"CanIncludeInClipboardHistory", ClipboardMarker::IgnoreWhenZero},
};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAsciiIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

ClipboardMarker MarkerOfFormatName(const char* name) {
    for (const MarkerName& entry : kMarkers) {
        if (SameAsciiIgnoringCase(name, entry.name)) return entry.marker;
    }
    return ClipboardMarker::None;
}

bool MarkerIgnoresChange(ClipboardMarker marker, const void* data, size_t size) {
    if (marker != ClipboardMarker::IgnoreWhenZero) return marker == ClipboardMarker::Ignore;
    if (size < 4) return false;
    // A DWORD is 0 in either byte order when all four of its bytes are.
    const unsigned char* b = static_cast<const unsigned char*>(data);
    return (b[0] | b[1] | b[2] | b[3]) == 0;
}
