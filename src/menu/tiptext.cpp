// Menu tip text, width and position.
#include "menu/tiptext.h"

#include "TOOLS/tooltext.h"

size_t TipBufferSize(int tipLimit) {
    return tipLimit > 0 ? static_cast<size_t>(tipLimit) + 1 : 1;
}

size_t CopyTipText(char* buffer, int tipLimit, const char* text) {
    return tooltext::CopyBounded(buffer, TipBufferSize(tipLimit), text);
}

std::u16string TipTextW(int tipLimit, std::u16string_view text) {
    const size_t limit = tipLimit > 0 ? static_cast<size_t>(tipLimit) : 0;
    return std::u16string(text.substr(0, tooltext::WideCutLength(text.data(), text.size(), limit)));
}

std::u16string TipFromComputer(std::u16string_view computer, std::u16string_view tip) {
    std::u16string text(computer);
    text += u" からの履歴\n";
    text += tip;
    return text;
}

int TipMaxWidth(int screenWidth) { return screenWidth * 7 / 8; }

TipPoint TipPosition(int cursorX, int cursorY) { return {cursorX + 8, cursorY + 16}; }

int TipItemId(bool hasMenu, bool highlighted, unsigned itemId) {
    return hasMenu && highlighted ? static_cast<int>(itemId) : -1;
}
