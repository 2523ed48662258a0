// The edit pad: the modal dialog in which a text is written or changed before it is registered.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// Opens the pad modally over owner and returns the confirmed text (an empty string when an empty
// pad was confirmed), or nothing when the user cancelled. Returns nothing at once, showing no
// window, while owner carries PROP_DIALOG (another pad or the registered-text dialog is open over
// it); otherwise PROP_DIALOG is set on owner for the time of the pad and cleared after it.
// Without an initial text (null) the pad starts with the clipboard's text.
std::optional<std::string> ShowEditPad(HWND owner, const char* initialText);

// Test hook. When set, ShowEditPad calls it instead of showing the pad, with the same owner and
// initial text, under the same rule (returns nothing without calling it while owner carries
// PROP_DIALOG; PROP_DIALOG is set on owner during the call), and returns what it answers:
// a text for OK, nothing for Cancel. An empty function brings the real pad back.
using EditPadAnswer =
    std::function<std::optional<std::string>(HWND owner, const char* initialText)>;
void SetEditPadTestHook(EditPadAnswer answer);
