// The line-transform popup opened by a right-button release on a text item.
#include "app/appshell.h"
#include "menu/linetransform.h"
#include "menu/textmenu.h"
#include "store/textstore.h"
#include "TOOLS/toolsys.h"

namespace {

// The chosen transform's id 1..8, or 0 when the popup was dismissed.
int TrackTransformPopup(HWND mainWindow) {
    HMENU popup = CreatePopupMenu();
    if (!popup) return 0;
    for (int i = 0; i < kLineTransformCount; ++i)
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(i + 1),
                    WideChars(WideFromAnsi(kLineTransforms[i].label)));
    POINT cursor = {};
    GetCursorPos(&cursor);
    int chosen = TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON |
                                             TPM_RECURSE,
                                  cursor.x, cursor.y, mainWindow, nullptr);
    DestroyMenu(popup);
    return chosen;
}

void PutTransformedText(HWND mainWindow, int transformId, int textId) {
    // The popup's loop may have changed the lists: look the text up again.
    const TextStore* store = GetTextStore(mainWindow);
    const TextEntry* entry = store ? entryOfId(*store, textId) : nullptr;
    if (!entry) return;
    withTextForm(
        *entry,
        [&](const std::u16string& exact) {
            std::u16string result;
            if (ApplyLineTransformW(transformId, exact, result))
                SetClipboardText(mainWindow, AnsiFromWide(result).c_str(), &result);
        },
        [&](const std::string& bytes) {
            std::vector<char> result;
            if (ApplyLineTransform(transformId, bytes.c_str(), result))
                SetClipboardText(mainWindow, result.data());
        });
}

}  // namespace

LRESULT OnMenuRButtonUp(HWND mainWindow, WPARAM wParam, LPARAM lParam) {
    int textId = static_cast<int>(GetMenuItemID(reinterpret_cast<HMENU>(lParam),
                                                static_cast<int>(wParam)));
    const TextStore* store = GetTextStore(mainWindow);
    if (!store || !textOfId(*store, textId)) return 0;
    int transformId = TrackTransformPopup(mainWindow);
    if (transformId != 0) PutTransformedText(mainWindow, transformId, textId);
    SendMessageA(mainWindow, WM_CANCELMODE, 0, 0);
    return 0;
}
