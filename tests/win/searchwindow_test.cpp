// The history search window in-process under Wine: the real main window and store, keys pressed
// in the field, choices landing on the real clipboard.
#include "search/searchwindow.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/appshell.h"
#include "app/startup.h"
#include "resource.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "store/listsaver.h"
#include "store/textstore.h"
#include "support/testenv.h"
#include "TOOLS/toolsys.h"

namespace {

using testenv::PumpMessages;

constexpr const char* kCaption = "履歴の検索";

class SearchWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(settings_);
        SetDefaultHotkeys(settings_.hotkeys);
        settings_.history.animateIcon = false;
        settings_.history.historyCount = 100;
        ClearClipboard(nullptr);
        mutex_ = CreateMainWindow(GetModuleHandleA(nullptr), &settings_);
        ASSERT_NE(mutex_, nullptr);
        main_ = FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_NAME);
        ASSERT_NE(main_, nullptr);
        PumpMessages(100);
    }
    void TearDown() override {
        testenv::HoldKeys({});
        if (main_ && IsWindow(main_)) DestroyWindow(main_);
        PumpMessages(50);
        if (mutex_) CloseHandle(mutex_);
    }

    TextStore& Store() { return *GetTextStore(main_); }
    // History texts given oldest first, so the last one is the newest.
    void History(const std::vector<std::string>& texts) {
        for (const std::string& text : texts) recordHistoryText(Store(), 100, text.c_str());
    }

    HWND Open() {
        SendMessageA(main_, WM_COMMAND, IDM_SEARCH_HISTORY, 0);
        PumpMessages(50);
        return Window();
    }
    static HWND Window() { return FindWindowA("#32770", kCaption); }
    static HWND Item(int id) { return GetDlgItem(Window(), id); }

    // A key pressed in the field, with the modifiers held.
    static void Press(WPARAM key, std::initializer_list<int> modifiers = {}) {
        testenv::HoldKeys(modifiers);
        SendMessageA(Item(IDC_SEARCH_FIELD), WM_KEYDOWN, key, 0);
        testenv::HoldKeys({});
        PumpMessages(20);
    }
    static void Type(const char* text) {
        SetWindowTextA(Item(IDC_SEARCH_FIELD), text);
        PumpMessages(20);
    }

    static int Count() {
        return static_cast<int>(SendMessageA(Item(IDC_SEARCH_LIST), LB_GETCOUNT, 0, 0));
    }
    static int Highlight() {
        return static_cast<int>(SendMessageA(Item(IDC_SEARCH_LIST), LB_GETCURSEL, 0, 0));
    }
    static std::string Text(int id) {
        char text[8192] = "";
        GetWindowTextA(Item(id), text, sizeof text);
        return text;
    }
    static std::string Clipboard() {
        std::vector<char> copy = ReadClipboardFormat(nullptr, CF_TEXT);
        return copy.empty() ? "<none>" : copy.data();
    }
    std::string Ini(const char* section, const char* key) {
        char value[64];
        GetPrivateProfileStringA(section, key, "-", value, sizeof value,
                                 folder_.file("quillmate.ini").c_str());
        return value;
    }

    testenv::TempModuleFolder folder_;
    AppSettings settings_;
    HANDLE mutex_ = nullptr;
    HWND main_ = nullptr;
};

int CountSearchWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM counter) {
            char caption[64] = "";
            GetWindowTextA(window, caption, sizeof caption);
            if (std::string(caption) == kCaption) ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// With the history off too: the window opens from its menu item's command on top with the
// focus in its field, lists the registered texts (marked) before the history, newest first,
// and a second opening only brings it forward.
TEST_F(SearchWindowTest, OpensOnTopListsEverythingAndComesForwardOnceMore) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_COMMAND_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    int below = -1;
    for (int i = 0; i + 1 < GetMenuItemCount(popup); ++i)
        if (GetMenuItemID(popup, i) == IDM_EDIT_REGISTERED)
            below = static_cast<int>(GetMenuItemID(popup, i + 1));
    char label[64] = "";
    GetMenuStringA(popup, IDM_SEARCH_HISTORY, label, sizeof label, MF_BYCOMMAND);
    DestroyMenu(menu);
    EXPECT_EQ(below, IDM_SEARCH_HISTORY);
    EXPECT_STREQ(label, "履歴の検索(&F)...");

    History({"older", "newer"});
    registerText(Store(), "kept");
    SendMessageA(main_, WM_COMMAND, IDM_HISTORY_ON_OFF, 0);
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetFocus(), Item(IDC_SEARCH_FIELD));
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Highlight(), 0);
    EXPECT_EQ(Text(IDC_SEARCH_PREVIEW), "kept");
    EXPECT_EQ(Text(IDC_SEARCH_STATUS), "3 / 3 件");
    Press(VK_DOWN);
    EXPECT_EQ(Text(IDC_SEARCH_PREVIEW), "newer");
    UpdateWindow(window);  // paints the rows

    EXPECT_EQ(Open(), window);
    EXPECT_EQ(CountSearchWindows(), 1);
}

