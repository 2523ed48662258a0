// The edit pad on real windows: the one-dialog rule and its test hook, the pad's menu states,
// OK, Cancel and the close question answered through its own messages, and its text files.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/appshell.h"
#include "editpad/editpad.h"
#include "editpad/padfile.h"
#include "resource.h"
#include "support/testenv.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"

namespace {

// Runs an action later from inside whichever modal loop is running then.
std::map<UINT_PTR, std::function<void()>> g_later;

void CALLBACK LaterProc(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto found = g_later.find(id);
    if (found == g_later.end()) return;
    std::function<void()> action = std::move(found->second);
    g_later.erase(found);
    action();
}

void RunLater(unsigned ms, std::function<void()> action) {
    UINT_PTR id = SetTimer(nullptr, 0, ms, LaterProc);
    ASSERT_NE(id, 0u);
    g_later[id] = std::move(action);
}

// A top-level window of this thread with that caption, or null.
HWND FindThreadWindow(const char* caption) {
    struct Search {
        const char* caption;
        HWND found;
    } search = {caption, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            Search* s = reinterpret_cast<Search*>(param);
            char text[256] = "";
            GetWindowTextA(window, text, sizeof text);
            if (std::string(text) != s->caption) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

constexpr const char* kPadCaption = "テキストの編集";

// Answers a message box of that caption with a button; records the box's text.
void AnswerBoxLater(const char* caption, int button, std::string* text, int attempts = 40) {
    RunLater(50, [=] {
        HWND box = FindThreadWindow(caption);
        if (!box) {
            if (attempts > 0) AnswerBoxLater(caption, button, text, attempts - 1);
            return;
        }
        if (text) *text = CopyWindowText(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, button, 0);
    });
}

class EditPad : public testing::Test {
protected:
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_TRUE(owner);
    }
    void TearDown() override {
        SetEditPadTestHook(nullptr);
        DestroyWindow(owner);
        g_later.clear();
    }

    // Opens the real pad; action runs with the pad once it is up, and must end it. The result's
    // code-page bytes.
    std::optional<std::string> Open(const char* initialText, std::function<void(HWND)> action) {
        padSeen = false;
        RunLater(100, [this, action] {
            HWND pad = FindThreadWindow(kPadCaption);
            padSeen = pad != nullptr;
            if (pad) action(pad);
        });
        TextRow initial{initialText ? initialText : "", nullptr};
        std::optional<TextRow> row = ShowEditPad(owner, initialText ? &initial : nullptr);
        return row ? std::optional<std::string>(row->text) : std::nullopt;
    }

    testenv::TempModuleFolder folder;
    HWND owner = nullptr;
    bool padSeen = false;
};

HWND Edit(HWND pad) {
    return GetDlgItem(pad, IDC_EDITPAD_EDIT);
}

// The menu states as the user sees them after opening the Edit popup.
struct Shown {
    bool undo, redo, cut, copy, paste, del, selectAll, topmostChecked;
    std::string ime;
};

Shown OpenMenus(HWND pad) {
    HMENU bar = GetMenu(pad);
    SendMessageA(pad, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, 1)), 1);
    auto on = [bar](UINT id) { return (GetMenuState(bar, id, MF_BYCOMMAND) & MF_GRAYED) == 0; };
    char ime[64] = "";
    GetMenuStringA(bar, IDM_EDITPAD_IME, ime, sizeof ime, MF_BYCOMMAND);
    UINT topmost = GetMenuState(GetSystemMenu(pad, FALSE), IDM_ALWAYS_ON_TOP, MF_BYCOMMAND);
    return Shown{on(IDM_EDITPAD_UNDO),
                 on(IDM_EDITPAD_REDO),
                 on(IDM_EDITPAD_CUT),
                 on(IDM_EDITPAD_COPY),
                 on(IDM_EDITPAD_PASTE),
                 on(IDM_EDITPAD_DELETE),
                 on(IDM_EDITPAD_SELECT_ALL),
                 topmost != static_cast<UINT>(-1) && (topmost & MF_CHECKED) != 0,
                 ime};
}

TEST_F(EditPad, SetDialogPropertyRefusesAtOnceAndTheHookRunsUnderTheRule) {
    int calls = 0;
    HANDLE duringCall = nullptr;
    SetEditPadTestHook([&](HWND hookOwner, const TextRow* text) -> std::optional<std::u16string> {
        ++calls;
        duringCall = GetPropA(hookOwner, PROP_DIALOG);
        return WideFromAnsi(text->text) + u"!";
    });
    const TextRow x{"x", nullptr};
    SetPropA(owner, PROP_DIALOG, owner);
    EXPECT_FALSE(ShowEditPad(owner, &x).has_value());
    EXPECT_EQ(calls, 0);
    SetPropA(owner, PROP_DIALOG, nullptr);

    EXPECT_EQ(ShowEditPad(owner, &x).value_or(TextRow{"(none)", nullptr}).text, "x!");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(duringCall, owner);
    EXPECT_EQ(GetPropA(owner, PROP_DIALOG), nullptr);
}

