// The resident core in-process under Wine: the real main window, viewer chain, clipboard,
// notification icon and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/appshell.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/trayicon.h"
#include "clipboard/capturerules.h"
#include "clipboard/viewerchain.h"
#include "editpad/editpad.h"
#include "resource.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "store/listsaver.h"
#include "store/textstore.h"
#include "support/dialogdriver.h"
#include "support/testenv.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"

namespace {

using testenv::PumpMessages;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(settings_);
        SetDefaultHotkeys(settings_.hotkeys);
        settings_.history.animateIcon = false;
        ClearClipboard(nullptr);
    }
    void TearDown() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        PumpMessages(50);
        if (mutex_) CloseHandle(mutex_);
    }
    void Start() {
        mutex_ = CreateMainWindow(GetModuleHandleA(nullptr), &settings_);
        ASSERT_NE(mutex_, nullptr);
        window_ = FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_NAME);
        ASSERT_NE(window_, nullptr);
        PumpMessages(100);  // the change the join reports at once
    }
    void Copy(const char* text) {
        ASSERT_TRUE(SetClipboardText(nullptr, text));
        PumpMessages(100);
        waitForListSaves();
    }
    // As a program that puts Unicode text only.
    void CopyUnicode(const std::u16string& text) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
        ASSERT_NE(block, nullptr);
        std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * 2);
        GlobalUnlock(block);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
        PumpMessages(100);
        waitForListSaves();
    }
    void Quit() {
        SendMessageA(window_, WM_COMMAND, IDM_QUIT, 0);
        ASSERT_FALSE(IsWindow(window_));
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    TextStore& Store() { return *GetTextStore(window_); }
    std::vector<std::string> History() {
        std::vector<std::string> texts;
        for (int i = 0; i < listCount(Store(), ListKind::History); ++i)
            texts.emplace_back(textOfId(Store(), idAt(Store(), ListKind::History, i)));
        return texts;
    }

    testenv::TempModuleFolder folder_;
    AppSettings settings_;
    HANDLE mutex_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(MainWindowTest, CopiedTextsAreRecordedMovedAndSaved) {
    Start();
    Copy("alpha");
    Copy("beta");
    Copy("alpha");
    EXPECT_EQ(History(), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(testenv::ReadFileBytes(folder_.file("quillmate.hst")), std::string("beta\0alpha\0", 11));
    EXPECT_STREQ(CurrentIconTip(), "alpha");
}

// A burst of tips reaches the shell as its first at once and its newest after the pause.
TEST_F(MainWindowTest, TipsOfABurstReachTheShellFirstAndNewest) {
    Start();
    for (const char* tip : {"one", "two", "three"}) SetIconTip(tip);
    EXPECT_STREQ(ShownIconTip(), "one");
    EXPECT_STREQ(CurrentIconTip(), "three");
    for (int waited = 0; waited < 5000 && std::strcmp(ShownIconTip(), "three") != 0; waited += 50)
        PumpMessages(50);
    EXPECT_STREQ(ShownIconTip(), "three");
}

// The file dialogs' library costs megabytes: a resident run that opened none never loads it.
TEST_F(MainWindowTest, TheFileDialogLibraryWaitsForAFileDialog) {
    Start();
    Copy("resident");
    EXPECT_EQ(GetModuleHandleA("comdlg32.dll"), nullptr);
}

TEST_F(MainWindowTest, RegisteredTextStaysOutOfTheHistory) {
    Start();
    registerText(Store(), "kept");
    Copy("kept");
    EXPECT_TRUE(History().empty());
    EXPECT_EQ(testenv::ReadFileBytes(folder_.file("quillmate.use")), std::string("kept\0", 5));
}

// With every text id taken, neither a text confirmed in the pad nor a history text chosen with
// Shift can be registered: the user is told each time, and no file is written.
TEST_F(MainWindowTest, ARegistrationThatCannotBeStoredIsTold) {
    Start();
    for (int i = 0; i < kTextIdCount; ++i)
        addText(Store(), ListKind::History, std::to_string(i).c_str());
    SetEditPadTestHook([](HWND, const TextRow*) { return std::optional<std::u16string>(u"x"); });
    auto boxOf = [this](WPARAM command) {
        testenv::BoxAnswerer answerer(window_);
        SendMessageA(window_, WM_COMMAND, command, 0);
        return answerer.text();
    };
    std::string padBox = boxOf(IDM_REGISTER_TEXT);
    SetEditPadTestHook(nullptr);
    testenv::HoldKeys({VK_SHIFT});
    std::string shiftBox = boxOf(static_cast<WPARAM>(idAt(Store(), ListKind::History, 0)));
    testenv::HoldKeys({});
    for (const std::string& box : {padBox, shiftBox})
        EXPECT_NE(box.find("テキストを登録できませんでした。"), std::string::npos) << box;
    EXPECT_FALSE(isRegistered(Store(), "x"));
    EXPECT_EQ(listCount(Store(), ListKind::RegisteredTexts), 0);
    waitForListSaves();
    EXPECT_FALSE(testenv::FileExists(folder_.file("quillmate.use")));
}

TEST_F(MainWindowTest, HistoryOffRecordsNothingAndFlipsIconAndCheckMark) {
    Start();
    SendMessageA(window_, WM_COMMAND, IDM_HISTORY_ON_OFF, 0);
    EXPECT_FALSE(settings_.history.useHistory);
    EXPECT_EQ(CurrentIconResourceId(), IDI_HISTORY_OFF);
    Copy("ignored");
    EXPECT_TRUE(History().empty());

    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_COMMAND_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    SendMessageA(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_FALSE(GetMenuState(popup, IDM_HISTORY_ON_OFF, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageA(window_, WM_COMMAND, IDM_HISTORY_ON_OFF, 0);
    SendMessageA(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_TRUE(GetMenuState(popup, IDM_HISTORY_ON_OFF, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(CurrentIconResourceId(), IDI_QUILLMATE);
    DestroyMenu(menu);
}

TEST_F(MainWindowTest, DialogGreysTheStoreEditingCommands) {
    Start();
    SetPropA(window_, PROP_DIALOG, window_);
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_COMMAND_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    SendMessageA(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_TRUE(GetMenuState(popup, IDM_REGISTER_TEXT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(popup, IDM_EDIT_REGISTERED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(popup, IDM_SETTINGS, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
    SetPropA(window_, PROP_DIALOG, nullptr);
}

// Polls the icon while a change animates, noting each icon shown; once `midFrame` shows, a
// second text is copied.
std::vector<int> WatchAnimation(int midFrame = 0) {
    std::vector<int> seen;
    DWORD end = GetTickCount() + 600;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        PumpMessages(5);
        int id = CurrentIconResourceId();
        if (!seen.empty() && seen.back() == id) continue;
        seen.push_back(id);
        if (id == midFrame) {
            EXPECT_TRUE(SetClipboardText(nullptr, "during the animation"));
        }
    }
    return seen;
}

TEST_F(MainWindowTest, AnimationShowsThreeFramesThenTheBaseIcon) {
    settings_.history.animateIcon = true;
    Start();
    PumpMessages(400);
    ASSERT_TRUE(SetClipboardText(nullptr, "one"));
    const std::vector<int> once = {IDI_QUILLMATE, IDI_HISTORY_1, IDI_HISTORY_2, IDI_HISTORY_3,
                                   IDI_QUILLMATE};
    EXPECT_EQ(WatchAnimation(), once);
    // A change while the animation runs restarts its period, not its frames.
    ASSERT_TRUE(SetClipboardText(nullptr, "two"));
    EXPECT_EQ(WatchAnimation(IDI_HISTORY_2), once);
    SendMessageA(window_, WM_COMMAND, IDM_HISTORY_ON_OFF, 0);
    ASSERT_TRUE(SetClipboardText(nullptr, "three"));
    std::vector<int> off = WatchAnimation();
    ASSERT_FALSE(off.empty());
    EXPECT_EQ(off.back(), IDI_HISTORY_OFF);
}

TEST_F(MainWindowTest, AutoClearEmptiesTheClipboardAfterTheDelay) {
    settings_.history.autoClear = true;
    settings_.history.clearInterval = 300;  // below the file's bounds, for a short test
    Start();
    Copy("secret");
    std::vector<char> before = ReadClipboardFormat(nullptr, CF_TEXT);
    ASSERT_FALSE(before.empty());
    PumpMessages(600);
    EXPECT_TRUE(ReadClipboardFormat(nullptr, CF_TEXT).empty());
    EXPECT_EQ(History(), (std::vector<std::string>{"secret"})) << "the history keeps the text";
}

HGLOBAL GlobalCopy(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (void* data = block ? GlobalLock(block) : nullptr) {
        std::memcpy(data, bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    return block;
}

// Puts a text on the clipboard together with a registered format, in one go, as a password
// manager marks what it copies.
void CopyMarked(const char* text, const char* format, const std::string& value) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, GlobalCopy(std::string(text, std::strlen(text) + 1)));
    SetClipboardData(RegisterClipboardFormatA(format), GlobalCopy(value));
    CloseClipboard();
}

const std::string kDwordZero("\0\0\0\0", 4);
const std::string kDwordOne("\1\0\0\0", 4);

TEST_F(MainWindowTest, MarkedTextsAreNeitherRecordedLoggedNorShown) {
    struct Case {
        const char* format;
        std::string value;
        bool honour;  // the setting
        bool recorded;
    };
    const Case cases[] = {
        {"Clipboard Viewer Ignore", "x", true, false},
        {"ExcludeClipboardContentFromMonitorProcessing", kDwordOne, true, false},
        {"CanIncludeInClipboardHistory", kDwordZero, true, false},
        {"CanIncludeInClipboardHistory", kDwordOne, true, true},
        {"CanUploadToCloudClipboard", kDwordZero, true, true},
        {"Clipboard Viewer Ignore", "x", false, true},
    };
    settings_.history.animateIcon = true;
    settings_.log.logText = true;
    settings_.log.logImage = true;
    std::string log = folder_.file("log");
    std::strcpy(settings_.log.logFolder, log.c_str());
    Start();
    Copy("plain");
    PumpMessages(400);  // its animation ends
    int n = 0;
    for (const Case& c : cases) {
        std::string text = "marked " + std::to_string(++n);
        SCOPED_TRACE(std::string(c.format) + " in " + text);
        settings_.history.honourIgnoreMarkers = c.honour;
        std::vector<std::string> history = History();
        std::string hst = testenv::ReadFileBytes(folder_.file("quillmate.hst"));
        auto logs = testenv::ReadTree(log);
        std::string tip = CurrentIconTip();
        CopyMarked(text.c_str(), c.format, c.value);
        std::vector<int> frames = WatchAnimation();
        waitForListSaves();
        if (c.recorded) {
            EXPECT_EQ(History().front(), text);
            EXPECT_EQ(CurrentIconTip(), text);
            EXPECT_GT(frames.size(), 1u) << "animated";
            bool logged = false;
            for (const auto& file : testenv::ReadTree(log)) logged |= file.second == text;
            EXPECT_TRUE(logged);
        } else {
            EXPECT_EQ(History(), history);
            EXPECT_EQ(testenv::ReadFileBytes(folder_.file("quillmate.hst")), hst);
            EXPECT_EQ(testenv::ReadTree(log), logs) << "no .txt, no .bmp";
            EXPECT_EQ(CurrentIconTip(), tip);
            EXPECT_EQ(frames, std::vector<int>{IDI_QUILLMATE}) << "not animated";
        }
    }
}

TEST_F(MainWindowTest, MarkedTextIsStillClearedAfterTheDelay) {
    settings_.history.autoClear = true;
    settings_.history.clearInterval = 300;  // below the file's bounds, for a short test
    Start();
    CopyMarked("password", "CanIncludeInClipboardHistory", kDwordZero);
    PumpMessages(100);
    ASSERT_FALSE(ReadClipboardFormat(nullptr, CF_TEXT).empty());
    PumpMessages(600);
    EXPECT_TRUE(ReadClipboardFormat(nullptr, CF_TEXT).empty());
    EXPECT_TRUE(History().empty());
}

LRESULT CALLBACK RecordingViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHANGECBCHAIN) {
        SetPropA(window, "SEEN_REMOVED", reinterpret_cast<HANDLE>(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateViewerWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingViewerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QmTestViewer";
    RegisterClassA(&windowClass);
    return CreateWindowA("QmTestViewer", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST_F(MainWindowTest, ChainChangeTakesOverOrForwards) {
    HWND other = CreateViewerWindow();
    HWND otherNext = SetClipboardViewer(other);
    Start();
    ASSERT_EQ(NextViewer(), other);
    HWND further = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    SendMessageA(window_, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(further), 0);
    EXPECT_EQ(GetPropA(other, "SEEN_REMOVED"), further) << "forwarded to the next viewer";
    EXPECT_EQ(NextViewer(), other);

    SendMessageA(window_, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(other),
                 reinterpret_cast<LPARAM>(otherNext));
    EXPECT_EQ(NextViewer(), otherNext);
    DestroyWindow(other);
}

TEST_F(MainWindowTest, TextIsReadOnceAnotherProgramLetsGoOfTheClipboard) {
    Start();
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(SetClipboardText(nullptr, "held"));
    // Another thread holds the clipboard open for a moment, as a slow program would.
    std::thread holder([opened] {
        if (!OpenClipboard(nullptr)) return;
        SetEvent(opened);
        Sleep(120);
        CloseClipboard();
    });
    bool held = WaitForSingleObject(opened, 2000) == WAIT_OBJECT_0;
    PumpMessages(400);
    holder.join();
    CloseHandle(opened);
    ASSERT_TRUE(held) << "the holder thread could not open the clipboard";
    EXPECT_EQ(History(), (std::vector<std::string>{"held"}));
}

TEST_F(MainWindowTest, EachChangeWhileTheClipboardIsHeldGetsItsOwnRetries) {
    Start();
    ASSERT_TRUE(SetClipboardText(nullptr, "late"));
    PumpMessages(100);
    clearHistory(Store());
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([opened, release] {
        if (!OpenClipboard(nullptr)) return;
        SetEvent(opened);
        WaitForSingleObject(release, 5000);
        CloseClipboard();
    });
    bool held = WaitForSingleObject(opened, 2000) == WAIT_OBJECT_0;
    // Changes while the clipboard is held, each more than a change's first retries: the last
    // must still be read once the clipboard is let go.
    for (int change = 0; change < 6; ++change) OnClipboardChanged(window_);
    SetEvent(release);
    holder.join();
    PumpMessages(400);
    CloseHandle(opened);
    CloseHandle(release);
    ASSERT_TRUE(held) << "the holder thread could not open the clipboard";
    EXPECT_EQ(History(), (std::vector<std::string>{"late"}));
}

TEST_F(MainWindowTest, AListFileThatCouldNotBeReadIsNeverOverwritten) {
    const std::string use = folder_.file("quillmate.use");
    const std::string hst = folder_.file("quillmate.hst");
    const std::string exact = folder_.file("quillmate.hsu");  // readable, but its list is not
    ASSERT_TRUE(testenv::WriteFileBytes(use, std::string("mine\0", 5)));
    ASSERT_TRUE(testenv::WriteFileBytes(hst, std::string("seen\0", 5)));
    ASSERT_TRUE(testenv::WriteFileBytes(exact, "forms of seen texts"));
    HANDLE locks[2];
    int i = 0;
    for (const std::string& path : {use, hst}) {
        locks[i] = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(locks[i++], INVALID_HANDLE_VALUE);
    }
    Start();
    for (HANDLE lock : locks) CloseHandle(lock);
    // The run goes on as usual; only the two files are left alone.
    Copy("copied");
    registerText(Store(), "registered");
    EXPECT_EQ(History(), (std::vector<std::string>{"copied"}));
    SendMessageA(window_, WM_COMMAND, IDM_QUIT, 0);
    ASSERT_FALSE(IsWindow(window_));
    EXPECT_EQ(testenv::ReadFileBytes(use), std::string("mine\0", 5));
    EXPECT_EQ(testenv::ReadFileBytes(hst), std::string("seen\0", 5));
    EXPECT_EQ(testenv::ReadFileBytes(exact), "forms of seen texts");
}

TEST_F(MainWindowTest, HotkeyRunsItsCommand) {
    Start();
    Copy("to be cleared");
    SendMessageA(window_, WM_HOTKEY, IDM_CLEAR_CLIPBOARD, 0);
    EXPECT_TRUE(ReadClipboardFormat(nullptr, CF_TEXT).empty());
    SendMessageA(window_, WM_HOTKEY, IDM_HISTORY_ON_OFF, 0);
    EXPECT_FALSE(settings_.history.useHistory);
}

TEST_F(MainWindowTest, DateCommandPutsTheFormattedTimeOnTheClipboard) {
    Start();
    std::strcpy(settings_.dateFormat, "%04Y年%02m月");
    SYSTEMTIME now;
    GetLocalTime(&now);
    SendMessageA(window_, WM_COMMAND, IDM_DATE_TIME, 0);
    std::vector<char> text = ReadClipboardFormat(nullptr, CF_TEXT);
    ASSERT_FALSE(text.empty());
    char expected[64];
    std::snprintf(expected, sizeof expected, "%04d年%02d月", now.wYear, now.wMonth);
    EXPECT_STREQ(text.data(), expected);
}

TEST_F(MainWindowTest, PopupPointIsClampedAndWrittenBack) {
    Start();
    settings_.menu.menuX = 5000;
    settings_.menu.menuY = -20;
    POINT point = ClampStoredPopupPoint(window_);
    EXPECT_EQ(point.x, GetSystemMetrics(SM_CXSCREEN) - 1);
    EXPECT_EQ(point.y, 0);
    EXPECT_EQ(settings_.menu.menuX, point.x);
    EXPECT_EQ(settings_.menu.menuY, 0);
}

TEST_F(MainWindowTest, QuitWritesTheFilesAndASecondInstanceIsRefused) {
    Start();
    EXPECT_EQ(CreateMainWindow(GetModuleHandleA(nullptr), &settings_), nullptr);
    Copy("last");
    registerText(Store(), "reg");
    DeleteFileA(folder_.file("quillmate.hst").c_str());
    SendMessageA(window_, WM_COMMAND, IDM_QUIT, 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(testenv::ReadFileBytes(folder_.file("quillmate.hst")), std::string("last\0", 5));
    EXPECT_EQ(testenv::ReadFileBytes(folder_.file("quillmate.use")), std::string("reg\0", 4));
}

TEST_F(MainWindowTest, ChosenTextGoesOnTheClipboardAndARemovedIdDoesNothing) {
    Start();
    Copy("first");
    Copy("second");
    int id = idAt(Store(), ListKind::History, 1);
    SendMessageA(window_, WM_COMMAND, static_cast<WPARAM>(id), 0);
    std::vector<char> chosen = ReadClipboardFormat(nullptr, CF_TEXT);
    ASSERT_FALSE(chosen.empty());
    EXPECT_STREQ(chosen.data(), "first");

    clearHistory(Store());
    ClearClipboard(nullptr);
    PumpMessages(50);
    SendMessageA(window_, WM_COMMAND, static_cast<WPARAM>(id), 0);
    EXPECT_TRUE(ReadClipboardFormat(nullptr, CF_TEXT).empty());
}

// An empty text is a text, whichever format it came in: recorded, logged and cleared on time.
TEST_F(MainWindowTest, AnEmptyUnicodeCopyIsAnEmptyText) {
    Start();
    Copy("x");
    CopyUnicode(u"");
    EXPECT_EQ(History(), (std::vector<std::string>{"", "x"}));
}

std::u16string UnicodeOnClipboard() {
    std::vector<char> unicode = ReadClipboardFormat(nullptr, CF_UNICODETEXT);
    return unicode.size() < 2 ? u""
                              : std::u16string(reinterpret_cast<const char16_t*>(unicode.data()));
}

// Two texts of the same code-page bytes stay two entries across a restart and each comes back
// exactly; a history an older program rewrote keeps its texts without forms; texts that fit the
// code page leave no file of exact forms.
TEST_F(MainWindowTest, ExactTextsSurviveARestartAsEntriesOfTheirOwn) {
    const std::string exactFile = folder_.file("quillmate.hsu");
    Start();
    Copy("\x93\xFA\x96\x7B");  // 日本
    Quit();
    EXPECT_FALSE(testenv::FileExists(exactFile));

    const std::u16string hello = u"\uC548\uB155\uD558\uC138\uC694",
                         thanks = u"\uAC10\uC0AC\uD569\uB2C8\uB2E4";
    Start();
    CopyUnicode(hello);
    CopyUnicode(thanks);
    Quit();
    ClearClipboard(nullptr);  // the join would record the last copy again
    Start();
    ASSERT_EQ(listCount(Store(), ListKind::History), 3);  // and 日本
    for (const auto& [index, text] : {std::pair{0, thanks}, std::pair{1, hello}}) {
        SendMessageA(window_, WM_COMMAND,
                     static_cast<WPARAM>(idAt(Store(), ListKind::History, index)), 0);
        EXPECT_EQ(UnicodeOnClipboard(), text) << index;
    }
    Quit();

    const std::string rewritten =
        AnsiFromWide(hello) + '\0' + AnsiFromWide(thanks) + std::string("\0x", 2);
    ASSERT_TRUE(testenv::WriteFileBytes(folder_.file("quillmate.hst"), rewritten));
    ClearClipboard(nullptr);
    Start();
    ASSERT_EQ(listCount(Store(), ListKind::History), 2) << "the two ????? are one text now";
    for (int index : {0, 1})
        EXPECT_EQ(exactTextOfId(Store(), idAt(Store(), ListKind::History, index)), nullptr);
}

// The pad starts with the clipboard's exact text: registered unchanged it keeps that form, a
// changed text takes an exact form of its own exactly when code page 932 cannot hold it.
TEST_F(MainWindowTest, PadRegistrationKeepsTheExactFormOfAnUnchangedText) {
    Start();
    const std::u16string exact = u"caf\u00E9";
    std::u16string answer;
    SetEditPadTestHook(
        [&answer](HWND, const TextRow*) { return std::optional<std::u16string>(answer); });
    const auto registerThroughPad = [&](const std::u16string& padText) {
        CopyUnicode(exact);
        answer = padText;
        SendMessageA(window_, WM_COMMAND, IDM_REGISTER_TEXT, 0);
        return exactTextOfId(Store(), idAt(Store(), ListKind::RegisteredTexts, 0));
    };
    const std::u16string* kept = registerThroughPad(exact);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(*kept, exact);
    const std::u16string* changed = registerThroughPad(exact + u"!");
    EXPECT_TRUE(changed && *changed == exact + u"!");
    EXPECT_EQ(registerThroughPad(u"\u6771\u4EAC!"), nullptr);
    EXPECT_STREQ(textOfId(Store(), idAt(Store(), ListKind::RegisteredTexts, 0)), "東京!");
    SetEditPadTestHook(nullptr);
}

// The about box links to the support page beside the executable, else to the README there.
TEST_F(MainWindowTest, TheAboutLinkIsTheSupportPageBesideTheExeElseTheReadme) {
    Start();
    auto link = [this] {
        std::string shown;
        testenv::DriveModal([this] { return SendMessageA(window_, WM_COMMAND, IDM_ABOUT, 0); },
                            {[&shown] {
                                HWND box = testenv::FindDialog("Quillmate について");
                                if (!box) return false;
                                shown = CopyWindowText(GetDlgItem(box, IDC_ABOUT_LINK));
                                testenv::ClickButton(box, IDOK);
                                return true;
                            }});
        return shown;
    };
    EXPECT_EQ(link(), folder_.file("README.md"));
    ASSERT_TRUE(testenv::WriteFileBytes(folder_.file("support.md"), "# support\n"));
    EXPECT_EQ(link(), folder_.file("support.md"));
}

}  // namespace
