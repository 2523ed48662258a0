// The registered-text dialog under Wine, driven through its controls while it runs modally; the
// edit pad is answered by its test hook.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/appshell.h"
#include "editpad/editpad.h"
#include "regedit/draglist.h"
#include "regedit/regtextdialog.h"
#include "resource.h"
#include "store/textstore.h"
#include "support/dialogdriver.h"
#include "support/testenv.h"
#include "TOOLS/toolsys.h"

namespace {

std::function<void(HWND)> g_script;
HWND g_owner = nullptr;
HWND g_dialog = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM) {
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770" && GetWindow(window, GW_OWNER) == g_owner &&
        IsWindowVisible(window)) {
        g_dialog = window;
        return FALSE;
    }
    return TRUE;
}

// Runs the script once the dialog is up, inside its modal loop.
void CALLBACK ScriptStep(HWND, UINT, UINT_PTR timer, DWORD) {
    g_dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, 0);
    if (!g_dialog) return;
    KillTimer(nullptr, timer);
    g_script(g_dialog);
}

struct PadCall {
    bool dialogVisible;
    std::optional<std::string> initialText;
};

class RegTextDialog : public testing::Test {
protected:
    void SetUp() override {
        store = createTextStore();
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
        g_owner = owner;
        SetEditPadTestHook([this](HWND padOwner, const TextRow* initial) {
            pads.push_back({IsWindowVisible(padOwner) != FALSE,
                            initial ? std::optional<std::string>(initial->text) : std::nullopt});
            std::optional<std::u16string> answer =
                answers.empty() ? std::nullopt : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return answer;
        });
    }
    void TearDown() override {
        SetEditPadTestHook(nullptr);
        DestroyWindow(owner);
        destroyTextStore(store);
    }

    void Register(std::vector<std::string> texts) {  // texts[0] ends at the top
        for (auto t = texts.rbegin(); t != texts.rend(); ++t)
            addText(*store, ListKind::RegisteredTexts, t->c_str());
    }

    bool Run(std::function<void(HWND)> script) {
        g_script = std::move(script);
        SetTimer(nullptr, 0, 20, ScriptStep);
        bool confirmed = ShowRegisteredTextDialog(owner, *store);
        EXPECT_EQ(GetPropA(owner, PROP_DIALOG), nullptr);
        return confirmed;
    }

    std::vector<std::string> Registered() {
        std::vector<std::string> texts;
        for (int i = 0; i < listCount(*store, ListKind::RegisteredTexts); ++i)
            texts.push_back(textOfId(*store, idAt(*store, ListKind::RegisteredTexts, i)));
        return texts;
    }

    testenv::TempModuleFolder folder;  // the dialog's placement goes to its settings file
    TextStore* store = nullptr;
    HWND owner = nullptr;
    std::vector<std::optional<std::u16string>> answers;
    std::vector<PadCall> pads;
};

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_REGTEXT_LIST); }

std::vector<std::u16string> ShownExactly(HWND dialog) {
    std::vector<std::u16string> shown;
    HWND list = ListOf(dialog);
    for (int i = 0, n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); i < n; ++i) {
        char16_t text[600] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        shown.push_back(text);
    }
    return shown;
}

std::vector<std::string> Shown(HWND dialog) {
    std::vector<std::string> shown;
    for (const std::u16string& text : ShownExactly(dialog)) shown.push_back(AnsiFromWide(text));
    return shown;
}

