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

// The room a control leaves its text, in pixels: its client width less what it draws beside the
// text (the check box, the button's frame, the group box's indents); -1 for no text label.
int TextRoom(HWND control, int clientWidth, int zeroWidth) {
    char cls[32] = "";
    GetClassNameA(control, cls, sizeof cls);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (lstrcmpiA(cls, "Static") == 0) {
        LONG type = style & SS_TYPEMASK;
        bool text = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
                    type == SS_LEFTNOWORDWRAP;
        return text ? clientWidth : -1;
    }
    if (lstrcmpiA(cls, "Button") != 0) return -1;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return clientWidth - 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return clientWidth - MulDiv(13, SystemDpi(), 96) - zeroWidth / 2;
    case BS_GROUPBOX: return clientWidth - 2 * zeroWidth;
    default: return -1;
    }
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
    int room = TextRoom(control, client.right, TextExtent(dc, "0").cx);
    char cls[32] = "";
    GetClassNameA(control, cls, sizeof cls);
    bool prefixes =
        lstrcmpiA(cls, "Static") != 0 || !(GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX);
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

class Labels : public testenv::DialogFixture {
protected:
    Labels() : DialogFixture("") {}

    void SetUp() override {
        DialogFixture::SetUp();
        const char* expected = std::getenv("QM_EXPECT_DPI");
        if (expected) {
            ASSERT_EQ(SystemDpi(), std::atoi(expected)) << "the prefix's LogPixels";
        }
        store = createTextStore();
        ASSERT_TRUE(store);
    }
    void TearDown() override {
        destroyTextStore(store);
        DialogFixture::TearDown();
    }

    // Opens the dialog through show, collects its cut labels from inside its loop and cancels it.
    std::string CutLabelsOf(const char* caption, const std::function<void()>& show) {
        std::string cut;
        HWND found = nullptr;
        testenv::DriveModal(
            [&] {
                show();
                return INT_PTR{0};
            },
            {[&] { return (found = testenv::FindDialog(caption)) != nullptr; },
             [&] {
                 EnumChildWindows(found, CollectCut, reinterpret_cast<LPARAM>(&cut));
                 PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
                 return true;
             }});
        EXPECT_TRUE(found) << caption << " did not open";
        return cut;
    }

    TextStore* store = nullptr;
};

TEST_F(Labels, EveryDialogShowsEveryLabelWhole) {
    const struct {
        const char* caption;
        std::function<void()> show;
    } dialogs[] = {
        {"設定の変更", [&] { ShowSettingsDialog(owner, settings); }},
        {"ホットキーの設定", [&] { ShowHotkeyDialog(owner, settings.hotkeys); }},
        {"登録テキストの編集", [&] { ShowRegisteredTextDialog(owner, *store); }},
        {"テキストの編集", [&] { ShowEditPad(owner, "x"); }},
        {"Quillmate について",
         [&] { ShowAboutBox(owner, "https://quillmate.example/support/index.html"); }},
    };
    for (const auto& d : dialogs) {
        EXPECT_EQ(CutLabelsOf(d.caption, d.show), "")
            << d.caption << " at " << SystemDpi() << " DPI";
    }
}

}  // namespace