// Its hotkey opens it like the command, and the hotkey's return to the window that was active
// before (none: another program was) leaves it active with the focus in its field.
TEST_F(SearchWindowTest, TheHotkeyOpensItActiveWithTheFocusInTheField) {
    SetActiveWindow(nullptr);
    SendMessageA(main_, WM_HOTKEY, IDM_SEARCH_HISTORY, 0);
    PumpMessages(50);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(GetActiveWindow(), Window());
    EXPECT_EQ(GetFocus(), Item(IDC_SEARCH_FIELD));
}

TEST_F(SearchWindowTest, TypedWordsNarrowAndKeysMoveTheHighlightInTheField) {
    std::vector<std::string> texts;
    for (int i = 1; i <= 40; ++i) texts.push_back("item " + std::to_string(i) + "\r\nline two");
    texts.push_back("会議の資料 ＩＴＥＭ");
    History(texts);
    Open();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Count(), 41);
    Type("ITEM 　2");  // 2, 12, 20..29, 32
    EXPECT_EQ(Count(), 13);
    EXPECT_EQ(Text(IDC_SEARCH_STATUS), "13 / 41 件");
    EXPECT_EQ(Text(IDC_SEARCH_PREVIEW), "item 32\r\nline two");
    Type("item 資料");
    EXPECT_EQ(Count(), 1);
    Type("");
    EXPECT_EQ(Count(), 41);

    HWND field = Item(IDC_SEARCH_FIELD);
    Press(VK_DOWN);
    Press(VK_DOWN);
    EXPECT_EQ(Highlight(), 2);
    Press(VK_UP);
    EXPECT_EQ(Highlight(), 1);
    Press(VK_NEXT);
    int page = Highlight() - 1;
    EXPECT_GT(page, 1);
    Press(VK_PRIOR);
    EXPECT_EQ(Highlight(), 1);
    Press(VK_END, {VK_CONTROL});
    EXPECT_EQ(Highlight(), 40);
    EXPECT_EQ(Text(IDC_SEARCH_PREVIEW), "item 1\r\nline two");
    Press(VK_HOME);  // without Ctrl it is the field's own key
    EXPECT_EQ(Highlight(), 40);
    Press(VK_HOME, {VK_CONTROL});
    EXPECT_EQ(Highlight(), 0);
    Press(VK_UP);
    EXPECT_EQ(Highlight(), 0);
    EXPECT_EQ(GetFocus(), field);

    // A click in the list leaves the focus in the field.
    SetFocus(Item(IDC_SEARCH_LIST));
    PumpMessages(50);
    EXPECT_EQ(GetFocus(), field);
}

TEST_F(SearchWindowTest, EnterChoosesAsTheMenuDoesAndEscCloses) {
    History({"first text", "second text"});
    Open();
    Type("nothing like it");
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(Text(IDC_SEARCH_PREVIEW), "");
    Press(VK_RETURN);
    ASSERT_NE(Window(), nullptr) << "Enter with nothing matching does nothing";
    EXPECT_EQ(Clipboard(), "<none>");

    Type("FIRST");
    Press(VK_RETURN, {VK_SHIFT});
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(Clipboard(), "first text");
    EXPECT_TRUE(isRegistered(Store(), "first text")) << "Shift+Enter registers a history text";

    Open();
    Type("second");
    Press(VK_RETURN);
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(Clipboard(), "second text");
    EXPECT_FALSE(isRegistered(Store(), "second text"));

    Open();
    Press(VK_ESCAPE);
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(Clipboard(), "second text");
    EXPECT_EQ(Ini(kCaption, "常に最前面に表示"), "1");

    // A double click chooses as Enter does.
    Open();
    Type("first");
    HWND list = Item(IDC_SEARCH_LIST);
    SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
    PumpMessages(20);
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(Clipboard(), "first text");
}

