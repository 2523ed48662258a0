// Rules of the edit pad that need no window: its menu states, the IME item's text, the name
// it suggests for a text written to a file and the form a confirmed text is kept in.
#pragma once

#include <string>
#include <string_view>

#include "store/textstore.h"

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

// The program's code page as the pad's rule needs it: a text's bytes, and the text bytes give.
struct CodePage {
    std::string (*bytesOf)(std::u16string_view text);
    std::u16string (*textOf)(std::string_view bytes);
};

// The form of a text confirmed in the pad. Left as it was shown, it keeps the form it started
// with. Changed, it becomes its code-page bytes, with itself beside them as its exact form exactly
// when those bytes do not give it back (the code page lacks a character or maps it one way only).
TextRow ConfirmedTextRow(const TextRow& start, std::u16string_view shown,
                         std::u16string_view confirmed, const CodePage& codePage);
