// Which clipboard formats ask a clipboard tool to pass a change over.
#include "TOOLS/clipmarks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ClipboardMarkers, NamesAreMatchedWholeAndWithoutRegardToAsciiCase) {
    struct Case {
        const char* name;
        ClipboardMarker marker;
    };
    const Case cases[] = {
        {"Clipboard Viewer Ignore", ClipboardMarker::Ignore},
        {"CLIPBOARD viewer ignore", ClipboardMarker::Ignore},
        {"ExcludeClipboardContentFromMonitorProcessing", ClipboardMarker::Ignore},
        {"CanIncludeInClipboardHistory", ClipboardMarker::IgnoreWhenZero},
        {"canincludeinclipboardhistory", ClipboardMarker::IgnoreWhenZero},
        {"CanUploadToCloudClipboard", ClipboardMarker::None},
        {"Clipboard Viewer Ignor", ClipboardMarker::None},
        {"Clipboard Viewer Ignore ", ClipboardMarker::None},
        {"Clipboard Viewer Ignore2", ClipboardMarker::None},
        {"", ClipboardMarker::None},
        {"HTML Format", ClipboardMarker::None},
    };
    for (const Case& c : cases) EXPECT_EQ(MarkerOfFormatName(c.name), c.marker) << c.name;
}

TEST(ClipboardMarkers, OnlyAZeroDwordOfTheHistoryMarkerIgnores) {
    struct Case {
        ClipboardMarker marker;
        std::string value;
        bool ignores;
    };
    const Case cases[] = {
        {ClipboardMarker::Ignore, "", true},
        {ClipboardMarker::Ignore, std::string("\1\0\0\0", 4), true},
        {ClipboardMarker::IgnoreWhenZero, std::string(4, '\0'), true},
        {ClipboardMarker::IgnoreWhenZero, std::string("\0\0\0\0\7", 5), true},
        {ClipboardMarker::IgnoreWhenZero, std::string("\1\0\0\0", 4), false},
        {ClipboardMarker::IgnoreWhenZero, std::string("\0\0\0\x80", 4), false},
        {ClipboardMarker::IgnoreWhenZero, std::string(3, '\0'), false},
        {ClipboardMarker::IgnoreWhenZero, "", false},
        {ClipboardMarker::None, std::string(4, '\0'), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MarkerIgnoresChange(c.marker, c.value.data(), c.value.size()), c.ignores)
            << static_cast<int>(c.marker) << " with " << c.value.size() << " bytes";
    }
    EXPECT_FALSE(MarkerIgnoresChange(ClipboardMarker::IgnoreWhenZero, nullptr, 0));
}

}  // namespace
