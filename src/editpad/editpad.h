// The edit pad: the modal dialog in which a text is written or changed before it is registered.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "store/textstore.h"

// Opens the pad modally over owner on initial, or on the clipboard's text when initial is null,
// and returns the confirmed text (an empty one when an empty pad was confirmed) in the form of
// ConfirmedTextRow: as it started when left as shown, else its code-page bytes with its exact form
// where those bytes lose something. Nothing when the user cancelled. Returns nothing at once,
// showing no window, while owner carries PROP_DIALOG (another pad or the registered-text dialog
// is open over it); otherwise PROP_DIALOG is set on owner for the time of the pad.
std::optional<TextRow> ShowEditPad(HWND owner, const TextRow* initial);

// Test hook. When set, ShowEditPad calls it instead of showing the pad, with the same owner and
// initial text, under the same rule (returns nothing without calling it while owner carries
// PROP_DIALOG; PROP_DIALOG is set on owner during the call). It answers what the user leaves in
// the pad, for OK, or nothing for Cancel; ShowEditPad makes of it what it makes of the pad's
// text. An empty function brings the real pad back.
using EditPadAnswer =
    std::function<std::optional<std::u16string>(HWND owner, const TextRow* initial)>;
void SetEditPadTestHook(EditPadAnswer answer);
