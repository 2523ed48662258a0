// Rules of the edit pad that need no window.
#include "editpad/padrules.h"

#include <memory>

#include "TOOLS/tooltext.h"

EditPadMenuStates DecideEditPadMenuStates(const EditPadFacts& facts) {
    unsigned low =
        facts.selectionStart < facts.selectionEnd ? facts.selectionStart : facts.selectionEnd;
    unsigned high =
        facts.selectionStart < facts.selectionEnd ? facts.selectionEnd : facts.selectionStart;
    unsigned selected = high - low;
    return EditPadMenuStates{facts.canUndo, facts.clipboardHasText, selected != 0,
                             selected != facts.textLength};
}

const char* ImeMenuText(bool imeOpen) {
    return imeOpen ? "日本語入力 - オフ(&L)" : "日本語入力 - オン(&O)";
}

std::string SuggestedOutputName(int day, int hour, int minute, int second) {
    char name[32];
    tooltext::FormatBounded(name, sizeof name, "%02d%02d%02d%02d.txt", day, hour, minute, second);
    return name;
}

TextRow ConfirmedTextRow(const TextRow& start, std::u16string_view shown,
                         std::u16string_view confirmed, const CodePage& codePage) {
    if (confirmed == shown) return start;
    TextRow row{codePage.bytesOf(confirmed), nullptr};
    if (codePage.textOf(row.text) != confirmed)
        row.exact = std::make_shared<const std::u16string>(confirmed);
    return row;
}
