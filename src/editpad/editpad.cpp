// The edit pad: a resizable modal dialog with a menu bar, where a text is written or changed.
#include "editpad/editpad.h"

#include <commdlg.h>
#include <imm.h>

#include <algorithm>
#include <new>

#include "app/appshell.h"
#include "editpad/padfile.h"
#include "editpad/padrules.h"
#include "resource.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"
#include "TOOLS/toolwind.h"

namespace {

constexpr const char* PROP_EDITPADINFO = "PROP_EDITPADINFO";
constexpr const char* kPlacementSection = "EDIT_PAD";
constexpr const char* kCloseCaption = "ﾃｷｽﾄの編集";
constexpr const char* kSaveTitle = "テキストをファイルへ出力";

// Pairs of description and pattern, ended by an empty string.
constexpr char kFileFilter[] =
    "ﾃｷｽﾄﾌｧｲﾙ (*.txt; *.doc)\0*.txt; *.doc\0"
    "HTMLﾌｧｲﾙ (*.htm; *.html; *.shtm; *.shtml)\0*.htm; *.html; *.shtm; *.shtml\0"
    "すべてのファイル (*.*)\0*.*\0";

// One open pad; lives inside ShowEditPad for the call.
struct EditPadInfo {
    TextRow start;         // the text the pad starts with, in its form
    std::u16string shown;  // what the edit control held at the start
    TextRow result;        // the confirmed text
    LayoutState layout;
};

constexpr CodePage kProgramCodePage = {AnsiFromWide, WideFromAnsi};

EditPadAnswer g_testAnswer;

EditPadInfo* GetInfo(HWND dialog) {
    return static_cast<EditPadInfo*>(GetPropA(dialog, PROP_EDITPADINFO));
}

HWND GetEdit(HWND dialog) {
    return GetDlgItem(dialog, IDC_EDITPAD_EDIT);
}

bool IsImeOpen(HWND dialog) {
    HIMC context = ImmGetContext(dialog);
    if (!context) return false;
    bool open = ImmGetOpenStatus(context) != FALSE;
    ImmReleaseContext(dialog, context);
    return open;
}

void ToggleIme(HWND dialog) {
    HIMC context = ImmGetContext(dialog);
    if (!context) return;
    ImmSetOpenStatus(context, !ImmGetOpenStatus(context));
    ImmReleaseContext(dialog, context);
}

void InsertTopmostItem(HWND dialog) {
    HMENU system = GetSystemMenu(dialog, FALSE);
    int maximize = system ? FindMaximizeItemPosition(system) : -1;
    if (maximize < 0) return;
    InsertMenuW(system, static_cast<UINT>(maximize + 1), MF_BYPOSITION | MF_STRING,
                IDM_ALWAYS_ON_TOP, WideChars(WideFromAnsi("常に最前面に表示(&T)")));
}

// The given text, else the clipboard's, with its exact form.
TextRow StartRow(HWND owner, const TextRow* initial) {
    if (initial) return *initial;
    ClipboardText clip = ReadClipboardText(owner);
    if (clip.bytes.empty()) return TextRow{};
    return TextRow{clip.bytes.data(), clip.exact};
}

std::u16string ShownText(const TextRow& row) {
    return row.exact ? *row.exact : WideFromAnsi(row.text);
}

// What the control holds is read back: a text left as the control shows it is unchanged.
void SetStartText(HWND dialog, EditPadInfo& info) {
    HWND edit = GetEdit(dialog);
    SetWindowTextW(edit, WideChars(ShownText(info.start)));
    info.shown = CopyWindowWideText(edit);
}

void EnableItem(HMENU menu, UINT id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

constexpr DWORD kPathUnits = 1024;

// The texts of a file dialog in UTF-16, kept while it is open.
struct FileDialogTexts {
    std::u16string filter = WideFromAnsi(std::string_view(kFileFilter, sizeof kFileFilter));
    std::u16string title;
    std::u16string path = std::u16string(kPathUnits, u'\0');
};

// The settings both file dialogs share.
OPENFILENAMEW FileDialogSettings(HWND dialog, FileDialogTexts& texts, DWORD flags) {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = WideChars(texts.filter);
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = WideChars(texts.path);
    ofn.nMaxFile = kPathUnits;
    ofn.lpstrTitle = WideChars(texts.title);
    ofn.Flags = flags | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
    return ofn;
}

// The file dialogs' library, with all it pulls in, costs a resident program megabytes: it is
// loaded when a file dialog is first asked for, and then kept.
bool RunFileDialog(const char* function, OPENFILENAMEW& ofn) {
    static HMODULE library = LoadSystemLibrary("comdlg32.dll");
    if (!library) return false;
    using FileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    auto show = reinterpret_cast<FileDialog>(
        reinterpret_cast<void*>(GetProcAddress(library, function)));
    return show && show(&ofn);
}

void LoadTextFile(HWND dialog) {
    FileDialogTexts texts;
    texts.title = WideFromAnsi("ファイルを開く");
    OPENFILENAMEW ofn = FileDialogSettings(dialog, texts, OFN_FILEMUSTEXIST);
    if (RunFileDialog("GetOpenFileNameW", ofn)) LoadTextFileInto(GetEdit(dialog), texts.path.c_str());
}

void SaveTextFile(HWND dialog) {
    const std::u16string folder = ModuleFolder();
    SYSTEMTIME now;
    GetLocalTime(&now);
    FileDialogTexts texts;
    texts.title = WideFromAnsi(kSaveTitle);
    std::u16string name =
        WideFromAnsi(SuggestedOutputName(now.wDay, now.wHour, now.wMinute, now.wSecond));
    texts.path.replace(0, std::min<size_t>(name.size(), kPathUnits - 1), name);
    OPENFILENAMEW ofn = FileDialogSettings(dialog, texts, OFN_OVERWRITEPROMPT);
    ofn.lpstrInitialDir = folder.empty() ? nullptr : WideChars(folder);
    if (RunFileDialog("GetSaveFileNameW", ofn))
        SaveEditTextTo(dialog, GetEdit(dialog), texts.path.c_str());
}

BOOL OnInitDialog(HWND dialog, EditPadInfo* info) {
    SetPropA(dialog, PROP_EDITPADINFO, info);
    SetDialogIcons(dialog);
    RecordDialogLayout(dialog, info->layout);
    SendMessageA(GetEdit(dialog), EM_LIMITTEXT, 0xFFFF, 0);
    try {
        SetStartText(dialog, *info);
    } catch (const std::bad_alloc&) {
        info->start = TextRow{};  // opens empty
        SetWindowTextW(GetEdit(dialog), L"");
    }
    InsertTopmostItem(dialog);
    RestoreDialogPlacement(dialog, kPlacementSection, DialogPlacement{false, false, 640, 480},
                           info->layout);
    return TRUE;
}

BOOL OnInitMenuPopup(HWND dialog) {
    HMENU system = GetSystemMenu(dialog, FALSE);
    if (system) {
        CheckMenuItem(system, IDM_ALWAYS_ON_TOP,
                      MF_BYCOMMAND | (IsWindowTopmost(dialog) ? MF_CHECKED : MF_UNCHECKED));
    }
    HMENU bar = GetMenu(dialog);
    if (!bar) return TRUE;
    HWND edit = GetEdit(dialog);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    int length = GetWindowTextLengthW(edit);
    EditPadFacts facts = {SendMessageA(edit, EM_CANUNDO, 0, 0) != 0,
                          IsClipboardFormatAvailable(CF_TEXT) != FALSE, start, end,
                          static_cast<unsigned>(length > 0 ? length : 0)};
    EditPadMenuStates states = DecideEditPadMenuStates(facts);
    EnableItem(bar, IDM_EDITPAD_UNDO, states.undo);
    EnableItem(bar, IDM_EDITPAD_PASTE, states.paste);
    for (UINT id : {IDM_EDITPAD_CUT, IDM_EDITPAD_COPY, IDM_EDITPAD_DELETE})
        EnableItem(bar, id, states.cutCopyDelete);
    EnableItem(bar, IDM_EDITPAD_SELECT_ALL, states.selectAll);
    ModifyMenuW(bar, IDM_EDITPAD_IME, MF_BYCOMMAND | MF_STRING, IDM_EDITPAD_IME,
                WideChars(WideFromAnsi(ImeMenuText(IsImeOpen(dialog)))));
    return TRUE;
}

void OnOk(HWND dialog) {
    EditPadInfo* info = GetInfo(dialog);
    try {
        info->result = ConfirmedTextRow(info->start, info->shown,
                                        CopyWindowWideText(GetEdit(dialog)), kProgramCodePage);
    } catch (const std::bad_alloc&) {
        return;  // stays open: the text is still in the control
    }
    EndDialog(dialog, IDOK);
}

void SendEditMessage(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    SendDlgItemMessageW(dialog, IDC_EDITPAD_EDIT, message, wParam, lParam);
}

BOOL OnCommand(HWND dialog, WORD id) {
    switch (id) {
        case IDM_EDITPAD_UNDO: SendEditMessage(dialog, WM_UNDO); return TRUE;
        case IDM_EDITPAD_CUT: SendEditMessage(dialog, WM_CUT); return TRUE;
        case IDM_EDITPAD_COPY: SendEditMessage(dialog, WM_COPY); return TRUE;
        case IDM_EDITPAD_PASTE: SendEditMessage(dialog, WM_PASTE); return TRUE;
        case IDM_EDITPAD_DELETE: SendEditMessage(dialog, WM_CLEAR); return TRUE;
        case IDM_EDITPAD_SELECT_ALL: SendEditMessage(dialog, EM_SETSEL, 0, -1); return TRUE;
        case IDM_EDITPAD_IME: ToggleIme(dialog); return TRUE;
        case IDM_EDITPAD_LOAD_FILE: LoadTextFile(dialog); return TRUE;
        case IDM_EDITPAD_SAVE_FILE: SaveTextFile(dialog); return TRUE;
        case IDOK: OnOk(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
}

BOOL OnSysCommand(HWND dialog, WPARAM command) {
    if (LOWORD(command) != IDM_ALWAYS_ON_TOP) return FALSE;
    SetWindowTopmost(dialog, !IsWindowTopmost(dialog));
    return TRUE;
}

BOOL OnSize(HWND dialog, WPARAM sizeType, LPARAM size) {
    EditPadInfo* info = GetInfo(dialog);
    if (!info) return FALSE;
    return ApplyAnchorLayout(dialog, kEditPadAnchors, kEditPadAnchorCount, sizeType, LOWORD(size),
                             HIWORD(size), info->layout);
}

BOOL OnGetMinMaxInfo(HWND dialog, LPARAM minMaxInfo) {
    EditPadInfo* info = GetInfo(dialog);
    return info ? ApplyMinimumTrackSize(info->layout, minMaxInfo) : FALSE;
}

BOOL OnDestroy(HWND dialog) {
    SaveDialogPlacement(dialog, kPlacementSection);
    ReleaseDialogIcons(dialog);
    RemovePropA(dialog, PROP_EDITPADINFO);
    return TRUE;
}

INT_PTR CALLBACK EditPadProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<EditPadInfo*>(lParam));
        case WM_INITMENUPOPUP: return OnInitMenuPopup(dialog);
        case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam));
        case WM_SYSCOMMAND: return OnSysCommand(dialog, wParam);
        case WM_CLOSE: AskSaveOnClose(dialog, kCloseCaption); return TRUE;
        case WM_SIZE: return OnSize(dialog, wParam, lParam);
        case WM_GETMINMAXINFO: return OnGetMinMaxInfo(dialog, lParam);
        case WM_NCHITTEST: return HitTestClientAsCaption(dialog, wParam, lParam);
        case WM_DESTROY: return OnDestroy(dialog);
    }
    return FALSE;
}

