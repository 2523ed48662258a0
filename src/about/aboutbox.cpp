// The about box: built from an in-memory template, sized to its texts, with a link that opens
// the support page.
#include "about/aboutbox.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "about/dlgtemplate.h"
#include "about/linklabel.h"
#include "resource.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"
#include "TOOLS/toolwind.h"

namespace {

constexpr const char* PROP_ABOUTDIALOGDATA = "PROP_ABOUTDIALOGDATA";
constexpr size_t kTextSize = 522;  // texts of at most 521 bytes
constexpr uint16_t kButtonAtom = 0x0080;
constexpr uint16_t kStaticAtom = 0x0082;

struct AboutDialogData {
    HICON bigIcon;
    HICON smallIcon;
    const char16_t* link;  // what the link opens, the caller's
};

// The open about box; a second opening brings it forward.
HWND g_openAboutBox = nullptr;

std::vector<uint16_t> BuildAboutTemplate() {
    DialogHeader header;
    header.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP |
                   DS_MODALFRAME | DS_SETFONT | DS_SYSMODAL;
    header.cx = 38;
    header.cy = 56;
    header.fontName = u"ＭＳ Ｐゴシック";
    header.pointSize = 9;
    // The text lines are one unit wide until they are sized to their texts.
    const DWORD icon = WS_VISIBLE | SS_ICON, text = WS_VISIBLE | SS_LEFT;
    const DWORD button = WS_VISIBLE | WS_GROUP | BS_DEFPUSHBUTTON;
    const TemplateName label = NameOrdinal(kStaticAtom), ok = NameString(u"OK");
    std::vector<DialogItem> items(5);
    items[0] = {label, {}, icon, 0, 7, 7, 20, 21, IDC_ABOUT_ICON};
    items[1] = {label, {}, text, 0, 30, 7, 1, 8, IDC_ABOUT_NAME};
    items[2] = {label, {}, text, 0, 30, 16, 1, 8, IDC_ABOUT_LINK};
    items[3] = {label, {}, text, 0, 30, 25, 1, 8, IDC_ABOUT_RESOURCES};
    items[4] = {NameOrdinal(kButtonAtom), ok, button, 0, 45, 35, 45, 14, IDOK};
    return BuildDialogTemplate(header, items);
}

HICON LoadShellIcon(bool large) {
    char path[kTextSize];
    DWORD n = GetModuleFileNameA(GetModuleHandleA(nullptr), path, sizeof path);
    if (n == 0 || n >= sizeof path) return nullptr;
    SHFILEINFOA info = {};
    UINT flags = SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
    return SHGetFileInfoA(path, 0, &info, sizeof info, flags) ? info.hIcon : nullptr;
}

template <typename F>
F LibraryFunction(HMODULE library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The version functions, from the system folder's library while the texts are read: imported
// by name, a library of that name beside a portable executable would run in its place.
struct VersionLibrary {
    HMODULE library = LoadSystemLibrary("version.dll");
    decltype(&GetFileVersionInfoSizeA) infoSize =
        LibraryFunction<decltype(infoSize)>(library, "GetFileVersionInfoSizeA");
    decltype(&GetFileVersionInfoA) info =
        LibraryFunction<decltype(info)>(library, "GetFileVersionInfoA");
    decltype(&VerQueryValueA) query = LibraryFunction<decltype(query)>(library, "VerQueryValueA");

    VersionLibrary() = default;
    VersionLibrary(const VersionLibrary&) = delete;
    VersionLibrary& operator=(const VersionLibrary&) = delete;
    ~VersionLibrary() {
        if (library) FreeLibrary(library);
    }
};

// One string of the version block; empty when missing.
void ReadVersionValue(const VersionLibrary& version, const void* block, DWORD translation,
                      const char* key, char* value) {
    char query[kTextSize];
    tooltext::FormatBounded(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s",
                            static_cast<unsigned>(translation & 0xFFFF),
                            static_cast<unsigned>(translation >> 16), key);
    char* found = nullptr;
    UINT length = 0;
    value[0] = '\0';
    if (version.query(block, query, reinterpret_cast<void**>(&found), &length) && found)
        tooltext::CopyBounded(value, kTextSize, found);
}

// Item 101 and the caption from the executable's version resource; both stay empty without it.
void ShowVersionTexts(HWND dialog) {
    char path[kTextSize];
    DWORD n = GetModuleFileNameA(GetModuleHandleA(nullptr), path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    VersionLibrary version;
    if (!version.infoSize || !version.info || !version.query) return;
    DWORD unused = 0;
    DWORD size = version.infoSize(path, &unused);
    if (size == 0) return;
    std::vector<char> block(size);
    if (!version.info(path, 0, size, block.data())) return;
    DWORD* translation = nullptr;
    UINT length = 0;
    if (!version.query(block.data(), "\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length) ||
        !translation || length < sizeof(DWORD))
        return;
    char name[kTextSize], productVersion[kTextSize], text[kTextSize];
    ReadVersionValue(version, block.data(), *translation, "ProductName", name);
    if (name[0] == '\0')
        ReadVersionValue(version, block.data(), *translation, "FileDescription", name);
    ReadVersionValue(version, block.data(), *translation, "ProductVersion", productVersion);
    tooltext::FormatBounded(text, sizeof text, "%s ver. %s", name, productVersion);
    SetDlgItemTextSjis(dialog, IDC_ABOUT_NAME, text);
    tooltext::FormatBounded(text, sizeof text, "%s について", name);
    SetWindowTextSjis(dialog, text);
}

// The resource meter exists only on some systems, and only its system folder's copy is used.
void ShowFreeResources(HWND item) {
    SetWindowTextW(item, L"");
    HMODULE library = LoadSystemLibrary("rsrc32.dll");
    if (!library) return;
    using FreeResourcesQuery = int(WINAPI*)(int);
    auto query = reinterpret_cast<FreeResourcesQuery>(
        reinterpret_cast<void*>(GetProcAddress(library, "_MyGetFreeSystemResources32@4")));
    if (!query) {
        FreeLibrary(library);
        return;
    }
    int percent = query(0);  // 0: system resources
    FreeLibrary(library);
    char text[34];
    tooltext::FormatBounded(text, sizeof text, "システムリソース： %d ％使用可能", percent);
    SetWindowTextSjis(item, text);
}

void AddLinkTooltip(HWND dialog, HWND link) {
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tip) return;
    std::u16string text = WideFromAnsi("サポートサイトへ");
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;  // understood by every control version
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(link);
    tool.lpszText = WideChars(text);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// How many pixels the item's text is wider than the item, measured with the item's own font;
// 0 when it fits or cannot be measured.
int TextOverhang(HWND item) {
    std::u16string text = CopyWindowWideText(item);
    HDC dc = GetDC(item);
    if (!dc) return 0;
    int saved = SaveDC(dc);
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageA(item, WM_GETFONT, 0, 0)))
        SelectObject(dc, font);
    SIZE extent = {};
    bool measured =
        GetTextExtentPoint32W(dc, WideChars(text), static_cast<int>(text.size()), &extent) != 0;
    RestoreDC(dc, saved);
    ReleaseDC(item, dc);
    int overhang = measured ? extent.cx - GetWindowSize(item).cx : 0;
    return overhang > 0 ? overhang : 0;
}

// Widens the text lines to their texts and the dialog by the widest shortfall, so every line
// keeps the template's margin on the right; then centres the OK button.
void FitToTexts(HWND dialog) {
    int widest = 0;
    for (int id : {IDC_ABOUT_NAME, IDC_ABOUT_LINK, IDC_ABOUT_RESOURCES}) {
        HWND item = GetDlgItem(dialog, id);
        int overhang = TextOverhang(item);
        WidenWindowBy(item, overhang);
        if (overhang > widest) widest = overhang;
    }
    if (widest == 0) return;
    WidenWindowBy(dialog, widest);
    HWND ok = GetDlgItem(dialog, IDOK);
    RECT dialogRect, okRect;
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(ok, &okRect);
    int left = (GetWindowSize(dialog).cx - GetWindowSize(ok).cx) / 2;
    MoveWindowHorizontallyBy(ok, dialogRect.left + left - okRect.left);
}

INT_PTR OnInitDialog(HWND dialog, AboutDialogData* data) {
    g_openAboutBox = dialog;
    SetPropA(dialog, PROP_ABOUTDIALOGDATA, data);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(data->bigIcon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(data->smallIcon));
    ShowVersionTexts(dialog);
    ShowFreeResources(GetDlgItem(dialog, IDC_ABOUT_RESOURCES));
    HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
    SetWindowTextW(link, WideChars(data->link));
    MakeLinkLabel(link);
    SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(data->bigIcon), 0);
    AddLinkTooltip(dialog, link);
    FitToTexts(dialog);
    // Centred once its size is final, so widening cannot push it past the work area.
    CenterWindowOnCursor(dialog);
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
    if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 2);
    return TRUE;
}

