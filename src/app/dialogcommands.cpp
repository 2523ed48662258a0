// The settings and hotkey commands: the dialog on the live settings, then the file at once.
#include "app/dialogcommands.h"

#include "app/appshell.h"
#include "search/searchwindow.h"
#include "settings/appsettings.h"
#include "settings/hotkeydialog.h"
#include "settings/hotkeysys.h"
#include "settings/settingsdialog.h"
#include "settings/settingsfile.h"
#include "sync/shareddialog.h"
#include "sync/sharedfolder.h"
#include "TOOLS/toolsys.h"

void RunSettingsDialogCommand(HWND mainWindow) {
    AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings || !ShowSettingsDialog(mainWindow, *settings)) return;
    const std::u16string path = ModuleSiblingPath(".ini");
    if (!path.empty()) SaveSettings(path, *settings);
    NotifySearchWindowStoreChanged();  // the history count decides what it lists
}

void RunHotkeyDialogCommand(HWND mainWindow) {
    AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings || !ShowHotkeyDialog(mainWindow, settings->hotkeys)) return;
    const std::u16string path = ModuleSiblingPath(".ini");
    if (!path.empty()) SaveHotkeys(settings->hotkeys, path);
}

// The folder's run starts again on the new settings (or ends when the folder was emptied).
void RunSharedFolderCommand(HWND mainWindow) {
    AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings || !ShowSharedFolderDialog(mainWindow, settings->shared)) return;
    const std::u16string path = ModuleSiblingPath(".ini");
    if (!path.empty()) SaveSettings(path, *settings);
    TextStore* store = GetTextStore(mainWindow);
    if (settings->shared.folder[0] && store)
        StartSharedFolder(mainWindow, *settings, *store);
    else
        StopSharedFolder();
}
