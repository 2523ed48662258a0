// Clipboard viewer chain, its repair watchdog, the deferred change handling and auto-clear.
#include "clipboard/viewerchain.h"

#include <vector>

#include "app/appshell.h"
#include "clipboard/capturerules.h"
#include "clipboard/cliplog.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "store/textstore.h"
#include "sync/sharedfolder.h"
#include "TOOLS/toolsys.h"

namespace {

constexpr UINT_PTR TIMER_CLIPBOARD_RETRY = 6;

HWND g_nextViewer = nullptr;
int g_openRetries = 0;
CaptureIcon g_icon = {[](const char*) {}, [](HWND) {}};

void StoreNextViewer(HWND mainWindow, HWND next) {
    g_nextViewer = next == mainWindow ? nullptr : next;
}

void CALLBACK OnRepairTick(HWND mainWindow, UINT, UINT_PTR, DWORD) {
    AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings || !settings->history.repairChain) return;
    LeaveViewerChain(mainWindow);
    JoinViewerChain(mainWindow, *settings);
}

void CALLBACK OnClearTick(HWND mainWindow, UINT, UINT_PTR, DWORD) {
    KillTimer(mainWindow, TIMER_AUTO_CLEAR);
    ClearClipboard(mainWindow);
}

void ReadChangedClipboard(HWND mainWindow);

void CALLBACK OnOpenRetryTick(HWND mainWindow, UINT, UINT_PTR, DWORD) {
    ReadChangedClipboard(mainWindow);
}

// The copy's bytes are the block's and one NUL of its own after them.
void HandleText(HWND mainWindow, AppSettings& settings, const ClipboardText& copy) {
    const char* text = copy.bytes.data();
    if (settings.history.useHistory) {
        TextStore* store = GetTextStore(mainWindow);
        if (store && recordHistoryText(*store, settings.history.historyCount, text, copy.exact))
            NoteSharedHistoryCopy(*store, text, copy.exact);
    }
    g_icon.setTip(text);
    if (settings.log.logText && settings.log.logFolder[0] != '\0')
        WriteTextLog(LogFolderPath(settings.log), text, copy.bytes.size() - 1);
    if (settings.history.autoClear) StartClearTimer(mainWindow, settings);
}

// The copying program asked that no clipboard tool keep this: it is neither recorded, logged nor
// shown, but still cleared on time so a secret does not outstay the user's delay.
void HandleMarked(HWND mainWindow, const AppSettings& settings) {
    if (settings.history.autoClear) StartClearTimer(mainWindow, settings);
}

void HandleNoText(HWND mainWindow, const AppSettings& settings) {
    g_icon.setTip("");
    if (!settings.log.logImage || settings.log.logFolder[0] == '\0') return;
    std::vector<char> dib = ReadClipboardFormat(mainWindow, CF_DIB);
    // The copy carries one NUL of its own after the block.
    if (!dib.empty()) WriteBitmapLog(dib.data(), dib.size() - 1, LogFolderPath(settings.log));
}

void ReadChangedClipboard(HWND mainWindow) {
    StopRepairTimer(mainWindow);
    KillTimer(mainWindow, TIMER_CLIPBOARD_RETRY);
    AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings) return;
    bool opened = false;
    bool marked = false;
    ClipboardText text = ReadClipboardText(
        mainWindow, &opened, settings->history.honourIgnoreMarkers ? &marked : nullptr);
    // Another program may hold the clipboard for a while: read again rather than lose the text
    // it just put there.
    if (!opened) {
        if (unsigned pause = ClipboardRetryPauseMs(g_openRetries++)) {
            SetTimer(mainWindow, TIMER_CLIPBOARD_RETRY, pause, OnOpenRetryTick);
            return;
        }
    }
    g_openRetries = 0;
    // A clipboard never let go tells nothing of its content: the tip and the logs stay as they
    // are, as if the change had not happened.
    if (!opened)
        Trace("clipboard held past every retry: the change is not read\r\n");
    else if (marked)
        HandleMarked(mainWindow, *settings);
    else if (!text.bytes.empty())
        HandleText(mainWindow, *settings, text);
    else
        HandleNoText(mainWindow, *settings);
    if (settings->history.animateIcon && opened && !marked) g_icon.animate(mainWindow);
    RestartRepairTimer(mainWindow, static_cast<UINT>(settings->history.repairInterval));
}

}  // namespace

void SetCaptureIcon(const CaptureIcon& icon) { g_icon = icon; }

HWND JoinViewerChain(HWND mainWindow, const AppSettings& settings) {
    StoreNextViewer(mainWindow, SetClipboardViewer(mainWindow));
    RestartRepairTimer(mainWindow, static_cast<UINT>(settings.history.repairInterval));
    return g_nextViewer;
}

void LeaveViewerChain(HWND mainWindow) {
    StopRepairTimer(mainWindow);
    ChangeClipboardChain(mainWindow, g_nextViewer);
    g_nextViewer = nullptr;
}

void ForwardToNextViewer(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_nextViewer && g_nextViewer != mainWindow)
        SendMessageA(g_nextViewer, message, wParam, lParam);
}

void RestartRepairTimer(HWND mainWindow, UINT intervalMs) {
    SetTimer(mainWindow, TIMER_CHAIN_REPAIR, intervalMs, OnRepairTick);
}

void StopRepairTimer(HWND mainWindow) { KillTimer(mainWindow, TIMER_CHAIN_REPAIR); }

void StartClearTimer(HWND mainWindow, const AppSettings& settings) {
    int32_t delay = ClearDelay(settings.history.clearInterval, settings.history.repairInterval);
    SetTimer(mainWindow, TIMER_AUTO_CLEAR, static_cast<UINT>(delay), OnClearTick);
}

LRESULT OnDrawClipboard(HWND mainWindow, WPARAM wParam, LPARAM lParam) {
    ForwardToNextViewer(mainWindow, WM_DRAWCLIPBOARD, wParam, lParam);
    PostMessageA(mainWindow, WM_APP_CLIPBOARDCHANGED, 0, 0);
    return 0;
}

LRESULT OnChangeClipboardChain(HWND mainWindow, WPARAM wParam, LPARAM lParam) {
    StopRepairTimer(mainWindow);
    HWND removed = reinterpret_cast<HWND>(wParam);
    if (removed == g_nextViewer)
        StoreNextViewer(mainWindow, reinterpret_cast<HWND>(lParam));
    else
        ForwardToNextViewer(mainWindow, WM_CHANGECBCHAIN, wParam, lParam);
    if (AppSettings* settings = GetAppSettings(mainWindow))
        RestartRepairTimer(mainWindow, static_cast<UINT>(settings->history.repairInterval));
    return 0;
}

LRESULT OnClipboardChanged(HWND mainWindow) {
    // A new change gets retries of its own, even while those of the previous one are pending.
    g_openRetries = 0;
    ReadChangedClipboard(mainWindow);
    return 0;
}

HWND NextViewer() { return g_nextViewer; }
