// Every label of every dialog fits its control in the dialog's font at the system DPI. The suite
// runs in the usual prefix (96 DPI) and again in one at 144 DPI (QM_EXPECT_DPI says which).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "about/aboutbox.h"
#include "editpad/editpad.h"
#include "regedit/regtextdialog.h"
#include "settings/hotkeydialog.h"
#include "settings/settingsdialog.h"
#include "sync/shareddialog.h"
#include "store/textstore.h"
#include "support/dialogdriver.h"
#include "TOOLS/toolwind.h"

namespace {

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The lines of a label as the control draws them: a lone '&' marks the mnemonic and is not
// drawn, "&&" draws one '&'.
std::vector<std::string> DrawnLines(const std::string& text, bool prefixes) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') lines.emplace_back();
        if (text[i] == '\n' || text[i] == '\r') continue;
        if (prefixes && text[i] == '&' && ++i == text.size()) break;
        lines.back() += text[i];
    }
    return lines;
}

SIZE TextExtent(HDC dc, const std::string& text) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

// The room a control of class cls leaves its text, in pixels: its client width less what it draws
// beside the text (the check box, the button's frame, the group box's indents); -1 for no label.
int TextRoom(const std::string& cls, LONG style, int clientWidth, int zeroWidth) {
    if (cls == "static") {
        LONG type = style & SS_TYPEMASK;
        bool text = type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
        return text ? clientWidth : -1;
    }
    if (cls != "button") return -1;
    LONG type = style & BS_TYPEMASK;
    if (type <= BS_DEFPUSHBUTTON) return clientWidth - 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
    if (type == BS_GROUPBOX) return clientWidth - 2 * zeroWidth;
    bool box = type <= BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
    return box ? clientWidth - MulDiv(13, SystemDpi(), 96) - zeroWidth / 2 : -1;
}

// "\n  id 1030 'text': 200 x 24 px in 180 x 20" for a visible label that is wider or taller than
// its control allows; empty when it fits.
std::string CutLabel(HWND control) {
    std::string text = CopyWindowText(control);
    if (!IsWindowVisible(control) || text.empty()) return "";
    RECT client = {};
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    char name[32] = "";
    GetClassNameA(control, name, sizeof name);
    std::string cls = CharLowerA(name);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    int room = TextRoom(cls, style, client.right, TextExtent(dc, "0").cx);
    bool prefixes = cls != "static" || !(style & SS_NOPREFIX);
    SIZE need = {0, 0};
    for (const std::string& line : DrawnLines(text, prefixes)) {
        SIZE extent = TextExtent(dc, line);
        if (extent.cx > need.cx) need.cx = extent.cx;
        need.cy += extent.cy;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (room < 0 || (need.cx <= room && need.cy <= client.bottom)) return "";
    return "\n  id " + std::to_string(GetDlgCtrlID(control)) + " '" + text +
           "': " + std::to_string(need.cx) + " x " + std::to_string(need.cy) + " px in " +
           std::to_string(room) + " x " + std::to_string(client.bottom);
}

BOOL CALLBACK CollectCut(HWND control, LPARAM all) {
    *reinterpret_cast<std::string*>(all) += CutLabel(control);
    return TRUE;
}

struct Labels : testenv::DialogFixture {
    Labels() : DialogFixture("") {}
};

TEST_F(Labels, EveryDialogShowsEveryLabelWhole) {
    if (const char* expected = std::getenv("QM_EXPECT_DPI")) {
        ASSERT_EQ(SystemDpi(), std::atoi(expected)) << "the prefix's LogPixels";
    }
    TextStore* store = createTextStore();
    ASSERT_TRUE(store);
    const struct {
        const char* caption;
        std::function<void()> show;
    } dialogs[] = {
        {"設定の変更", [&] { ShowSettingsDialog(owner, settings); }},
        {"ホットキーの設定", [&] { ShowHotkeyDialog(owner, settings.hotkeys); }},
        {"登録テキストの編集", [&] { ShowRegisteredTextDialog(owner, *store); }},
        {"テキストの編集", [&] { TextRow x{"x", nullptr}; ShowEditPad(owner, &x); }},
        {"共有フォルダの設定", [&] { ShowSharedFolderDialog(owner, settings.shared); }},
        {"Quillmate について",
         [&] { ShowAboutBox(owner, u"https://quillmate.example/support/index.html"); }},
    };
    for (const auto& d : dialogs) {
        // The labels are measured from inside the dialog's loop; then it is cancelled.
        std::string cut;
        HWND found = nullptr;
        testenv::DriveModal(
            [&] {
                d.show();
                return INT_PTR{0};
            },
            {[&] { return (found = testenv::FindDialog(d.caption)) != nullptr; },
             [&] {
                 EnumChildWindows(found, CollectCut, reinterpret_cast<LPARAM>(&cut));
                 PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
                 return true;
             }});
        EXPECT_TRUE(found) << d.caption << " did not open";
        EXPECT_TRUE(cut.empty()) << d.caption << " at " << SystemDpi() << " DPI:" << cut;
    }
    destroyTextStore(store);
}

}  // namespace
