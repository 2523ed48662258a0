// The about box and the link label on real windows: texts from the version resource, sizing,
// bring-forward, the resource meter kept to the system folder, hover and click of the link.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "about/aboutbox.h"
#include "about/linklabel.h"
#include "resource.h"
#include "support/testenv.h"
#include "TOOLS/toolwind.h"
#include "version.h"

namespace {

using testenv::PumpMessages;

std::string ItemText(HWND dialog, int id) {
    return CopyWindowText(GetDlgItem(dialog, id));
}

std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (std::string(name) == "#32770" && IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs the about box; inspect sees it from inside its modal loop, then it is cancelled. A
// second box (a fault) is closed by the fallback timer so the test cannot hang.
std::function<void(HWND)> g_inspect;
void RunAboutBox(const char16_t* url, std::function<void(HWND)> inspect) {
    g_inspect = std::move(inspect);
    UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        std::vector<HWND> dialogs = ThreadDialogs();
        if (dialogs.empty()) return;
        KillTimer(nullptr, id);
        g_inspect(dialogs.front());
        PostMessageA(dialogs.front(), WM_COMMAND, IDCANCEL, 0);
    });
    UINT_PTR fallback = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) {
        for (HWND dialog : ThreadDialogs()) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ShowAboutBox(nullptr, url);
    KillTimer(nullptr, timer);
    KillTimer(nullptr, fallback);
}

int TextWidth(HWND item) {
    std::string text = CopyWindowText(item);
    HDC dc = GetDC(item);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(item, dc);
    return extent.cx;
}

TEST(AboutBox, ShowsVersionTextsAndFitsTheWidestLine) {
    const std::string shown = "https://c-seed-6edc21d3.example/quillmate/docs/a-rather-long-support-page";
    const std::u16string wide(shown.begin(), shown.end());
    const char16_t* url = wide.c_str();
    bool inspected = false;
    RunAboutBox(url, [&](HWND dialog) {
        inspected = true;
        EXPECT_EQ(CopyWindowText(dialog), "Quillmate について");
        EXPECT_EQ(ItemText(dialog, IDC_ABOUT_NAME),
                  std::string("Quillmate ver. ") + QM_VERSION_TEXT);
        EXPECT_EQ(ItemText(dialog, IDC_ABOUT_LINK), shown);

        // The link is the widest line: it ends 7 dialog units before the client edge.
        HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
        RECT linkRect, client, margin = {0, 0, 7, 0};
        GetWindowRect(link, &linkRect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&linkRect), 2);
        GetClientRect(dialog, &client);
        MapDialogRect(dialog, &margin);
        EXPECT_EQ(linkRect.right - linkRect.left, TextWidth(link));
        EXPECT_NEAR(client.right - linkRect.right, margin.right, 1);

        SIZE box = GetWindowSize(dialog), ok = GetWindowSize(GetDlgItem(dialog, IDOK));
        RECT boxRect, okRect;
        GetWindowRect(dialog, &boxRect);
        GetWindowRect(GetDlgItem(dialog, IDOK), &okRect);
        EXPECT_EQ(okRect.left - boxRect.left, (box.cx - ok.cx) / 2);

        // Asked again while open: the same box comes forward, no second one.
        ShowAboutBox(nullptr, url);
        EXPECT_EQ(ThreadDialogs(), std::vector<HWND>{dialog});
    });
    EXPECT_TRUE(inspected);
    EXPECT_TRUE(ThreadDialogs().empty());
}

TEST(AboutBox, PlantedResourceMeterBesideTheExecutableIsNotLoaded) {
    std::string planted = testenv::PlantLibrary("rsrc32.dll");
    ASSERT_FALSE(planted.empty());
    SetCurrentDirectoryA(planted.substr(0, planted.rfind('\\')).c_str());
    std::string resources = "unread";
    RunAboutBox(u"x", [&](HWND dialog) { resources = ItemText(dialog, IDC_ABOUT_RESOURCES); });
    EXPECT_FALSE(testenv::PlantedLibraryWasLoaded());
    EXPECT_EQ(resources, "");  // the system folder has no resource meter under Wine
    DeleteFileA(planted.c_str());
}

// Link label ---------------------------------------------------------------------------------