INT_PTR OnNotify(HWND dialog, NMHDR* header) {
    if (header->idFrom != IDC_ABOUT_LINK) return TRUE;
    if (header->code == LLN_CLICK) {
        const auto* data = static_cast<AboutDialogData*>(GetPropA(dialog, PROP_ABOUTDIALOGDATA));
        if (data) ShellExecuteW(dialog, nullptr, WideChars(data->link), nullptr, nullptr, SW_SHOWNORMAL);
        EndDialog(dialog, 1);
        return TRUE;
    }
    SendMessageA(header->hwndFrom, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    return TRUE;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<AboutDialogData*>(lParam));
        case WM_COMMAND: return OnCommand(dialog, wParam);
        case WM_NOTIFY: return OnNotify(dialog, reinterpret_cast<NMHDR*>(lParam));
        case WM_NCHITTEST: return HitTestClientAsCaption(dialog, wParam, lParam);
        case WM_DESTROY: RemovePropA(dialog, PROP_ABOUTDIALOGDATA); return TRUE;
    }
    return FALSE;
}

}  // namespace

void ShowAboutBox(HWND owner, const char16_t* link) {
    if (g_openAboutBox) {
        BringDialogForward(g_openAboutBox);
        return;
    }
    std::vector<uint16_t> words = BuildAboutTemplate();
    if (words.empty()) return;
    AboutDialogData data = {LoadShellIcon(true), LoadShellIcon(false), link};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                            reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                            AboutDialogProc, reinterpret_cast<LPARAM>(&data));
    g_openAboutBox = nullptr;
    if (data.bigIcon) DestroyIcon(data.bigIcon);
    if (data.smallIcon) DestroyIcon(data.smallIcon);
}