TEST_F(EditPad, MenuStatesFollowTheTextSelectionClipboardAndTopmostState) {
    ASSERT_TRUE(ClearClipboard(owner));
    std::vector<Shown> seen;
    HANDLE ownerMark = nullptr;
    int afterMaximize = 0;
    std::vector<std::string> imeItems;
    auto result = Open("", [&](HWND pad) {
        ownerMark = GetPropA(owner, PROP_DIALOG);
        HMENU system = GetSystemMenu(pad, FALSE);
        afterMaximize =
            static_cast<int>(GetMenuItemID(system, FindMaximizeItemPosition(system) + 1));
        seen.push_back(OpenMenus(pad));  // empty text
        SendMessageA(Edit(pad), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("hello"));
        seen.push_back(OpenMenus(pad));  // typed, caret at the end
        SendMessageA(Edit(pad), EM_SETSEL, 0, -1);
        SetClipboardText(owner, "clip");
        SendMessageA(pad, WM_SYSCOMMAND, IDM_ALWAYS_ON_TOP, 0);
        seen.push_back(OpenMenus(pad));  // all selected, text on the clipboard, topmost
        SendMessageA(Edit(pad), EM_SETSEL, 1, 3);
        // Wine keeps an owned popup that lies right above its owner topmost (it would be put
        // after itself); with another window between them it behaves as Windows does.
        SetWindowPos(owner, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        SendMessageA(pad, WM_SYSCOMMAND, IDM_ALWAYS_ON_TOP, 0);
        seen.push_back(OpenMenus(pad));  // a part selected, topmost again off
        for (int i = 0; i < 2; ++i) {
            SendMessageA(pad, WM_COMMAND, IDM_EDITPAD_IME, 0);
            imeItems.push_back(OpenMenus(pad).ime);
        }
        PostMessageA(pad, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(padSeen);
    EXPECT_EQ(ownerMark, owner);
    EXPECT_EQ(afterMaximize, IDM_ALWAYS_ON_TOP);
    EXPECT_EQ(result.value_or("(none)"), "hello");
    EXPECT_EQ(GetPropA(owner, PROP_DIALOG), nullptr);
    ASSERT_EQ(seen.size(), 4u);
    const struct {
        bool undo, selection, paste, selectAll, topmost;
    } expected[] = {
        {false, false, false, false, false},
        {true, false, false, true, false},
        {true, true, true, false, true},
        {true, true, true, true, false},
    };
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].undo, expected[i].undo);
        EXPECT_FALSE(seen[i].redo);
        EXPECT_EQ(seen[i].cut, expected[i].selection);
        EXPECT_EQ(seen[i].copy, expected[i].selection);
        EXPECT_EQ(seen[i].del, expected[i].selection);
        EXPECT_EQ(seen[i].paste, expected[i].paste);
        EXPECT_EQ(seen[i].selectAll, expected[i].selectAll);
        EXPECT_EQ(seen[i].topmostChecked, expected[i].topmost);
        EXPECT_EQ(seen[i].ime, "日本語入力 - オン(&O)");
    }
    // Choosing the IME item opens the input method; the next opening of the menu offers to close
    // it, and choosing it again closes it.
    EXPECT_EQ(imeItems,
              (std::vector<std::string>{"日本語入力 - オフ(&L)", "日本語入力 - オン(&O)"}));
}

TEST_F(EditPad, StartsWithTheClipboardTextAndReturnsOnlyWhatWasConfirmed) {
    ASSERT_TRUE(SetClipboardText(owner, "abc"));
    std::string shown;
    auto confirmed = Open(nullptr, [&](HWND pad) {
        shown = CopyWindowText(Edit(pad));
        PostMessageA(pad, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(shown, "abc");
    EXPECT_EQ(confirmed.value_or("(none)"), "abc");

    auto cancelled = Open(nullptr, [](HWND pad) { PostMessageA(pad, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_TRUE(padSeen);
    EXPECT_FALSE(cancelled.has_value());

    // An empty pad confirmed is an empty text, not nothing; a given text wins over the clipboard.
    auto empty = Open("", [&](HWND pad) {
        shown = CopyWindowText(Edit(pad));
        PostMessageA(pad, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(shown, "");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(*empty, "");

    std::string placement = testenv::ReadFileBytes(folder.file("quillmate.ini"));
    EXPECT_NE(placement.find("[EDIT_PAD]"), std::string::npos) << placement;
}

TEST_F(EditPad, CloseBoxAlwaysAsksAndItsAnswerDecides) {
    const struct {
        int answer;
        bool staysOpen;
        std::optional<std::string> result;
    } cases[] = {
        {IDYES, false, std::string("kept")},
        {IDNO, false, std::nullopt},
        {IDCANCEL, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        std::string question;
        bool openAfterAnswer = false;
        auto result = Open("kept", [&](HWND pad) {
            AnswerBoxLater("ﾃｷｽﾄの編集", c.answer, &question);
            PostMessageA(pad, WM_CLOSE, 0, 0);
            // Looked at once the box was answered; a pad still open is then cancelled.
            RunLater(1500, [&, pad] {
                openAfterAnswer = IsWindow(pad) != FALSE;
                if (openAfterAnswer) PostMessageA(pad, WM_COMMAND, IDCANCEL, 0);
            });
        });
        EXPECT_EQ(question, "保存しますか？");
        EXPECT_EQ(openAfterAnswer, c.staysOpen);
        EXPECT_EQ(result, c.result);
    }
}

// Text files ------------------------------------------------------------------------------------

class PadFiles : public testing::Test {
protected:
    void SetUp() override {
        edit = CreateWindowExA(0, "EDIT", "typed by the user", WS_POPUP | ES_MULTILINE, 0, 0, 100,
                               100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(edit);
    }
    void TearDown() override {
        DestroyWindow(edit);
        g_later.clear();
    }

    // Names in the folder, for proof that no temporary or partial file was left.
    std::vector<std::string> Names() { return testenv::FolderNames(folder.path()); }

    // A file of bytes held open without sharing, as another program may hold it.
    HANDLE HoldOpen(const char* name, const std::string& bytes) {
        EXPECT_TRUE(testenv::WriteFileBytes(folder.file(name), bytes));
        return CreateFileA(folder.file(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    }

    testenv::TempModuleFolder folder;
    HWND edit = nullptr;
};

TEST_F(PadFiles, LoadsBytesAsTheyAreUpToTheFirstNul) {
    const struct {
        std::string bytes, shown;
    } cases[] = {
        {std::string("a\0b", 3), "a"},
        {"表示\r\nline two\r\n", "表示\r\nline two\r\n"},
        {"", ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(testenv::WriteFileBytes(folder.file("in.txt"), c.bytes));
        EXPECT_TRUE(LoadTextFileInto(edit, testenv::WidePath(folder.file("in.txt").c_str()).c_str()));
        EXPECT_EQ(CopyWindowText(edit), c.shown);
    }
}

TEST_F(PadFiles, AFileThatCannotBeReadLeavesTheTypedTextAlone) {
    ASSERT_TRUE(CreateDirectoryA(folder.file("a folder").c_str(), nullptr));
    HANDLE lock = HoldOpen("locked.txt", "locked");
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    for (const char* name : {"missing.txt", "a folder", "locked.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(LoadTextFileInto(edit, testenv::WidePath(folder.file(name).c_str()).c_str()));
        EXPECT_EQ(CopyWindowText(edit), "typed by the user");
    }
    CloseHandle(lock);
}

TEST_F(PadFiles, SavingWritesExactlyTheTextAndReplacesAnOldFile) {
    SetWindowTextA(edit, "一行目\r\nsecond");
    ASSERT_TRUE(testenv::WriteFileBytes(folder.file("old.txt"), std::string(100, 'x')));
    for (const char* name : {"new.txt", "old.txt", "no extension"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(SaveEditTextTo(nullptr, edit, testenv::WidePath(folder.file(name).c_str()).c_str()));
        EXPECT_EQ(testenv::ReadFileBytes(folder.file(name)), "一行目\r\nsecond");
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"new.txt", "no extension", "old.txt"}));
}

// A text Shift-JIS cannot hold whole is written only once the user has agreed to the loss.
TEST_F(PadFiles, ALossySaveAsksFirstAndItsCancelWritesNothing) {
    SetWindowTextW(edit, L"caf\u00E9");
    const std::u16string path = testenv::WidePath(folder.file("out.txt").c_str());
    for (int answer : {IDCANCEL, IDOK}) {
        std::string asked;
        AnswerBoxLater("テキストをファイルへ出力", answer, &asked);
        EXPECT_EQ(SaveEditTextTo(nullptr, edit, path.c_str()), answer == IDOK) << answer;
        EXPECT_NE(asked.find("Shift-JIS"), std::string::npos) << asked;
        EXPECT_EQ(Names().size(), answer == IDOK ? 1u : 0u) << answer;
    }
    EXPECT_EQ(testenv::ReadFileBytes(folder.file("out.txt")), AnsiFromWide(u"caf\u00E9"));
}

TEST_F(PadFiles, AFailedSaveIsToldAndLeavesNoPartialFile) {
    SetWindowTextA(edit, "text");
    ASSERT_TRUE(CreateDirectoryA(folder.file("a folder").c_str(), nullptr));
    HANDLE open = HoldOpen("open.txt", "before");
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    for (const char* name : {"missing folder\\out.txt", "a folder", "open.txt"}) {
        SCOPED_TRACE(name);
        std::string told;
        AnswerBoxLater("テキストをファイルへ出力", IDOK, &told);
        EXPECT_FALSE(SaveEditTextTo(nullptr, edit, testenv::WidePath(folder.file(name).c_str()).c_str()));
        EXPECT_FALSE(told.empty());
        EXPECT_EQ(Names(), (std::vector<std::string>{"a folder", "open.txt"}));
    }
    CloseHandle(open);
    EXPECT_EQ(testenv::ReadFileBytes(folder.file("open.txt")), "before");
}

}  // namespace
