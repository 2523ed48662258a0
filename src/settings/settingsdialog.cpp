// The settings dialog: fills its controls from the settings record, previews the date format in a
// tip, browses for the log folder, moves the history file to the Recycle Bin, and on OK checks
// the history count and stores every field.
#include "settings/settingsdialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"
#include "TOOLS/toolwind.h"
#include "resource.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "settings/settingsrules.h"

namespace {

const char* const kCaption = "設定の変更";

SingleDialog g_dialog = {};

AppSettings* SettingsOf(HWND dialog) {
    return static_cast<AppSettings*>(GetPropA(dialog, PROP_DIALOGPARAM));
}

bool IsChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
void Check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// A field's text into a record's buffer, never splitting a double-byte character.
void ReadField(HWND dialog, int id, char* buffer, size_t size) {
    tooltext::CopyBounded(buffer, size, CopyWindowText(GetDlgItem(dialog, id)).c_str());
}

// text null: the tip asks for its text when shown.
void AddTip(HWND tips, HWND dialog, int id, const char* text) {
    TOOLINFOW tool = {};
    // The size every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    std::u16string wide = text ? WideFromAnsi(text) : std::u16string();
    tool.lpszText = text ? WideChars(wide) : LPSTR_TEXTCALLBACKW;
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CreateTips(HWND dialog) {
    HWND tips =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    if (!tips) return;
    AddTip(tips, dialog, IDC_SETTINGS_HISTORY_COUNT, "1 ～ 4095");
    AddTip(tips, dialog, IDC_SETTINGS_USE_HISTORY_FILE, "履歴を保存して次回起動時に引き継ぎます");
    AddTip(tips, dialog, IDC_SETTINGS_REPAIR_CHAIN,
           "チェインの修復を利用すると不安定になる場合があります");
    AddTip(tips, dialog, IDC_SETTINGS_DATE_FORMAT, nullptr);
}

void FillControls(HWND dialog, const AppSettings& s) {
    SetDlgItemInt(dialog, IDC_SETTINGS_HISTORY_COUNT, static_cast<UINT>(s.history.historyCount),
                  FALSE);
    SendDlgItemMessageA(dialog, IDC_SETTINGS_COUNT_SPIN, UDM_SETPOS, 0,
                        MAKELPARAM(s.history.historyCount, 0));
    Check(dialog, IDC_SETTINGS_USE_HISTORY_FILE, s.history.useHistoryFile);
    Check(dialog, IDC_SETTINGS_ANIMATE_ICON, s.history.animateIcon);
    Check(dialog, IDC_SETTINGS_REPAIR_CHAIN, s.history.repairChain);
    Check(dialog, IDC_SETTINGS_AUTO_CLEAR, s.history.autoClear);
    Check(dialog,
          s.menu.registeredOnTop ? IDC_SETTINGS_REGISTERED_ON_TOP : IDC_SETTINGS_HISTORY_ON_TOP,
          true);
    Check(dialog, s.menu.newestOnTop ? IDC_SETTINGS_NEWEST_ON_TOP : IDC_SETTINGS_OLDEST_ON_TOP,
          true);
    Check(dialog, IDC_SETTINGS_MENU_TIPS, s.menu.showMenuTips);
    SetDlgItemTextSjis(dialog, IDC_SETTINGS_DATE_FORMAT, s.dateFormat);
    SetDlgItemTextW(dialog, IDC_SETTINGS_LOG_FOLDER, WideChars(LogFolderPath(s.log)));
    Check(dialog, IDC_SETTINGS_LOG_TEXT, s.log.logText);
    Check(dialog, IDC_SETTINGS_LOG_IMAGE, s.log.logImage);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM param) {
    AttachDialogRecord(dialog, g_dialog, param);
    HWND spin = GetDlgItem(dialog, IDC_SETTINGS_COUNT_SPIN);
    SendMessageA(spin, UDM_SETBUDDY,
                 reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SETTINGS_HISTORY_COUNT)), 0);
    SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(kMaxHistoryCount, kMinHistoryCount));
    CreateTips(dialog);
    FillControls(dialog, *reinterpret_cast<AppSettings*>(param));
    return TRUE;
}

// The date-format tip: what the date command would put on the clipboard now.
INT_PTR OnNotify(HWND dialog, LPARAM lParam) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code != TTN_GETDISPINFOW ||
        header->idFrom != reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, IDC_SETTINGS_DATE_FORMAT)))
        return FALSE;
    char pattern[kDateFormatSize];
    ReadField(dialog, IDC_SETTINGS_DATE_FORMAT, pattern, sizeof pattern);
    SYSTEMTIME now;
    GetLocalTime(&now);
    DateFormatter::LocalTime time = {now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
                                     now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
    NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    char preview[sizeof info->szText / sizeof info->szText[0]];
    FormatDatePreview(preview, sizeof preview, pattern, time);
    // As many bytes as the field has units: the text always fits.
    const std::u16string wide = WideFromAnsi(preview);
    std::memcpy(info->szText, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    info->lpszText = info->szText;
    return TRUE;
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH];
        BOOL isFolder = SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lParam), path);
        SendMessageW(browser, BFFM_ENABLEOK, 0, isFolder);
    }
    return 0;
}

