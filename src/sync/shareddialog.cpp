// The shared-folder dialog: the folder (picked as the log folder is), the count, and what the
// last exchange found in the folder.
#include "sync/shareddialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <ctime>
#include <string>

#include "resource.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "sync/sharedfolder.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"
#include "TOOLS/tooltext.h"

namespace {

const char* const kCaption = "共有フォルダの設定";

SingleDialog g_dialog = {};

SharedSettings* SettingsOf(HWND dialog) {
    return static_cast<SharedSettings*>(GetPropA(dialog, PROP_DIALOGPARAM));
}

std::u16string FieldText(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, u'\0');
    int got = GetWindowTextW(field, reinterpret_cast<wchar_t*>(text.data()),
                             static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void SetFieldText(HWND dialog, int id, const std::u16string& text) {
    SetDlgItemTextW(dialog, id, reinterpret_cast<const wchar_t*>(text.c_str()));
}

// "PC-1\t2026/12/09 10:15" in local time.
std::u16string MachineRow(const SharedMachine& machine) {
    char when[32] = "";
    time_t written = static_cast<time_t>(machine.written);
    if (const tm* local = localtime(&written)) strftime(when, sizeof when, "%Y/%m/%d %H:%M", local);
    return machine.computer + u"\t" + WideFrom932(when);
}

void ShowStatus(HWND dialog, const SharedFolderStatus& status) {
    const char* state = !status.on         ? "共有していません"
                        : status.reachable ? "共有しています"
                                           : "フォルダに届きません（一覧はそのまま）";
    SetDlgItemTextSjis(dialog, IDC_SHARED_STATE, state);
    HWND list = GetDlgItem(dialog, IDC_SHARED_MACHINES);
    int column = 80;  // dialog units: room for a computer name of 15 characters
    SendMessageW(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&column));
    for (const SharedMachine& machine : status.machines)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(MachineRow(machine).c_str()));
    std::u16string newer;
    for (const std::u16string& name : status.newerFiles)
        newer += (newer.empty() ? u"" : u", ") + name;
    if (!newer.empty())
        SetFieldText(dialog, IDC_SHARED_NEWER,
                     WideFrom932("新しい版の形式のため読まないファイル: ") + newer);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM param) {
    AttachDialogRecord(dialog, g_dialog, param);
    const SharedSettings& shared = *reinterpret_cast<SharedSettings*>(param);
    SetFieldText(dialog, IDC_SHARED_FOLDER, SharedFolderPath(shared));
    HWND spin = GetDlgItem(dialog, IDC_SHARED_COUNT_SPIN);
    SendMessageA(spin, UDM_SETBUDDY,
                 reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SHARED_HISTORY_COUNT)), 0);
    SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(kMaxHistoryCount, 0));
    SetDlgItemInt(dialog, IDC_SHARED_HISTORY_COUNT, static_cast<UINT>(shared.historyCount), FALSE);
    ShowStatus(dialog, GetSharedFolderStatus());
    return TRUE;
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

void OnBrowse(HWND dialog) {
    std::u16string current = FieldText(dialog, IDC_SHARED_FOLDER);
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW browse = {};
    browse.hwndOwner = dialog;
    browse.pszDisplayName = display;
    browse.lpszTitle = L"";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(current.c_str());
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return;
    wchar_t path[MAX_PATH];
    if (SHGetPathFromIDListW(chosen, path)) SetDlgItemTextW(dialog, IDC_SHARED_FOLDER, path);
    CoTaskMemFree(chosen);
}

// The folder as code page 932 bytes, and exactly where 932 cannot hold it; one whose bytes do not
// fit the settings is refused rather than shared under a cut name.
void OnOk(HWND dialog) {
    std::u16string folder = FieldText(dialog, IDC_SHARED_FOLDER);
    SharedSettings& shared = *SettingsOf(dialog);
    const std::string bytes = AnsiFromWide(folder);
    if (bytes.size() >= sizeof shared.folder) {
        BeepMessageBox(dialog, "このフォルダの名前は使えません。", kCaption,
                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    tooltext::CopyBounded(shared.folder, sizeof shared.folder, bytes.c_str());
    shared.folderExact = ExactFormOf(folder, shared.folder) ? folder : std::u16string();
    BOOL read = FALSE;
    UINT count = GetDlgItemInt(dialog, IDC_SHARED_HISTORY_COUNT, &read, FALSE);
    shared.historyCount = read && count <= kMaxHistoryCount ? static_cast<int32_t>(count) : 0;
    EndDialog(dialog, IDOK);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK: OnOk(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_SHARED_BROWSE: OnBrowse(dialog); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SharedFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, lParam);
    case WM_COMMAND: return OnCommand(dialog, wParam);
    case WM_DESTROY: DetachDialogRecord(dialog, g_dialog); return FALSE;
    }
    return FALSE;
}

}  // namespace

bool ShowSharedFolderDialog(HWND owner, SharedSettings& shared) {
    if (BringForwardIfOpen(g_dialog)) return false;
    return RunSingleDialog(g_dialog, IDD_SHARED_FOLDER, owner, SharedFolderDialogProc, &shared) ==
           IDOK;
}
