// Menu tip text, width and position.
#include "menu/tiptext.h"

#include "TOOLS/tooltext.h"

size_t TipBufferSize(int tipLimit) {
    return tipLimit > 0 ? static_cast<size_t>(tipLimit) + 1 : 1;
}

size_t CopyTipText(char* buffer, int tipLimit, const char* text) {
    return tooltext::CopyBounded(buffer, TipBufferSize(tipLimit), text);
}

int TipMaxWidth(int screenWidth) { return screenWidth * 7 / 8; }

TipPoint TipPosition(int cursorX, int cursorY) { return {cursorX + 8, cursorY + 16}; }

int TipItemId(bool hasMenu, bool highlighted, unsigned itemId) {
    return hasMenu && highlighted ? static_cast<int>(itemId) : -1;
}
