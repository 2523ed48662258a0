// The settings and hotkey commands: the dialog on the live settings, then the file at once.
#include "app/dialogcommands.h"

#include "app/appshell.h"
#include "settings/appsettings.h"
#include "settings/hotkeydialog.h"
#include "settings/hotkeysys.h"
#include "settings/settingsdialog.h"
#include "settings/settingsfile.h"
#include "TOOLS/toolsys.h"

void RunSettingsDialogCommand(HWND mainWindow) {
    AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings || !ShowSettingsDialog(mainWindow, *settings)) return;
    const std::u16string path = ModuleSiblingPath(".ini");
    if (!path.empty()) SaveSettings(path, *settings);
}

void RunHotkeyDialogCommand(HWND mainWindow) {
    AppSettings* settings = GetAppSettings(mainWindow);
    if (!settings || !ShowHotkeyDialog(mainWindow, settings->hotkeys)) return;
    const std::u16string path = ModuleSiblingPath(".ini");
    if (!path.empty()) SaveHotkeys(settings->hotkeys, path);
}
