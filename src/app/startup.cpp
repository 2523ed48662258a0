// Process start: command line, path-copy mode, resident run and the single-instance rule.
#include "app/startup.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <new>
#include <string>
#include <vector>

#include "app/appshell.h"
#include "app/cmdline.h"
#include "app/mainwindow.h"
#include "search/searchwindow.h"
#include "settings/appsettings.h"
#include "settings/hotkeysys.h"
#include "settings/settingsfile.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/toolwind.h"
#include "TOOLS/tooltext.h"

namespace {

// Releases a COM interface at scope end; the shell calls below have several early exits.
template <typename T>
struct Releaser {
    T* p = nullptr;
    ~Releaser() {
        if (p) p->Release();
    }
};

}  // namespace

int RunQuillmate(HINSTANCE instance) {
    // Before anything can load a library by name: a file planted beside a portable executable
    // must never run inside it.
    RestrictLibrarySearchToSystemFolder();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    for (int i = 0; i < argc; ++i)
        Trace("argv[%2d]=%s\r\n", i,
              AnsiFromWide(reinterpret_cast<const char16_t*>(argv[i])).c_str());
    InitDialogControls();
    CoInitialize(nullptr);
    int exitCode;
    if (argc <= 1)
        exitCode = RunResident(instance);
    else
        exitCode = CopyPathsToClipboard(argc, argv) ? 0 : 1;
    CoUninitialize();
    LocalFree(argv);
    return exitCode;
}

bool NormalizePath(const wchar_t* argument, std::u16string& output) {
    output.clear();
    Releaser<IMalloc> allocator;
    if (FAILED(SHGetMalloc(&allocator.p))) return false;
    Releaser<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop.p))) return false;
    LPITEMIDLIST idList = nullptr;
    if (FAILED(desktop.p->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(argument),
                                           nullptr, &idList, nullptr)))
        return false;
    wchar_t path[MAX_PATH];
    bool found = SHGetPathFromIDListW(idList, path) != FALSE;
    if (found) output = reinterpret_cast<const char16_t*>(path);
    allocator.p->Free(idList);
    return found;
}

bool CopyPathsToClipboard(int argc, wchar_t** argv) {
    try {
        std::vector<std::u16string> paths;
        paths.reserve(static_cast<size_t>(argc));
        for (int i = 1; i < argc; ++i) {
            std::u16string path;
            if (GetFileAttributesW(argv[i]) == INVALID_FILE_ATTRIBUTES) continue;
            if (NormalizePath(argv[i], path)) paths.push_back(std::move(path));
        }
        // The exact paths as Unicode text, what code page 932 makes of them beside.
        const std::u16string joined = JoinQuotedPaths(paths);
        const std::string bytes = AnsiFromWide(joined);
        SetClipboardText(nullptr, bytes.c_str(), ExactFormOf(joined, bytes).get());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int RunResident(HINSTANCE instance) {
    const std::u16string settingsPath = ModuleSiblingPath(".ini");
    AppSettings settings;
    LoadSettings(settingsPath, settings);
    LoadHotkeys(settingsPath, settings.hotkeys);
    HANDLE mutex = CreateMainWindow(instance, &settings);
    if (!mutex) return 0;
    MSG msg = {};  // GetMessageW's -1 leaves it unwritten
    // Unicode, so that a character the code page lacks reaches the search field whole.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsSearchWindowMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    SaveSettings(settingsPath, settings);
    CloseHandle(mutex);
    return static_cast<int>(msg.wParam);
}

HANDLE CreateMainWindow(HINSTANCE instance, AppSettings* settings) {
    if (FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_NAME)) return nullptr;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Quillmate");
    if (!mutex) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    RegisterMainWindowClass(instance);
    HWND window = CreateWindowExW(0, kMainWindowClassW, kMainWindowNameW, WS_POPUP | WS_MINIMIZE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, settings);
    if (!window) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = GetModuleShellIcon(instance, true);
    windowClass.hIconSm = GetModuleShellIcon(instance, false);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainWindowClassW;
    RegisterClassExW(&windowClass);
}

HICON GetModuleShellIcon(HINSTANCE instance, bool large) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    SHFILEINFOW info = {};
    UINT flags = SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
    if (!SHGetFileInfoW(path, 0, &info, sizeof info, flags)) return nullptr;
    return info.hIcon;
}