std::optional<TextRow> RunEditPad(HWND owner, const TextRow* initial) {
    EditPadInfo info = {StartRow(owner, initial), std::u16string(), TextRow{}, LayoutState{}};
    if (g_testAnswer) {
        std::optional<std::u16string> answer = g_testAnswer(owner, initial);
        if (!answer) return std::nullopt;
        return ConfirmedTextRow(info.start, ShownText(info.start), *answer, kProgramCodePage);
    }
    INT_PTR ended = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_EDIT_PAD),
                                    owner, EditPadProc, reinterpret_cast<LPARAM>(&info));
    if (ended == -1) Trace("edit pad: DialogBoxParamW failed (error %lu)\r\n", GetLastError());
    if (ended != IDOK) return std::nullopt;
    return std::move(info.result);
}

}  // namespace

std::optional<TextRow> ShowEditPad(HWND owner, const TextRow* initial) {
    if (GetPropA(owner, PROP_DIALOG)) return std::nullopt;
    SetPropA(owner, PROP_DIALOG, owner);
    std::optional<TextRow> text;
    try {
        text = RunEditPad(owner, initial);
    } catch (const std::bad_alloc&) {
        text = std::nullopt;  // no memory for the start text: as a cancel
    }
    SetPropA(owner, PROP_DIALOG, nullptr);
    return text;
}

void SetEditPadTestHook(EditPadAnswer answer) {
    g_testAnswer = std::move(answer);
}