// A text the code page cannot hold is found by its exact form, shown whole and chosen whole.
TEST_F(SearchWindowTest, AnExactTextIsFoundShownAndChosenWhole) {
    const std::u16string exact = u"caf\x00E9 \xD55C\xAD6D";
    recordHistoryText(Store(), 100, "caf? ??", std::make_shared<const std::u16string>(exact));
    History({"caf? ?? in bytes"});
    Open();
    SetWindowTextW(Item(IDC_SEARCH_FIELD), L"CAF\x00E9");
    PumpMessages(20);
    ASSERT_EQ(Count(), 1);
    wchar_t preview[64] = L"";
    GetWindowTextW(Item(IDC_SEARCH_PREVIEW), preview, 64);
    EXPECT_EQ(std::u16string(preview, preview + wcslen(preview)), exact);
    UpdateWindow(Window());
    Press(VK_RETURN);
    EXPECT_EQ(Window(), nullptr);
    std::vector<char> unicode = ReadClipboardFormat(nullptr, CF_UNICODETEXT);
    ASSERT_GE(unicode.size(), exact.size() * 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(unicode.data()), exact.size()),
              exact);
}

// The history changes under the open window: a row whose text went is drawn blank and is not
// chosen; the list is matched again instead.
TEST_F(SearchWindowTest, ARowWhoseTextWentIsNeitherDrawnNorChosen) {
    History({"gone soon"});
    registerText(Store(), "stays");
    HWND window = Open();
    Press(VK_DOWN);
    ASSERT_EQ(Text(IDC_SEARCH_PREVIEW), "gone soon");
    SendMessageA(main_, WM_COMMAND, IDM_CLEAR_HISTORY, 0);
    InvalidateRect(Item(IDC_SEARCH_LIST), nullptr, TRUE);
    UpdateWindow(window);
    Press(VK_RETURN);
    EXPECT_EQ(Window(), window);
    EXPECT_EQ(Clipboard(), "<none>");
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Text(IDC_SEARCH_PREVIEW), "stays");
}

// Copies while the window is open: it is matched again at once, the highlight stays on its text
// while that is listed, and Enter gives the text the preview shows, never the newer copy that
// took over its id.
TEST_F(SearchWindowTest, EnterGivesTheTextShownWhileTheHistoryChanges) {
    settings_.history.historyCount = 3;
    for (const char* text : {"oldest", "middle", "newest"}) recordHistoryText(Store(), 3, text);
    Open();
    Press(VK_END, {VK_CONTROL});
    ASSERT_EQ(Text(IDC_SEARCH_PREVIEW), "oldest");
    const int id = idAt(Store(), ListKind::History, 2);
    recordHistoryText(Store(), 3, "copy-1");  // "oldest" goes: the row at its place instead
    PumpMessages(20);
    EXPECT_EQ(Text(IDC_SEARCH_PREVIEW), "middle");
    Press(VK_UP);
    ASSERT_EQ(Text(IDC_SEARCH_PREVIEW), "newest");
    recordHistoryText(Store(), 3, "copy-2");
    ASSERT_STREQ(textOfId(Store(), id), "copy-2");  // the id of "oldest" was taken over
    PumpMessages(20);
    EXPECT_EQ(Highlight(), 2);
    EXPECT_EQ(Text(IDC_SEARCH_STATUS), "3 / 3 件");
    const std::string shown = Text(IDC_SEARCH_PREVIEW);
    EXPECT_EQ(shown, "newest");
    Press(VK_RETURN);
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(Clipboard(), shown);
}

// Quitting with the window open closes it first; its size is remembered, the history kept.
TEST_F(SearchWindowTest, QuitClosesTheWindowAndKeepsItsPlacementAndTheHistory) {
    History({"kept across the quit"});
    HWND window = Open();
    RECT r = {};
    GetWindowRect(window, &r);
    int width = r.right - r.left + 60;
    SetWindowPos(window, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    DestroyWindow(main_);
    PumpMessages(50);
    waitForListSaves();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Ini(kCaption, "幅"), std::to_string(width));
    EXPECT_EQ(testenv::ReadFileBytes(folder_.file("quillmate.hst")),
              std::string("kept across the quit\0", 21));
}

}  // namespace
