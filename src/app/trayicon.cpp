// The notification icon: history state, tip, animation, task bar watch and clicks.
#include "app/trayicon.h"

#include <shellapi.h>

#include <cstring>

#include "app/appshell.h"
#include "app/icontip.h"
#include "resource.h"
#include "settings/appsettings.h"
#include "TOOLS/toolsys.h"

namespace {

// Slot 0 is the base icon (on or off); slots 1 to 3 the animation frames.
constexpr int kFrameIds[4] = {IDI_QUILLMATE, IDI_HISTORY_1, IDI_HISTORY_2, IDI_HISTORY_3};
constexpr UINT kIconId = 1;
// The first, 64-byte-tip layout of the record: every shell understands it.
const DWORD kRecordSize = NOTIFYICONDATAW_V1_SIZE;
// Telling the shell is a round trip to another process: during a burst of copies the tip is
// sent at most once per pause, the newest one at its end.
constexpr UINT kTipPauseMs = 100;

struct IconState {
    HICON frames[4] = {};
    int frameIds[4] = {};
    HICON iconOn = nullptr;
    HICON iconOff = nullptr;
    NOTIFYICONDATAW record = {};  // its tip is tip in UTF-16
    char tip[64] = {};            // the tip as code page 932 bytes
    int counter = 0;
    bool tipPaused = false;   // a tip was sent less than kTipPauseMs ago
    bool tipPending = false;  // the record holds a tip the shell was not told yet
    char shownTip[64] = {};
    HWND trayNotifyWindow = nullptr;
    int attempts = 61;
    DWORD pauseMs = 1000;
};

IconState g_icon;

// The system's small-icon size (16 at 100 %, 24 at 150 %): the resources hold an image of each
// common size, so the shell shows one drawn for it rather than a stretched one.
HICON LoadSmallIcon(int id) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), 0));
}

HWND FindTrayNotifyWindow() {
    HWND tray = FindWindowA("Shell_TrayWnd", "");
    return tray ? FindWindowExA(tray, nullptr, "TrayNotifyWnd", "") : nullptr;
}

// Sends the whole record: the icon and the newest tip.
void ModifyIcon() {
    if (!Shell_NotifyIconW(NIM_MODIFY, &g_icon.record)) return;
    g_icon.tipPending = false;
    std::memcpy(g_icon.shownTip, g_icon.tip, sizeof g_icon.shownTip);
}

void ShowIcon(HICON icon) {
    g_icon.record.hIcon = icon;
    ModifyIcon();
}

void CALLBACK OnTipPauseEnd(HWND window, UINT, UINT_PTR, DWORD) {
    KillTimer(window, TIMER_ICON_TIP);
    g_icon.tipPaused = false;
    if (!g_icon.tipPending) return;
    ModifyIcon();
    g_icon.tipPaused = SetTimer(window, TIMER_ICON_TIP, kTipPauseMs, OnTipPauseEnd) != 0;
}

void CALLBACK OnTaskbarWatch(HWND, UINT, UINT_PTR, DWORD) {
    if (g_icon.trayNotifyWindow && IsWindow(g_icon.trayNotifyWindow)) return;
    g_icon.trayNotifyWindow = FindTrayNotifyWindow();
    if (!g_icon.trayNotifyWindow) return;
    Shell_NotifyIconW(NIM_DELETE, &g_icon.record);
    Shell_NotifyIconW(NIM_ADD, &g_icon.record);
}

void CALLBACK OnAnimationTick(HWND window, UINT, UINT_PTR, DWORD) {
    g_icon.counter = (g_icon.counter + 1) % 4;
    if (g_icon.counter == 0) KillTimer(window, TIMER_ICON_ANIMATION);
    HICON icon = g_icon.frames[g_icon.counter];
    if (icon != g_icon.record.hIcon) ShowIcon(icon);
}

int ResourceIdOf(HICON icon) {
    if (icon == g_icon.iconOn) return IDI_QUILLMATE;
    if (icon == g_icon.iconOff) return IDI_HISTORY_OFF;
    for (int slot = 1; slot < 4; ++slot)
        if (icon == g_icon.frames[slot]) return kFrameIds[slot];
    return 0;
}

