// Rules of the edit pad that need no window: its menu states, the IME item's text and the name
// it suggests for a text written to a file.
#pragma once

#include <string>

// What the pad's menu states are decided from.
struct EditPadFacts {
    bool canUndo;           // the edit control can undo
    bool clipboardHasText;  // CF_TEXT is available
    unsigned selectionStart;
    unsigned selectionEnd;
    unsigned textLength;
};

struct EditPadMenuStates {
    bool undo;
    bool paste;
    bool cutCopyDelete;  // a selection exists
    bool selectAll;      // something is left unselected
};

EditPadMenuStates DecideEditPadMenuStates(const EditPadFacts& facts);

// The IME item offers the opposite of the present state.
const char* ImeMenuText(bool imeOpen);

// The name suggested for a text written to a file: day of the month, hour, minute and second,
// two digits each, ".txt" (the 3rd at 09:05:07 gives "03090507.txt").
std::string SuggestedOutputName(int day, int hour, int minute, int second);