int Selected(HWND dialog) {
    return static_cast<int>(SendMessageA(ListOf(dialog), LB_GETCURSEL, 0, 0));
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string Buttons(HWND dialog) {
    std::string states;
    for (int id : {IDC_REGTEXT_ADD, IDC_REGTEXT_EDIT, IDC_REGTEXT_DELETE})
        states += IsWindowEnabled(GetDlgItem(dialog, id)) ? '1' : '0';
    return states;
}

void Key(HWND dialog, UINT message, WPARAM key) {
    SendMessageA(ListOf(dialog), message, key, message == WM_SYSKEYDOWN ? 0x20000001 : 1);
}

const std::string kJapanese = "日本語のテキスト";

TEST_F(RegTextDialog, AddEditDeleteWorkOnACopyThatOkCommits) {
    Register({"first\r\nline two", kJapanese, "third"});
    answers = {std::u16string(u"added"), std::u16string(u"edited")};
    bool confirmed = Run([&](HWND dialog) {
        EXPECT_EQ(Shown(dialog),
                  (std::vector<std::string>{"firstline two", kJapanese, "third"}));
        EXPECT_EQ(Selected(dialog), 0);
        EXPECT_EQ(Buttons(dialog), "111");

        Click(dialog, IDC_REGTEXT_ADD);  // at the top, selected; the store waits for OK
        EXPECT_EQ(Shown(dialog)[0], "added");
        EXPECT_EQ(Selected(dialog), 0);
        EXPECT_EQ(listCount(*store, ListKind::RegisteredTexts), 3);

        SendMessageA(ListOf(dialog), LB_SETCURSEL, 1, 0);
        Click(dialog, IDC_REGTEXT_EDIT);  // the pad gets the full text, line break included
        EXPECT_EQ(Shown(dialog)[1], "edited");
        EXPECT_EQ(Selected(dialog), 1);

        SendMessageA(ListOf(dialog), LB_SETCURSEL, 3, 0);
        Click(dialog, IDC_REGTEXT_DELETE);  // the last: the new last is selected
        EXPECT_EQ(Shown(dialog), (std::vector<std::string>{"added", "edited", kJapanese}));
        EXPECT_EQ(Selected(dialog), 2);
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(confirmed);
    ASSERT_EQ(pads.size(), 2u);
    EXPECT_FALSE(pads[0].dialogVisible);  // hidden while the pad is open
    EXPECT_EQ(pads[0].initialText, std::nullopt);
    EXPECT_EQ(pads[1].initialText, std::optional<std::string>("first\r\nline two"));
    EXPECT_EQ(Registered(), (std::vector<std::string>{"added", "edited", kJapanese}));
}

// An exact text shows exactly and keeps its form through a move; a row changed in the pad takes
// an exact form where code page 932 cannot hold it.
TEST_F(RegTextDialog, ExactTextsAreShownMovedAndEditedExactly) {
    const std::u16string smile = u"caf\u00E9 \U0001F600", edited = u"plain \uC548";
    addText(*store, ListKind::RegisteredTexts, "cafe ??", std::make_shared<std::u16string>(smile));
    Register({"plain"});
    answers = {edited};
    std::vector<std::u16string> before, after;
    Run([&](HWND dialog) {
        before = ShownExactly(dialog);
        Key(dialog, WM_SYSKEYDOWN, VK_DOWN);  // plain moves below
        Click(dialog, IDC_REGTEXT_EDIT);
        after = ShownExactly(dialog);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(before, (std::vector<std::u16string>{u"plain", smile}));
    EXPECT_EQ(after, (std::vector<std::u16string>{smile, edited}));
    for (int i : {0, 1}) {
        const std::u16string* exact = exactTextOfId(*store, idAt(*store, ListKind::RegisteredTexts, i));
        EXPECT_TRUE(exact && after.size() == 2 && *exact == after[i]) << i;
    }
}

TEST_F(RegTextDialog, CancelledPadAndCancelChangeNothing) {
    Register({"one", "two"});
    answers = {std::nullopt, std::nullopt};
    bool confirmed = Run([&](HWND dialog) {
        Click(dialog, IDC_REGTEXT_ADD);
        Click(dialog, IDC_REGTEXT_EDIT);
        EXPECT_EQ(Shown(dialog), (std::vector<std::string>{"one", "two"}));
        EXPECT_TRUE(IsWindowVisible(dialog));
        Click(dialog, IDC_REGTEXT_DELETE);
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(pads.size(), 2u);
    EXPECT_EQ(Registered(), (std::vector<std::string>{"one", "two"}));
}

TEST_F(RegTextDialog, EmptyListDisablesEditAndDeleteAndDeletingTheOnlyItemEmptiesIt) {
    Register({"only"});
    Run([&](HWND dialog) {
        SetFocus(GetDlgItem(dialog, IDC_REGTEXT_DELETE));
        Click(dialog, IDC_REGTEXT_DELETE);
        EXPECT_EQ(Shown(dialog), std::vector<std::string>{});
        EXPECT_EQ(Selected(dialog), -1);
        EXPECT_EQ(Buttons(dialog), "100");
        EXPECT_EQ(GetFocus(), ListOf(dialog));  // not left on a disabled button
        Click(dialog, IDC_REGTEXT_EDIT);        // nothing selected: no pad
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(pads.empty());
    EXPECT_EQ(Registered(), std::vector<std::string>{});
}

TEST_F(RegTextDialog, KeysOnTheListAndAltDownThenOk) {
    Register({"a", "b", "c", "d"});
    answers = {std::u16string(u"B")};
    bool confirmed = Run([&](HWND dialog) {
        Key(dialog, WM_KEYDOWN, VK_BACK);  // swallowed
        EXPECT_EQ(Shown(dialog).size(), 4u);
        Key(dialog, WM_SYSKEYDOWN, VK_DOWN);  // a moves below b
        EXPECT_EQ(Shown(dialog), (std::vector<std::string>{"b", "a", "c", "d"}));
        EXPECT_EQ(Selected(dialog), 1);
        SendMessageA(ListOf(dialog), LB_SETCURSEL, 0, 0);
        Key(dialog, WM_KEYDOWN, VK_SPACE);  // edit
        Key(dialog, WM_KEYDOWN, VK_DELETE);  // delete, no question
        EXPECT_EQ(Shown(dialog), (std::vector<std::string>{"a", "c", "d"}));
        SendMessageA(dialog, WM_COMMAND, IDM_REGTEXT_DELETE, 0);  // context menu "削除(&D)"
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(confirmed);
    ASSERT_EQ(pads.size(), 1u);
    EXPECT_EQ(pads[0].initialText, std::optional<std::string>("b"));
    EXPECT_EQ(Registered(), (std::vector<std::string>{"c", "d"}));
}

// A Shift-choice from the text menu while the dialog is open registers a text the dialog's list
// does not hold: OK keeps it, and what the user deleted in the dialog stays deleted.
TEST_F(RegTextDialog, TextsRegisteredWhileOpenSurviveOkAndDeletedOnesStayDeleted) {
    Register({"kept", "deleted"});
    bool confirmed = Run([&](HWND dialog) {
        SendMessageA(ListOf(dialog), LB_SETCURSEL, 1, 0);
        Click(dialog, IDC_REGTEXT_DELETE);
        registerText(*store, "meanwhile");
        registerText(*store, "deleted");  // registered all along: not a new registration
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(Registered(), (std::vector<std::string>{"meanwhile", "kept"}));
}

// With every text id taken, OK cannot store an added text: the user is told, the dialog stays
// open with its list, and the registered texts are as they were.
TEST_F(RegTextDialog, ACommitThatCannotBeStoredIsToldAndKeepsTheDialogOpen) {
    Register({"one", "two"});
    for (int i = 2; i < kTextIdCount; ++i)
        addText(*store, ListKind::History, std::to_string(i).c_str());
    answers = {std::u16string(u"x")};
    std::string box;
    std::vector<std::string> shownAfterOk, registeredAfterOk;
    bool openAfterOk = false;
    bool confirmed = Run([&](HWND dialog) {
        Click(dialog, IDC_REGTEXT_ADD);
        {
            testenv::BoxAnswerer answerer(dialog);
            Click(dialog, IDOK);
            box = answerer.text();
        }
        openAfterOk = IsWindowVisible(dialog) != FALSE;
        shownAfterOk = Shown(dialog);
        registeredAfterOk = Registered();
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(confirmed) << "the caller writes the file only after a commit";
    EXPECT_NE(box.find("登録テキストを変更できませんでした。"), std::string::npos) << box;
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(shownAfterOk, (std::vector<std::string>{"x", "one", "two"}));
    EXPECT_EQ(registeredAfterOk, (std::vector<std::string>{"one", "two"}));
}

TEST_F(RegTextDialog, DragBelowTheLastAndDuplicatesCollapseOnCommit) {
    Register({"x", "y", "z"});
    answers = {std::u16string(u"z")};
    bool confirmed = Run([&](HWND dialog) {
        HWND list = ListOf(dialog);
        RECT first = {}, last = {};
        SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&last));
        POINT from = {first.left + 5, (first.top + first.bottom) / 2};
        POINT to = {last.left + 5, last.bottom + 6};
        for (auto [message, at] : {std::pair{WM_LBUTTONDOWN, from}, std::pair{WM_MOUSEMOVE, to},
                                   std::pair{WM_LBUTTONUP, to}}) {
            POINT screen = at;
            ClientToScreen(list, &screen);
            SetCursorPos(screen.x, screen.y);
            SendMessageA(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                         MAKELPARAM(at.x, at.y));
        }
        EXPECT_EQ(Shown(dialog), (std::vector<std::string>{"y", "z", "x"}));
        Click(dialog, IDC_REGTEXT_ADD);  // a second "z", above the first
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(Registered(), (std::vector<std::string>{"z", "y", "x"}));
}

TEST_F(RegTextDialog, DragCursorsAreThePageInsideAndTheNoDropSignOutside) {
    Run([&](HWND dialog) {
        HWND list = ListOf(dialog);
        auto query = [&](int toIndex) {
            DDLBNOTIFY record = {};
            record.hdr = {list, IDC_REGTEXT_LIST, DDLBN_QUERYCURSOR};
            record.toIndex = toIndex;
            return reinterpret_cast<HCURSOR>(
                SendMessageA(dialog, WM_NOTIFY, IDC_REGTEXT_LIST, reinterpret_cast<LPARAM>(&record)));
        };
        HCURSOR page = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDCUR_DRAG));
        ASSERT_TRUE(page);
        EXPECT_EQ(query(0), page);
        HCURSOR noDrop = query(-1);
        EXPECT_TRUE(noDrop);
        EXPECT_NE(noDrop, page);
        EXPECT_EQ(query(-1), noDrop);  // one cursor for the dialog's life
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(page, &info));
        EXPECT_EQ(info.xHotspot, 5u);
        EXPECT_EQ(info.yHotspot, 9u);
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        Click(dialog, IDCANCEL);
    });
}

TEST_F(RegTextDialog, OneDialogRuleRefusesASecondOpening) {
    SetPropA(owner, PROP_DIALOG, owner);
    EXPECT_FALSE(ShowRegisteredTextDialog(owner, *store));
    RemovePropA(owner, PROP_DIALOG);
    Run([&](HWND dialog) {
        EXPECT_EQ(GetPropA(owner, PROP_DIALOG), owner);
        EXPECT_FALSE(ShowRegisteredTextDialog(owner, *store));
        Click(dialog, IDCANCEL);
    });
}

// A list that refuses inserts: an item that cannot be made is not put in, and an edit keeps
// the old item with its text.
WNDPROC g_realList = nullptr;
LRESULT CALLBACK RefusingList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LB_INSERTSTRING) return LB_ERRSPACE;
    return CallWindowProcA(g_realList, list, message, wParam, lParam);
}

TEST_F(RegTextDialog, ItemThatCannotBeInsertedChangesNothing) {
    Register({"kept", "other"});
    answers = {std::u16string(u"new"), std::u16string(u"changed")};
    bool confirmed = Run([&](HWND dialog) {
        HWND list = ListOf(dialog);
        g_realList = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingList)));
        Click(dialog, IDC_REGTEXT_ADD);
        Click(dialog, IDC_REGTEXT_EDIT);
        EXPECT_EQ(Shown(dialog), (std::vector<std::string>{"kept", "other"}));
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_realList));
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(pads.size(), 2u);
    EXPECT_EQ(Registered(), (std::vector<std::string>{"kept", "other"}));
}

}  // namespace