bool AddWithWaiting() {
    for (int attempt = 0; attempt < g_icon.attempts; ++attempt) {
        if (attempt > 0) Sleep(g_icon.pauseMs);
        if (Shell_NotifyIconW(NIM_ADD, &g_icon.record)) return true;
    }
    return false;
}

}  // namespace

bool AddNotificationIcon(HWND mainWindow) {
    for (int slot = 1; slot < 4; ++slot) g_icon.frames[slot] = LoadSmallIcon(kFrameIds[slot]);
    g_icon.iconOn = LoadSmallIcon(IDI_QUILLMATE);
    g_icon.iconOff = LoadSmallIcon(IDI_HISTORY_OFF);
    g_icon.frames[0] = g_icon.iconOn;

    NOTIFYICONDATAW& record = g_icon.record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = kRecordSize;
    record.hWnd = mainWindow;
    record.uID = kIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_APP_ICONCALLBACK;
    record.hIcon = g_icon.iconOn;
    if (!AddWithWaiting()) return false;
    g_icon.shownTip[0] = g_icon.tip[0] = '\0';

    g_icon.trayNotifyWindow = FindTrayNotifyWindow();
    SetTimer(mainWindow, TIMER_TASKBAR_WATCH, 1000, OnTaskbarWatch);
    return true;
}

void RemoveNotificationIcon(HWND mainWindow) {
    KillTimer(mainWindow, TIMER_TASKBAR_WATCH);
    KillTimer(mainWindow, TIMER_ICON_TIP);
    g_icon.tipPaused = g_icon.tipPending = false;
    Shell_NotifyIconW(NIM_DELETE, &g_icon.record);
}

void ShowHistoryState(const AppSettings& settings) {
    g_icon.frames[0] = settings.history.useHistory ? g_icon.iconOn : g_icon.iconOff;
    ShowIcon(g_icon.frames[0]);
}

void SetIconTip(const char* text) {
    std::string tip = BuildIconTip(text);
    if (tip == g_icon.tip) return;
    std::memcpy(g_icon.tip, tip.c_str(), tip.size() + 1);
    // At most 63 bytes give at most 63 units.
    std::u16string wide = WideFromAnsi(tip);
    std::memcpy(g_icon.record.szTip, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    g_icon.tipPending = true;
    if (g_icon.tipPaused) return;  // sent when the pause ends
    ModifyIcon();
    g_icon.tipPaused =
        SetTimer(g_icon.record.hWnd, TIMER_ICON_TIP, kTipPauseMs, OnTipPauseEnd) != 0;
}

void StartIconAnimation(HWND mainWindow) {
    SetTimer(mainWindow, TIMER_ICON_ANIMATION, 75, OnAnimationTick);
}

LRESULT OnIconCallback(HWND mainWindow, WPARAM wParam, LPARAM lParam) {
    if (wParam != kIconId) return DefWindowProcW(mainWindow, WM_APP_ICONCALLBACK, wParam, lParam);
    UINT command;
    switch (lParam) {
    case WM_LBUTTONUP: command = IDM_TEXT_MENU; break;
    case WM_RBUTTONUP: command = IDM_COMMAND_MENU; break;
    default: return DefWindowProcW(mainWindow, WM_APP_ICONCALLBACK, wParam, lParam);
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    if (AppSettings* settings = GetAppSettings(mainWindow)) {
        settings->menu.menuX = cursor.x;
        settings->menu.menuY = cursor.y;
    }
    PostMessageA(mainWindow, WM_COMMAND, command, 0);
    return 0;
}

int CurrentIconResourceId() { return ResourceIdOf(g_icon.record.hIcon); }
const char* CurrentIconTip() { return g_icon.tip; }
const char* ShownIconTip() { return g_icon.shownTip; }

void SetNotificationIconRetry(int attempts, DWORD pauseMs) {
    g_icon.attempts = attempts;
    g_icon.pauseMs = pauseMs;
}