struct Parent {
    bool reflect = true;
    int clicks = 0;
    int moves = 0;
    int leaves = 0;
} g_parent;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == LLN_CLICK) ++g_parent.clicks;
        if (header->code == LLN_MOUSEMOVE) ++g_parent.moves;
        if (header->code == LLN_MOUSELEAVE) ++g_parent.leaves;
        if (g_parent.reflect && header->code != LLN_CLICK)
            return SendMessageA(header->hwndFrom, WM_NOTIFY, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class LinkLabel : public testing::Test {
protected:
    void SetUp() override {
        g_parent = Parent{};
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QmLinkParent";
        RegisterClassA(&wc);
        parent = CreateWindowExA(0, "QmLinkParent", "parent", WS_POPUP | WS_VISIBLE, 200, 200, 300,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(parent);
        label =
            CreateWindowExA(0, "STATIC", "WWWWWWWWWW", WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, 200,
                            30, parent, reinterpret_cast<HMENU>(INT_PTR{102}), nullptr, nullptr);
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FONT)), 0);
        PumpMessages(50);
    }
    void TearDown() override { DestroyWindow(parent); }

    POINT Inside() { return {210 + 20, 210 + 10}; }
    POINT Outside() { return {210 + 250, 210 + 70}; }
    void MouseTo(POINT at, UINT message = WM_MOUSEMOVE) {
        SetCursorPos(at.x, at.y);
        ScreenToClient(label, &at);
        SendMessageA(label, message, 0, MAKELPARAM(at.x, at.y));
    }
    // Which of the two link colours the painted label shows.
    bool Shows(COLORREF colour) {
        RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(label);
        bool seen = false;
        for (int y = 0; y < 30 && !seen; ++y)
            for (int x = 0; x < 200 && !seen; ++x) seen = GetPixel(dc, x, y) == colour;
        ReleaseDC(label, dc);
        return seen;
    }

    HWND parent = nullptr;
    HWND label = nullptr;
};

const COLORREF kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);

TEST_F(LinkLabel, TurnsRedWhileHoveredAndBlueWhenTheTimerSeesTheCursorLeave) {
    ASSERT_TRUE(MakeLinkLabel(label));
    EXPECT_TRUE(Shows(kBlue));
    MouseTo(Inside());
    EXPECT_EQ(g_parent.moves, 1);
    EXPECT_TRUE(Shows(kRed));
    EXPECT_FALSE(Shows(kBlue));
    SetCursorPos(Outside().x, Outside().y);  // no further move reaches the label
    PumpMessages(300);
    EXPECT_EQ(g_parent.leaves, 1);
    EXPECT_TRUE(Shows(kBlue));
    EXPECT_FALSE(Shows(kRed));
}

TEST_F(LinkLabel, StaysBlueWhenTheParentDoesNotReflect) {
    g_parent.reflect = false;
    ASSERT_TRUE(MakeLinkLabel(label));
    MouseTo(Inside());
    EXPECT_EQ(g_parent.moves, 1);
    EXPECT_TRUE(Shows(kBlue));
    EXPECT_FALSE(Shows(kRed));
}

TEST_F(LinkLabel, ClicksOnlyWhenReleasedInside) {
    ASSERT_TRUE(MakeLinkLabel(label));
    MouseTo(Inside(), WM_LBUTTONDOWN);
    EXPECT_EQ(GetCapture(), label);
    MouseTo(Outside(), WM_LBUTTONUP);
    EXPECT_EQ(g_parent.clicks, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    MouseTo(Inside(), WM_LBUTTONDOWN);
    MouseTo(Inside(), WM_LBUTTONUP);
    EXPECT_EQ(g_parent.clicks, 1);
}

TEST_F(LinkLabel, StaticWithoutFontStaysPlain) {
    HWND plain = CreateWindowExA(0, "STATIC", "x", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr,
                                 nullptr);
    LONG_PTR procedure = GetWindowLongPtrA(plain, GWLP_WNDPROC);
    EXPECT_FALSE(MakeLinkLabel(plain));
    EXPECT_EQ(GetWindowLongPtrA(plain, GWLP_WNDPROC), procedure);
}

}  // namespace
