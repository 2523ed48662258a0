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

constexpr size_t kPathBufferSize = 522;

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
    ArgumentVector args;
    if (!SplitCommandLine(GetCommandLineA(), args)) return 1;
    for (int i = 0; i < args.argc; ++i) Trace("argv[%2d]=%s\r\n", i, args.argv[i]);
    InitDialogControls();
    CoInitialize(nullptr);
    int exitCode;
    if (args.argc <= 1)
        exitCode = RunResident(instance);
    else
        exitCode = CopyPathsToClipboard(args.argc, args.argv) ? 0 : 1;
    CoUninitialize();
    return exitCode;
}

bool NormalizePath(const char* argument, char* output) {
    output[0] = '\0';
    Releaser<IMalloc> allocator;
    if (FAILED(SHGetMalloc(&allocator.p))) return false;
    Releaser<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop.p))) return false;
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, argument, -1, wide, MAX_PATH) == 0) return false;
    LPITEMIDLIST idList = nullptr;
    if (FAILED(desktop.p->ParseDisplayName(nullptr, nullptr, wide, nullptr, &idList, nullptr)))
        return false;
    char path[MAX_PATH * 2];
    bool found = SHGetPathFromIDListA(idList, path) != FALSE;
    if (found) tooltext::CopyBounded(output, kPathBufferSize, path);
    allocator.p->Free(idList);
    return found;
}

bool CopyPathsToClipboard(int argc, char** argv) {
    try {
        std::vector<std::string> paths;
        paths.reserve(static_cast<size_t>(argc));
        for (int i = 1; i < argc; ++i) {
            char path[kPathBufferSize];
            if (GetFileAttributesA(argv[i]) == INVALID_FILE_ATTRIBUTES) continue;
            if (NormalizePath(argv[i], path)) paths.emplace_back(path);
        }
        std::string joined = JoinQuotedPaths(paths);
        SetClipboardText(nullptr, joined.c_str());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int RunResident(HINSTANCE instance) {
    char settingsPath[521];
    BuildModuleSiblingPath(settingsPath, sizeof settingsPath, ".ini");
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
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Quillmate");
    if (!mutex) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    RegisterMainWindowClass(instance);
    HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_NAME, WS_POPUP | WS_MINIMIZE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, settings);
    if (!window) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = GetModuleShellIcon(instance, true);
    windowClass.hIconSm = GetModuleShellIcon(instance, false);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    RegisterClassExA(&windowClass);
}

HICON GetModuleShellIcon(HINSTANCE instance, bool large) {
    char path[kPathBufferSize];
    DWORD n = GetModuleFileNameA(instance, path, sizeof path);
    if (n == 0 || n >= sizeof path) return nullptr;
    SHFILEINFOA info = {};
    UINT flags = SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON);
    if (!SHGetFileInfoA(path, 0, &info, sizeof info, flags)) return nullptr;
    return info.hIcon;
}