void OnBrowse(HWND dialog) {
    const std::u16string current = CopyWindowWideText(GetDlgItem(dialog, IDC_SETTINGS_LOG_FOLDER));
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator) return;
    wchar_t display[MAX_PATH] = L"";
    BROWSEINFOW browse = {};
    browse.hwndOwner = dialog;
    browse.pszDisplayName = display;
    browse.lpszTitle = L"";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(current.c_str());
    if (LPITEMIDLIST chosen = SHBrowseForFolderW(&browse)) {
        wchar_t path[MAX_PATH];
        if (SHGetPathFromIDListW(chosen, path)) SetDlgItemTextW(dialog, IDC_SETTINGS_LOG_FOLDER, path);
        allocator->Free(chosen);
    }
    allocator->Release();
}

void OnDeleteHistoryFile(HWND dialog) {
    const std::u16string path = ModuleSiblingPath(".hst");
    if (path.empty()) return;
    DWORD attributes = GetFileAttributesW(WideChars(path));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (BeepMessageBox(dialog, "履歴ファイルを削除しますか？", kCaption,
                       MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return;
    // A list of one name ends with two NULs, which must fit whatever the path's length.
    const std::u16string list = path + u'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = dialog;
    operation.wFunc = FO_DELETE;
    operation.pFrom = WideChars(list);
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
    SHFileOperationW(&operation);
}

bool ValidateHistoryCount(HWND dialog, int32_t& count) {
    char text[1024];
    ReadField(dialog, IDC_SETTINGS_HISTORY_COUNT, text, sizeof text);
    HistoryCountCheck check = CheckHistoryCount(text, count);
    if (check == HistoryCountCheck::Valid) return true;
    char message[1024];
    tooltext::FormatBounded(message, sizeof message, HistoryCountMessage(check),
                            HistoryCountBound(check));
    MessageBoxSjis(dialog, message, kCaption, MB_OK);
    SendDlgItemMessageA(dialog, IDC_SETTINGS_COUNT_SPIN, UDM_SETPOS, 0,
                        MAKELPARAM(HistoryCountBound(check), 0));
    FocusDialogItem(dialog, IDC_SETTINGS_HISTORY_COUNT);
    return false;
}

// The folder as code page 932 bytes, and exactly where 932 cannot hold it.
void StoreLogFolder(const std::u16string& folder, LogSettings& log) {
    const std::string bytes = AnsiFromWide(folder);
    tooltext::CopyBounded(log.logFolder, sizeof log.logFolder, bytes.c_str());
    log.logFolderExact = ExactFormOf(folder, log.logFolder) ? folder : std::u16string();
}

void StoreFields(HWND dialog, AppSettings& s, int32_t count) {
    s.history.historyCount = count;
    s.history.useHistoryFile = IsChecked(dialog, IDC_SETTINGS_USE_HISTORY_FILE);
    s.history.animateIcon = IsChecked(dialog, IDC_SETTINGS_ANIMATE_ICON);
    s.history.repairChain = IsChecked(dialog, IDC_SETTINGS_REPAIR_CHAIN);
    s.history.autoClear = IsChecked(dialog, IDC_SETTINGS_AUTO_CLEAR);
    s.menu.registeredOnTop = IsChecked(dialog, IDC_SETTINGS_REGISTERED_ON_TOP);
    s.menu.newestOnTop = IsChecked(dialog, IDC_SETTINGS_NEWEST_ON_TOP);
    s.menu.showMenuTips = IsChecked(dialog, IDC_SETTINGS_MENU_TIPS);
    ReadField(dialog, IDC_SETTINGS_DATE_FORMAT, s.dateFormat, sizeof s.dateFormat);
    s.log.logText = IsChecked(dialog, IDC_SETTINGS_LOG_TEXT);
    s.log.logImage = IsChecked(dialog, IDC_SETTINGS_LOG_IMAGE);
    StoreLogFolder(CopyWindowWideText(GetDlgItem(dialog, IDC_SETTINGS_LOG_FOLDER)), s.log);
}

void OnOk(HWND dialog) {
    int32_t count = 0;
    if (!ValidateHistoryCount(dialog, count)) return;
    StoreFields(dialog, *SettingsOf(dialog), count);
    EndDialog(dialog, IDOK);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK: OnOk(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_SETTINGS_BROWSE: OnBrowse(dialog); return TRUE;
    case IDC_SETTINGS_DELETE_HISTORY: OnDeleteHistoryFile(dialog); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, lParam);
    case WM_COMMAND: return OnCommand(dialog, wParam);
    case WM_NOTIFY: return OnNotify(dialog, lParam);
    case WM_CLOSE: AskSaveOnClose(dialog, kCaption); return TRUE;
    case WM_NCHITTEST: return HitTestClientAsCaption(dialog, wParam, lParam);
    case WM_DESTROY: DetachDialogRecord(dialog, g_dialog); return FALSE;
    }
    return FALSE;
}

}  // namespace

bool ShowSettingsDialog(HWND owner, AppSettings& settings) {
    if (BringForwardIfOpen(g_dialog)) return false;
    return RunSingleDialog(g_dialog, IDD_SETTINGS, owner, SettingsDialogProc, &settings) == IDOK;
}
